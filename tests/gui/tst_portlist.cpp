// How the port names enter the drop-down list.

#include "gui/PortList.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPortList : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString dev(const QString &name) const { return m_dir->path() + QStringLiteral("/dev/") + name; }
    QString ports() const { return m_dir->path() + QStringLiteral("/ports/"); }

    QStringList devices(const QStringList &names) const
    {
        QStringList paths;
        for (const QString &name : names)
            paths << dev(name);
        return paths;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // Stand-ins for device nodes: plain files, so that paths resolve.
        QVERIFY(QDir().mkpath(dev(QString())));
        for (const char *name : {"ttyS0", "ttyS1", "ttyUSB0", "ttyACM0", "pty"}) {
            QFile file(dev(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir().mkpath(ports()));
        QVERIFY(QFile::link(dev("pty"), ports() + "COM10"));
    }

    void dropDownKeepsSortedAndNeverShrinks()
    {
        QComboBox list;
        list.addItem(QStringLiteral("com2"));
        list.addItem(QStringLiteral("Other"));

        ListSerialPorts(&list, ports(), devices({"ttyS0", "ttyS1", "ttyUSB0"}));
        ListSerialPorts(&list, ports(), devices({"ttyS0", "ttyS1", "ttyUSB0"}));
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
        QCOMPARE(device("COM10"), dev("pty"));
        QCOMPARE(device("COM1"), dev("ttyS0"));
        QCOMPARE(device("com2"), dev("ttyS1"));
        QCOMPARE(device("COM3"), dev("ttyUSB0"));

        // Names of gone devices stay; a name found again follows its new device.
        ListSerialPorts(&list, ports(), devices({"ttyACM0"}));
        items.clear();
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM10", "com2", "COM3", "Other"}));
        QCOMPARE(device("COM1"), dev("ttyACM0"));
    }

    void aliasOfAGoneDeviceIsDropped()
    {
        QComboBox list;
        QVERIFY(QFile::link(dev("ttyUSB0"), ports() + "COM7"));
        ListSerialPorts(&list, ports(), devices({"ttyS0", "ttyUSB0"}));
        QCOMPARE(list.findText("COM7"), 2);

        // Unplugged: the alias dangles, the device is no longer reported.
        QVERIFY(QFile::remove(dev("ttyUSB0")));
        QVERIFY(QFile::remove(dev("pty")));
        ListSerialPorts(&list, ports(), devices({"ttyS0"}));
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        QCOMPARE(items, (QStringList{"COM1"}));
    }
};

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
