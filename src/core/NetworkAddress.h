#pragma once
// A port reached over the network, named as serial tools name such ports:
// rfc2217://HOST:PORT (a server that sets the line's speed and format on
// request) or tcp://HOST:PORT (raw bytes; the server's line is set there).

#include <QString>
#include <optional>

struct NetworkAddress
{
    enum class Kind { Rfc2217, RawTcp };
    Kind kind = Kind::RawTcp;
    QString host; // a name, an IPv4 address or an IPv6 address without brackets
    quint16 port = 0;

    // True when `text` starts like a network address (its scheme), valid
    // or not: such a name is never a device path.
    static bool looksLikeAddress(const QString &text);
    // The address `text` names, or nothing when it is not a valid one.
    static std::optional<NetworkAddress> parse(const QString &text);
    QString toString() const;
};
