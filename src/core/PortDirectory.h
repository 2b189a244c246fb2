#pragma once
// The names offered in the port drop-down: "COM<n>" for aliases in the
// program's ports/ folder and for the serial devices the system reports.

#include <QString>
#include <QStringList>
#include <QVector>

struct SerialPortEntry
{
    QString name;   // "COM<n>"
    QString device; // what the name opens, e.g. /dev/ttyUSB0 or rfc2217://10.1.2.3:4001
};

// Aliases first: every symbolic link in `portsDir` named COM<n> (any case)
// reserves n and opens its target; a regular file COM<n> whose one line is
// a network address (rfc2217://HOST:PORT, tcp://HOST:PORT) reserves n and
// opens that address. Then `devices` by family (ttyS, ttyUSB, ttyACM, any
// other), each in numeric order, on the lowest free numbers from 1; a
// device that an alias already opens is skipped. In that order.
QVector<SerialPortEntry> DiscoverSerialPorts(const QString &portsDir, const QStringList &devices);

// The serial devices that Qt SerialPort finds on this machine.
QStringList SystemSerialDevices();

// As above, with the devices found on this machine.
QVector<SerialPortEntry> DiscoverSerialPorts(const QString &portsDir);

// The names COM<n> of the aliases in `portsDir` whose device is gone (an
// unplugged adapter's by-id link): they are not offered, and a list that
// still shows one should drop it.
QStringList VanishedAliases(const QString &portsDir);

// The order of the window's port list: names as text, without regard to
// case ("COM10" before "COM2"). Negative when `a` comes first.
int ComparePortNames(const QString &a, const QString &b);

// `ports` in that order, of two equal names the first given first.
QVector<SerialPortEntry> InListOrder(QVector<SerialPortEntry> ports);
