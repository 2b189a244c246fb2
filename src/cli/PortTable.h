#pragma once
// The table that 'velmora-cli ports' prints: a header line, then one line a
// port in the order of the window's port list, its columns parted by tabs.

#include "core/PortDirectory.h"
#include "core/SerialDeviceInfo.h"

#include <QStringList>

// What a port is, in a few words: "USB adapter (ftdi_sio)", "serial port:
// 16550A UART at I/O 0x3f8, IRQ 4", "pseudo-terminal".
QString PortKindText(const SerialDeviceInfo &info);

// The header and a line for each of `ports`, described by `describe`
// (the system's description of a device path).
QStringList PortTableLines(const QVector<SerialPortEntry> &ports,
                           SerialDeviceInfo (*describe)(const QString &path));
