#pragma once
// What the system tells about a serial device beyond its path: the stable
// name udev gives it in /dev/serial/by-id and, for a USB adapter, the maker,
// product and serial number of its USB descriptor (read from sysfs).

#include <QString>

struct SerialDeviceInfo
{
    QString device;       // the device the path leads to, e.g. /dev/ttyUSB0
    QString byId;         // its link in the by-id folder, empty when none
    QString vendorId;     // USB vendor number in hex, e.g. "0403"; empty when not USB
    QString productId;    // USB product number in hex, e.g. "6001"
    QString manufacturer; // e.g. "FTDI"
    QString product;      // e.g. "FT232R USB UART"
    QString serialNumber; // e.g. "A10KXYZ1"

    bool isUsb() const { return !vendorId.isEmpty(); }
    // "FTDI FT232R USB UART" with the numbers where the texts are missing.
    QString usbVendor() const;
    QString usbProduct() const;
};

// Describes the device that `path` opens (a device path, a by-id link or
// another link to it). `sysRoot` and `byIdFolder` are the system's folders;
// tests pass folders of their own.
SerialDeviceInfo DescribeSerialDevice(const QString &path, const QString &sysRoot = QStringLiteral("/sys"),
                                      const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"));
