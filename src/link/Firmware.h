#pragma once
// Values that depend on the gateway's firmware version, set when its version
// reply arrives.

// Dispensing point 5 exists.
extern bool HasPoint5;
// Dispensing points 6 to 10 and the interface page exist.
extern bool HasTenPoints;
// Number of terminal addresses handled: 24 or 16.
extern int AddressCount;

// "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ": the character at position a stands
// for terminal address a.
inline constexpr const char AddressChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
