// The table of 'velmora-cli ports': its header, the window's order and what
// each kind of port is called.

#include "cli/PortTable.h"

#include <QtTest>

namespace {

// Descriptions by device path, as the system would give them.
QHash<QString, SerialDeviceInfo> &described()
{
    static QHash<QString, SerialDeviceInfo> table;
    return table;
}

SerialDeviceInfo describe(const QString &path)
{
    SerialDeviceInfo info = described().value(path);
    info.device = path;
    return info;
}

SerialDeviceInfo usb(const QString &driver)
{
    SerialDeviceInfo info;
    info.kind = SerialDeviceInfo::Kind::Usb;
    info.byId = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ1-if00-port0");
    info.vendorId = QStringLiteral("0403");
    info.productId = QStringLiteral("6001");
    info.manufacturer = QStringLiteral("FTDI");
    info.product = QStringLiteral("FT232R USB UART");
    info.serialNumber = QStringLiteral("A10KXYZ1");
    info.driver = driver;
    return info;
}

SerialDeviceInfo uart(int type, const QString &name, const QString &io, const QString &memory, const QString &irq)
{
    SerialDeviceInfo info;
    info.kind = SerialDeviceInfo::Kind::SerialCore;
    info.uartType = type;
    info.uartName = name;
    info.ioPort = io;
    info.memoryBase = memory;
    info.irq = irq;
    return info;
}

} // namespace

Q_DECLARE_METATYPE(SerialDeviceInfo)

class TestPortTable : public QObject
{
    Q_OBJECT

private slots:
    void kindInWords_data()
    {
        QTest::addColumn<SerialDeviceInfo>("info");
        QTest::addColumn<QString>("expected");
        QTest::newRow("USB adapter") << usb("ftdi_sio") << "USB adapter (ftdi_sio)";
        QTest::newRow("USB adapter, driver not known") << usb(QString()) << "USB adapter";
        QTest::newRow("built-in port") << uart(4, "16550A", "0x3f8", QString(), "4")
                                       << "serial port: 16550A UART at I/O 0x3f8, IRQ 4";
        QTest::newRow("no chip behind it") << uart(0, QString(), "0x2f8", QString(), "3")
                                           << "serial port: no UART found at I/O 0x2f8, IRQ 3";
        QTest::newRow("chip of another type, in memory") << uart(83, QString(), QString(), "0xfe201000", "0")
                                                         << "serial port: UART type 83 at memory 0xfe201000";
        QTest::newRow("nothing known of the chip") << uart(-1, QString(), QString(), QString(), QString())
                                                   << "serial port: UART";
        SerialDeviceInfo pty;
        pty.kind = SerialDeviceInfo::Kind::PseudoTerminal;
        QTest::newRow("pseudo-terminal") << pty << "pseudo-terminal";
        QTest::newRow("other") << SerialDeviceInfo() << "serial device";
    }
    void kindInWords()
    {
        QFETCH(SerialDeviceInfo, info);
        QFETCH(QString, expected);
        QCOMPARE(PortKindText(info), expected);
    }

    // Aliases come among the others, by name as text, as the window lists
    // them; every line has all seven columns.
    void headerAndOrder()
    {
        described().clear();
        described().insert("/dev/ttyS0", uart(4, "16550A", "0x3f8", QString(), "4"));
        described().insert("/dev/ttyUSB0", usb("ftdi_sio"));
        SerialDeviceInfo pty;
        pty.kind = SerialDeviceInfo::Kind::PseudoTerminal;
        described().insert("/dev/pts/3", pty);
        const QVector<SerialPortEntry> found{{"COM3", "/dev/pts/3"},
                                             {"COM20", "tcp://127.0.0.1:4001"},
                                             {"COM1", "/dev/ttyS0"},
                                             {"COM2", "/dev/ttyUSB0"}};
        const QStringList lines = PortTableLines(found, describe);
        QCOMPARE(lines, (QStringList{
            "PORT\tDEVICE\tBY-ID\tUSB VENDOR\tUSB PRODUCT\tUSB SERIAL\tKIND",
            "COM1\t/dev/ttyS0\t-\t-\t-\t-\tserial port: 16550A UART at I/O 0x3f8, IRQ 4",
            "COM2\t/dev/ttyUSB0\t/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ1-if00-port0\t0403 FTDI\t"
            "6001 FT232R USB UART\tA10KXYZ1\tUSB adapter (ftdi_sio)",
            "COM20\ttcp://127.0.0.1:4001\t-\t-\t-\t-\tnetwork port",
            "COM3\t/dev/pts/3\t-\t-\t-\t-\tpseudo-terminal",
        }));
        QCOMPARE(PortTableLines({}, describe), QStringList{lines.first()});
    }
};

QTEST_GUILESS_MAIN(TestPortTable)
#include "tst_porttable.moc"
