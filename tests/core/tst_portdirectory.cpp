// Port names from alias links and a given device list.

#include "FakeDevTree.h"

#include "core/PortDirectory.h"
#include "core/SerialDeviceInfo.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestPortDirectory : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeDevTree> m_tree;

private slots:
    void init()
    {
        m_tree = std::make_unique<FakeDevTree>();
        QVERIFY(m_tree->isValid());
        m_tree->makeDevices({"ttyS0", "ttyS1", "ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyACM0",
                             "pts/3", "rfcomm0", "pty", "ttyAMA0", "serial/by-id/usb-adapter"});
        QFile::remove(m_tree->dev("serial/by-id/usb-adapter"));
        QVERIFY(QFile::link(m_tree->dev("ttyUSB0"), m_tree->dev("serial/by-id/usb-adapter")));
    }

    void naming_data()
    {
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("families in order")
            << QStringList()
            << QStringList{"rfcomm0", "ttyACM0", "pts/3", "ttyUSB1", "ttyS1", "ttyUSB0", "ttyS0"}
            << QStringList{"COM1=ttyS0", "COM2=ttyS1", "COM3=ttyUSB0", "COM4=ttyUSB1",
                           "COM5=ttyACM0", "COM6=pts/3", "COM7=rfcomm0"};
        QTest::newRow("numeric, not text order")
            << QStringList() << QStringList{"ttyUSB10", "ttyUSB2"}
            << QStringList{"COM1=ttyUSB2", "COM2=ttyUSB10"};
        QTest::newRow("aliases first, gaps filled")
            << QStringList{"COM4>ttyUSB2", "COM2>pty"}
            << QStringList{"ttyACM0", "ttyUSB0", "ttyS0"}
            << QStringList{"COM2=pty", "COM4=ttyUSB2", "COM1=ttyS0", "COM3=ttyUSB0",
                           "COM5=ttyACM0"};
        QTest::newRow("device behind an alias listed once")
            << QStringList{"COM7>serial/by-id/usb-adapter", "COM8>ttyS1"}
            << QStringList{"ttyUSB0", "ttyS0", "ttyS1"}
            << QStringList{"COM7=serial/by-id/usb-adapter", "COM8=ttyS1", "COM1=ttyS0"};
        QTest::newRow("alias names in any case")
            << QStringList{"com3>pty", "Com12>ttyACM0"} << QStringList()
            << QStringList{"COM3=pty", "COM12=ttyACM0"};
        QTest::newRow("other entries ignored")
            << QStringList{"COM1", "PORT2>ttyS1", "COM3x>pty", "COM>pty", "xCOM4>pty",
                           "COM0>pty"}
            << QStringList{"ttyS0", "ttyS1"}
            << QStringList{"COM1=ttyS0", "COM2=ttyS1"};
        QTest::newRow("dead alias keeps its number")
            << QStringList{"COM1>gone"} << QStringList{"ttyS0"} << QStringList{"COM2=ttyS0"};
        QTest::newRow("same number twice")
            << QStringList{"COM3>pty", "com3>ttyS1"} << QStringList{"ttyS0"}
            << QStringList{"COM3=pty", "COM1=ttyS0"};
        QTest::newRow("files naming network addresses")
            << QStringList{"COM5=rfc2217://10.0.0.7:4001\n", "com2= tcp://[::1]:7000 \r\nmore", "COM3=no address",
                           "COM4=tcp://host", "COM6=rfc2217://host:70000", "COM8=\ntcp://second.line:1"}
            << QStringList{"ttyS0", "ttyS1", "ttyUSB0"}
            << QStringList{"COM2=tcp://[::1]:7000", "COM5=rfc2217://10.0.0.7:4001", "COM1=ttyS0", "COM3=ttyS1",
                           "COM4=ttyUSB0"};
        QTest::newRow("device given twice")
            << QStringList() << QStringList{"ttyS0", "ttyS0"} << QStringList{"COM1=ttyS0"};
    }

    void naming()
    {
        QFETCH(QStringList, aliases);
        QFETCH(QStringList, found);
        QFETCH(QStringList, expected);
        m_tree->makePortsEntries(aliases);

        QStringList got;
        for (const SerialPortEntry &entry : DiscoverSerialPorts(m_tree->ports(), m_tree->devices(found)))
            got << entry.name + u'='
                       + (entry.device.startsWith(m_tree->dev(QString())) ? entry.device.mid(m_tree->dev(QString()).size())
                                                                          : entry.device);
        QCOMPARE(got, expected);
    }

    void vanishedAliasesAreNamed()
    {
        m_tree->makePortsEntries({"COM1>gone", "COM4>pty", "com7>unplugged", "COM9", "COM3>pty", "com3>gone"});
        QCOMPARE(VanishedAliases(m_tree->ports()), (QStringList{"COM1", "COM7"}));
        QCOMPARE(VanishedAliases(m_tree->path() + QStringLiteral("/nowhere/")), QStringList());
    }

    // A sysfs tree as the kernel lays it out: the tty's device folder inside
    // the USB interface, inside the USB device with the descriptor texts; a
    // serial-core port's UART beside its tty's name.
    void describeDevice_data()
    {
        QTest::addColumn<QString>("path");
        // device|by-id|vendor|product|maker|product name|serial, then the kind and what it adds
        QTest::addColumn<QString>("expected");

        QTest::newRow("adapter by its by-id link")
            << "serial/by-id/usb-adapter" << "ttyUSB0|serial/by-id/usb-adapter|0403|6001|FTDI|FT232R USB UART|A10KXYZ1 usb ftdi_sio";
        QTest::newRow("adapter by its device") << "ttyUSB0" << "ttyUSB0|serial/by-id/usb-adapter|0403|6001|FTDI|FT232R USB UART|A10KXYZ1 usb ftdi_sio";
        QTest::newRow("adapter without descriptor texts or driver") << "ttyUSB1" << "ttyUSB1||1a86|7523||| usb ";
        QTest::newRow("built-in port") << "ttyS0" << "ttyS0|||||| serial-core 4 16550A io=0x3f8 mem= irq=4";
        QTest::newRow("no UART at the address") << "ttyS1" << "ttyS1|||||| serial-core 0  io=0x2f8 mem= irq=3";
        QTest::newRow("UART mapped into memory") << "ttyAMA0" << "ttyAMA0|||||| serial-core 83  io= mem=0xfe201000 irq=20";
        QTest::newRow("pseudo-terminal") << "/dev/pts/0" << "/dev/pts/0|||||| pty";
        QTest::newRow("other") << "rfcomm0" << "rfcomm0|||||| other";
    }
    void describeDevice()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const QString sys = m_tree->path() + QStringLiteral("/sys/");
        const auto file = [&](const QString &name, const QByteArray &content) {
            QVERIFY(QDir().mkpath(QFileInfo(sys + name).path()));
            QFile f(sys + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        };
        const auto tty = [&](const QString &name, const QString &deviceFolder) {
            QVERIFY(QDir().mkpath(sys + deviceFolder));
            QVERIFY(QDir().mkpath(sys + "class/tty/" + name));
            QVERIFY(QFile::link(sys + deviceFolder, sys + "class/tty/" + name + "/device"));
        };
        const auto uart = [&](const QString &name, const QByteArray &type, const QByteArray &port,
                              const QByteArray &memory, const QByteArray &irq) {
            tty(name, "devices/platform/serial8250/tty/" + name);
            file("class/tty/" + name + "/type", type + '\n');
            file("class/tty/" + name + "/port", port + '\n');
            file("class/tty/" + name + "/iomem_base", memory + '\n');
            file("class/tty/" + name + "/irq", irq + '\n');
        };
        const QString hub = "devices/pci0000:00/usb1/";
        file(hub + "idVendor", "1d6b\n"); // the root hub, farther up
        file(hub + "1-1/idVendor", "0403\n");
        file(hub + "1-1/idProduct", "6001\n");
        file(hub + "1-1/manufacturer", "FTDI\n");
        file(hub + "1-1/product", "FT232R USB UART\n");
        file(hub + "1-1/serial", "A10KXYZ1\n");
        tty("ttyUSB0", hub + "1-1/1-1:1.0/ttyUSB0");
        QVERIFY(QDir().mkpath(sys + "bus/usb-serial/drivers/ftdi_sio"));
        QVERIFY(QFile::link(sys + "bus/usb-serial/drivers/ftdi_sio", sys + hub + "1-1/1-1:1.0/ttyUSB0/driver"));
        file(hub + "1-2/idVendor", "1a86\n");
        file(hub + "1-2/idProduct", "7523\n");
        tty("ttyUSB1", hub + "1-2/1-2:1.0/ttyUSB1");
        uart("ttyS0", "4", "0x3F8", "0x0", "4");
        uart("ttyS1", "0", "0x2F8", "0x0", "3");
        uart("ttyAMA0", "83", "0x0", "0xFE201000", "20");
        tty("rfcomm0", "devices/virtual/tty/rfcomm0");

        // A pseudo-terminal is known by its path alone.
        const QString device = path.startsWith('/') ? path : m_tree->dev(path);
        const SerialDeviceInfo info = DescribeSerialDevice(device, sys, m_tree->dev("serial/by-id"));
        const QString base = m_tree->dev(QString());
        const auto relative = [&](const QString &p) { return p.startsWith(base) ? p.mid(base.size()) : p; };
        QString got = QStringList{relative(info.device), relative(info.byId), info.vendorId, info.productId,
                                  info.manufacturer, info.product, info.serialNumber}
                          .join(u'|');
        switch (info.kind) {
        case SerialDeviceInfo::Kind::Usb:
            got += " usb " + info.driver;
            break;
        case SerialDeviceInfo::Kind::SerialCore:
            got += QStringLiteral(" serial-core %1 %2 io=%3 mem=%4 irq=%5")
                       .arg(info.uartType).arg(info.uartName, info.ioPort, info.memoryBase, info.irq);
            break;
        case SerialDeviceInfo::Kind::PseudoTerminal:
            got += " pty";
            break;
        case SerialDeviceInfo::Kind::Other:
            got += " other";
            break;
        }
        QCOMPARE(got, expected);
    }

    void missingPortsFolder()
    {
        const QVector<SerialPortEntry> found =
            DiscoverSerialPorts(m_tree->path() + QStringLiteral("/nowhere/"), m_tree->devices({"ttyUSB0"}));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].name, QStringLiteral("COM1"));
    }
};

QTEST_GUILESS_MAIN(TestPortDirectory)
#include "tst_portdirectory.moc"
