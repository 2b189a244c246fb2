#pragma once
// What the system tells about a serial device beyond its path: the stable
// name udev gives it in /dev/serial/by-id and, for a USB adapter, the maker,
// product and serial number of its USB descriptor (read from sysfs).

#include <QString>

struct SerialDeviceInfo
{
    // What the device is: a USB adapter, a port of the kernel's serial core
    // (a built-in port, a PCI card), a pseudo-terminal (a simulator, socat),
    // or something else.
    enum class Kind { Usb, SerialCore, PseudoTerminal, Other };

    Kind kind = Kind::Other;
    QString device;       // the device the path leads to, e.g. /dev/ttyUSB0
    QString byId;         // its link in the by-id folder, empty when none
    QString vendorId;     // USB vendor number in hex, e.g. "0403"; empty when not USB
    QString productId;    // USB product number in hex, e.g. "6001"
    QString manufacturer; // e.g. "FTDI"
    QString product;      // e.g. "FT232R USB UART"
    QString serialNumber; // e.g. "A10KXYZ1"
    QString driver;       // a USB adapter's kernel driver, e.g. "ftdi_sio"
    // A serial-core port's UART as the kernel found it: its type number
    // (0 when no chip answered at that address, -1 when not known), the
    // chip's name for the common types, and where it sits (empty for none).
    int uartType = -1;
    QString uartName;     // e.g. "16550A"
    QString ioPort;       // e.g. "0x3f8"
    QString memoryBase;   // e.g. "0xfe215040", for a chip mapped into memory
    QString irq;          // e.g. "4"

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
