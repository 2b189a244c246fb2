// How the port names enter the drop-down list.

#include "FakeDevTree.h"

#include "gui/PortList.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QtTest>

class TestPortList : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeDevTree> m_tree;

private slots:
    void init()
    {
        m_tree = std::make_unique<FakeDevTree>();
        QVERIFY(m_tree->isValid());
        m_tree->makeDevices({"ttyS0", "ttyS1", "ttyUSB0", "ttyACM0", "pty"});
        m_tree->makePortsEntries({"COM10>pty"});
    }

    void dropDownKeepsSortedAndNeverShrinks()
    {
        QComboBox list;
        list.addItem(QStringLiteral("com2"));
        list.addItem(QStringLiteral("Other"));

        ListSerialPorts(&list, m_tree->ports(), m_tree->devices({"ttyS0", "ttyS1", "ttyUSB0"}));
        ListSerialPorts(&list, m_tree->ports(), m_tree->devices({"ttyS0", "ttyS1", "ttyUSB0"}));
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM10", "com2", "COM3", "Other"}));

        const auto device = [&list](const QString &name) {
            const int index = list.findText(name, Qt::MatchFixedString);
            const QString data = list.itemData(index, Qt::UserRole).toString();
            // The tooltip names the device on its first line.
            const QString tip = list.itemData(index, Qt::ToolTipRole).toString().section(u'\n', 0, 0);
            return data == tip ? data : QStringLiteral("?");
        };
        QCOMPARE(device("COM10"), m_tree->dev("pty"));
        QCOMPARE(device("COM1"), m_tree->dev("ttyS0"));
        QCOMPARE(device("com2"), m_tree->dev("ttyS1"));
        QCOMPARE(device("COM3"), m_tree->dev("ttyUSB0"));

        // Names of gone devices stay; a name found again follows its new device.
        ListSerialPorts(&list, m_tree->ports(), m_tree->devices({"ttyACM0"}));
        items.clear();
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM10", "com2", "COM3", "Other"}));
        QCOMPARE(device("COM1"), m_tree->dev("ttyACM0"));
    }

    // velmora-cli ports lists them in the order a fresh drop-down shows them.
    void freshListInTheCommandLinesOrder()
    {
        m_tree->makePortsEntries({"com3>ttyACM0", "COM20>ttyS1"});
        const QStringList devices = m_tree->devices({"ttyS0", "ttyS1", "ttyUSB0", "ttyACM0"});
        QComboBox list;
        ListSerialPorts(&list, m_tree->ports(), devices);
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QStringList ordered;
        for (const SerialPortEntry &port : InListOrder(DiscoverSerialPorts(m_tree->ports(), devices)))
            ordered << port.name;
        QCOMPARE(items, (QStringList{"COM1", "COM10", "COM2", "COM20", "COM3"}));
        QCOMPARE(ordered, items);
    }

    void aliasOfAGoneDeviceIsDropped()
    {
        QComboBox list;
        QVERIFY(QFile::link(m_tree->dev("ttyUSB0"), m_tree->ports() + "COM7"));
        ListSerialPorts(&list, m_tree->ports(), m_tree->devices({"ttyS0", "ttyUSB0"}));
        QCOMPARE(list.findText("COM7"), 2);

        // Unplugged: the alias dangles, the device is no longer reported.
        QVERIFY(QFile::remove(m_tree->dev("ttyUSB0")));
        QVERIFY(QFile::remove(m_tree->dev("pty")));
        ListSerialPorts(&list, m_tree->ports(), m_tree->devices({"ttyS0"}));
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QCOMPARE(items, (QStringList{"COM1"}));
    }
};

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
