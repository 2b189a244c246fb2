#pragma once

#include <QByteArray>
// Values that depend on the gateway's firmware version, set when its version
// reply arrives.

// "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ": the character at position a stands
// for terminal address a.
inline constexpr const char AddressChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// What the gateway's firmware version number gives the tool.
// Until the gateway names its version, the tool assumes 24 addresses, 20
// products and no fifth point; the handshake sets 10 products.
struct FirmwareFeatures
{
    bool hasPoint5 = false;
    bool hasTenPoints = false;
    int addressCount = 24;
    int productCount = 20;
    int progressTotal = 37; // requests of a run, the progress bar's maximum
};

// The fixed part of the progress total: ProgressBase + products (+ 1 with
// the interface record) at start and after the handshake.
inline constexpr int ProgressBase = 17;

// The request for the gateway's firmware version, and the letter of its reply.
inline constexpr char VersionRequest[] = "S0V";
inline constexpr char VersionReplyLetter = 'V';

// The features of firmware version `n` (0 when the version is not a number).
FirmwareFeatures FeaturesForVersion(int n);

// The version number of a version reply line: characters 4 to 6 as a
// decimal number, 0 when they are not one.
int VersionNumberOf(const QByteArray &line);

// The version text of a version reply line: character 4, ".", characters 5-6.
QByteArray VersionTextOf(const QByteArray &line);
