// The tool's real serial link through a pseudo-terminal to the gateway
// simulator: port list, connect, poll, handshake, version, disconnect, again.

#include "link/F_FormVerbindung.h"
#include "link/Firmware.h"
#include "shell/ErrorReport.h"
#include "shell/F_FormMain.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void connectToTheSimulator_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("ten");
        QTest::newRow("106") << "106" << "1.06" << false;
        QTest::newRow("311") << "311" << "3.11" << true;
    }
    void connectToTheSimulator()
    {
        QFETCH(QString, firmware);
        QFETCH(QString, version);
        QFETCH(bool, ten);
        QStringList errors;
        SetErrorReportHandler([&errors](const QString &text) { errors << text; });

        QTemporaryDir dir;
        QProcess sim;
        sim.start(QStringLiteral(GATEWAY_SIM),
                  {"--ports-dir", dir.filePath("ports"), "--name", "COM7", "--firmware", firmware});
        QVERIFY(sim.waitForReadyRead(10000));
        QVERIFY(sim.readLine().startsWith("COM7 /dev/"));

        TFormMain form(dir.path() + u'/');
        TFormVerbindung link(&form);
        form.SetFormVerbindung(&link);
        form.show();
        auto *list = form.findChild<QComboBox *>("cb_COM_Port");
        const int index = list->findText("COM7");
        QVERIFY2(index >= 0, "the simulator's alias is offered as a port");
        list->setCurrentIndex(index);

        auto *button = form.findChild<QPushButton *>("Button1");
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(link.Connecting);
            QTRY_COMPARE_WITH_TIMEOUT(form.StatusText(2), QStringLiteral("ONLINE"), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(form.VersionText, version, 5000);
            QCOMPARE(HasTenPoints, ten);
            QCOMPARE(form.IsPageVisible(form.TabSheetInterface), ten);
            QVERIFY(form.IsPageVisible(form.TabSheet3));
            QCOMPARE(form.StatusText(1), QStringLiteral("COM7"));

            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!link.IsPortOpen());
            QCOMPARE(form.StatusText(2), QStringLiteral("OFFLINE"));
            QVERIFY(!form.IsPageVisible(form.TabSheet2));
        }
        QVERIFY(errors.isEmpty());
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QVERIFY(!QFileInfo(dir.filePath("ports/COM7")).isSymLink());
        SetErrorReportHandler({});
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
