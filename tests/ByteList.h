#pragma once
// Bytes given as numbers, for the telnet commands and binary values of a
// network port's protocol.

#include <QByteArray>

#include <initializer_list>

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}
