// The tool's real serial link through a pseudo-terminal to the gateway
// simulator: port list, connect, poll, handshake, version, disconnect, again.

#include "link/F_FormVerbindung.h"
#include "link/Firmware.h"
#include "shell/ErrorReport.h"
#include "shell/F_FormMain.h"

#include "config/UnitIniDatei.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <QtTest>

namespace {

// The simulator on a port alias in a temporary program folder, and the
// tool's main window and link on that folder with the alias selected.
struct SimulatorSession
{
    QTemporaryDir dir;
    QProcess sim;
    std::unique_ptr<TFormMain> form;
    std::unique_ptr<TFormVerbindung> link;

    bool start(const QString &name, const QStringList &simArguments)
    {
        sim.start(QStringLiteral(GATEWAY_SIM),
                  QStringList{"--ports-dir", dir.filePath("ports"), "--name", name} + simArguments);
        if (!sim.waitForReadyRead(10000) || !sim.readLine().startsWith((name + " /dev/").toLatin1()))
            return false;
        form = std::make_unique<TFormMain>(dir.path() + u'/');
        link = std::make_unique<TFormVerbindung>(form.get());
        form->SetFormVerbindung(link.get());
        form->show();
        // The simulator's alias is offered as a port.
        auto *list = form->findChild<QComboBox *>("cb_COM_Port");
        const int index = list->findText(name);
        list->setCurrentIndex(index);
        return index >= 0;
    }

    QPushButton *button(const char *name) const { return form->findChild<QPushButton *>(name); }

    ~SimulatorSession()
    {
        link.reset();
        form.reset();
        sim.terminate();
        sim.waitForFinished(5000);
    }
};

} // namespace

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

        SimulatorSession session;
        QVERIFY(session.start("COM7", {"--firmware", firmware}));
        TFormMain &form = *session.form;
        TFormVerbindung &link = *session.link;
        auto *button = session.button("Button1");
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
        // The simulator takes its alias away when it ends.
        session.sim.terminate();
        QVERIFY(session.sim.waitForFinished(5000));
        QVERIFY(!QFileInfo(session.dir.filePath("ports/COM7")).isSymLink());
        SetErrorReportHandler({});
    }

    void readAllAndWriteAllThroughTheSimulator_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::newRow("106") << "106";
        QTest::newRow("311") << "311";
    }
    void readAllAndWriteAllThroughTheSimulator()
    {
        QFETCH(QString, firmware);
        QStringList errors;
        SetErrorReportHandler([&errors](const QString &text) { errors << text; });
        SimulatorSession session;
        QVERIFY(session.start("COM8", {"--firmware", firmware}));
        TFormMain &form = *session.form;
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.VersionText, firmware.left(1) + u'.' + firmware.mid(1), 10000);
        auto *label = form.findChild<QLabel *>("Label5");
        const QString file = form.IniFileName;

        // Read all: the simulator's state lands in the working file.
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        QTRY_COMPARE(ReadIniValue(file, "PRINTER", "Head", "-"), QStringLiteral("Simulierte Kopfzeile"));
        QCOMPARE(ReadIniValue(file, "PRODUKT1", "Qualitaet", "-"), QStringLiteral("41"));
        QCOMPARE(ReadIniValue(file, "PRODUKT10", "Name", "-"), QStringLiteral("Sim 10"));
        QCOMPARE(ReadIniValue(file, "QVR15", "EDV4", "-"), QStringLiteral("50"));

        // Write all after edits, then read everything back into a fresh file.
        WriteIniValue(file, "PRODUKT2", "Name", "Weizen");
        WriteIniValue(file, "QVR3", "Qualitaet2", "77");
        WriteIniValue(file, "PRINTER", "Head", "Neue Kopfzeile");
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        QTest::qWait(300); // the printer reply
        form.IniFileName = session.dir.filePath("second.ini");
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        QTRY_COMPARE(ReadIniValue(form.IniFileName, "PRINTER", "Head", "-"), QStringLiteral("Neue Kopfzeile"));
        QCOMPARE(ReadIniValue(form.IniFileName, "PRODUKT2", "Name", "-"), QStringLiteral("Weizen"));
        QCOMPARE(ReadIniValue(form.IniFileName, "QVR3", "Qualitaet2", "-"), QStringLiteral("77"));
        QVERIFY(errors.isEmpty());
        SetErrorReportHandler({});
    }

    void droppedReplyEndsTheRunByTimeOut()
    {
        // The handshake and version replies come, then one reply of the run is missing.
        SimulatorSession session;
        QVERIFY(session.start("COM9", {"--firmware", "106", "--fault", "silence", "--fault-after", "8",
                                       "--fault-count", "1"}));
        TFormMain &form = *session.form;
        TFormVerbindung &link = *session.link;
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.VersionText, QStringLiteral("1.06"), 10000);
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        auto *label = form.findChild<QLabel *>("Label5");
        QTRY_VERIFY_WITH_TIMEOUT(label->text().startsWith(QStringLiteral("Keine Antwort")), 10000);
        QVERIFY(!link.ReadAllActive);
        QVERIFY(form.findChild<QPushButton *>("ButtonAlleDatenLesen")->isEnabled());
        // The file is whole: what came before the gap is stored, the rest as it was.
        QCOMPARE(ReadIniValue(form.IniFileName, "QVR0", "Qualitaet1", "-"), QStringLiteral("01"));
        QCOMPARE(ReadIniValue(form.IniFileName, "QVR36", "EDV10", "-"), QStringLiteral("10"));
        QCOMPARE(ReadIniValue(form.IniFileName, "INTERFACE", "ParameterRS485", "-"), QStringLiteral("3"));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
