// The tool's real serial link through a pseudo-terminal to the gateway
// simulator: port list, connect, poll, handshake, version, disconnect, again.

#include "TestShard.h"
#include "CpuTime.h"
#include "ProcessMemory.h"
#include "SimulatorProcess.h"
#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/TransferRun.h"
#include "gui/ErrorReport.h"
#include "gui/InterfacePage.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/SaveLoadPage.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizerBuild = true;
#else
constexpr bool AddressSanitizerBuild = false;
#endif
#else
constexpr bool AddressSanitizerBuild = false;
#endif

// The simulator on a port alias in a temporary program folder, and the
// tool's main window with its real serial port on that folder with the
// alias selected.
struct SimulatorSession
{
    QTemporaryDir dir;
    QProcess sim;
    std::unique_ptr<MainWindow> form;

    // Error reports of the window go to `errors`.
    bool start(const QString &name, const QStringList &simArguments, QStringList &errors)
    {
        if (startSimulator(sim, dir.filePath("ports"), name, simArguments).isEmpty())
            return false;
        form = std::make_unique<MainWindow>(dir.path() + u'/');
        form->setErrorReporter([&errors](const QString &text) { errors << text; });
        // The simulator answers at once: a reply that does not come within
        // a second does not come at all.
        form->session().run().setReplyTimeout(1000);
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
    void init() { skipOutsideShard(); }

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

        SimulatorSession session;
        QVERIFY(session.start("COM7", {"--firmware", firmware}, errors));
        MainWindow &form = *session.form;
        GatewaySession &link = form.session();
        auto *button = session.button("Button1");
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(link.isConnecting());
            QTRY_COMPARE_WITH_TIMEOUT(form.statusText(MainWindow::LinkStatePanel), QStringLiteral("ONLINE"), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), version, 5000);
            QCOMPARE(link.features().hasTenPoints, ten);
            QCOMPARE(form.isPageVisible(form.interfacePage()), ten);
            QVERIFY(form.isPageVisible(form.saveLoadPage()));
            QCOMPARE(form.statusText(MainWindow::PortPanel), QStringLiteral("COM7"));

            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!link.isOpen());
            QCOMPARE(form.statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
            QVERIFY(!form.isPageVisible(form.pointsPage()));
        }
        QVERIFY(errors.isEmpty());
        // The simulator takes its alias away when it ends.
        session.sim.terminate();
        QVERIFY(session.sim.waitForFinished(5000));
        QVERIFY(!QFileInfo(session.dir.filePath("ports/COM7")).isSymLink());
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
        SimulatorSession session;
        QVERIFY(session.start("COM8", {"--firmware", firmware}, errors));
        MainWindow &form = *session.form;
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), firmware.left(1) + u'.' + firmware.mid(1), 10000);
        auto *label = form.findChild<QLabel *>("Label5");
        const QString file = form.workingFile().path();

        // Read all: the simulator's state lands in the working file.
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        QCOMPARE(ReadIniValue(file, "PRINTER", "Head", "-"), QStringLiteral("Simulierte Kopfzeile"));
        QCOMPARE(ReadIniValue(file, "PRODUKT1", "Qualitaet", "-"), QStringLiteral("41"));
        QCOMPARE(ReadIniValue(file, "PRODUKT10", "Name", "-"), QStringLiteral("Sim 10"));
        QCOMPARE(ReadIniValue(file, "QVR15", "EDV4", "-"), QStringLiteral("50"));

        // Write all after edits, then read everything back into a fresh file.
        WriteIniValue(file, "PRODUKT2", "Name", "Weizen");
        WriteIniValue(file, "QVR3", "Qualitaet2", "77");
        WriteIniValue(file, "PRINTER", "Head", "Neue Kopfzeile");
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenSchreiben"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        // "OK" comes once the printer record, the last, is stored.
        form.workingFile().setPath(session.dir.filePath("second.ini"));
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("OK"), 20000);
        QCOMPARE(ReadIniValue(form.workingFile().path(), "PRINTER", "Head", "-"), QStringLiteral("Neue Kopfzeile"));
        QCOMPARE(ReadIniValue(form.workingFile().path(), "PRODUKT2", "Name", "-"), QStringLiteral("Weizen"));
        QCOMPARE(ReadIniValue(form.workingFile().path(), "QVR3", "Qualitaet2", "-"), QStringLiteral("77"));
        QVERIFY(errors.isEmpty());
    }

    void hangUpOfTheGatewayGoesOfflineOnce_data()
    {
        QTest::addColumn<bool>("duringRun");
        QTest::newRow("idle") << false;
        QTest::newRow("during a read-all run") << true;
    }
    void hangUpOfTheGatewayGoesOfflineOnce()
    {
        QFETCH(bool, duringRun);
        // The simulator ends without a word, as a pulled adapter does; the
        // hang-up races with the traffic, so it is tried many times.
        for (int attempt = 0; attempt < 50; ++attempt) {
            QStringList errors;
            SimulatorSession session;
            QVERIFY(session.start("COM6", {"--firmware", "311"}, errors));
            MainWindow &form = *session.form;
            GatewaySession &link = form.session();
            QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
            link.pollOnce(); // no need to wait a second for the first poll
            QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), QStringLiteral("3.11"), 5000);
            if (duringRun) {
                // The gateway goes at a different request of the run each time.
                const int step = 1 + attempt % 7 * 6;
                bool activeAtHangUp = false;
                connect(&link.run(), &TransferRun::progressed, &form, [&, step](int value) {
                    if (value != step)
                        return;
                    activeAtHangUp = link.run().isActive() && link.run().kind() == TransferRun::Kind::ReadAll;
                    session.sim.kill();
                });
                QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(activeAtHangUp, 5000);
            } else {
                session.sim.kill();
            }
            QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 3000);
            QVERIFY(errors[0].startsWith(QStringLiteral("Die Verbindung zum Velmora ist unterbrochen")));
            QVERIFY(!link.isOpen());
            QCOMPARE(form.statusText(MainWindow::LinkStatePanel), QStringLiteral("OFFLINE"));
            QVERIFY(!(link.run().isActive() && link.run().kind() == TransferRun::Kind::ReadAll));
            QVERIFY(!link.run().isTimerActive());
            if (attempt == 0) {
                // Idle afterwards: a port left polled would spin a whole core.
                const double before = processCpuSeconds();
                QTest::qWait(1000);
                QVERIFY2(processCpuSeconds() - before < 0.3, "busy after the hang-up");
            }
            QCOMPARE(errors.size(), 1);
        }
    }

    // A gateway that answers with another record, sends a reply twice or
    // ignores the writes: "OK" only for a run whose every record arrived and
    // was taken.
    void misbehavingGatewayThroughTheWindow_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("report"); // the start of the one error report; empty: none
        QTest::newRow("another record in place of address 3") << "other-record" << false
                                                               << "Keine Antwort vom Velmora – Übertragung abgebrochen "
                                                                  "3 von 27 Datensätzen gespeichert, die übrigen sind unverändert."
                                                               << "";
        QTest::newRow("each reply twice") << "duplicate" << false << "OK" << "";
        QTest::newRow("writes ignored") << "ignore-writes" << true << "Nicht alle Werte übernommen"
                                        << "Der Velmora hat diese Werte nicht übernommen";
    }
    void misbehavingGatewayThroughTheWindow()
    {
        QFETCH(QString, fault);
        QFETCH(bool, write);
        QFETCH(QString, label);
        QFETCH(QString, report);
        QStringList errors;
        SimulatorSession session;
        // The poll and the version are answered as they should be.
        QVERIFY(session.start("COM5", {"--firmware", "106", "--fault", fault, "--fault-after", "5"}, errors));
        MainWindow &form = *session.form;
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), QStringLiteral("1.06"), 10000);
        const QString file = form.workingFile().path();
        WriteIniValue(file, "QVR9", "EDV2", "77");
        // Read from this gateway: a write-all sends it without comparing.
        WriteIniValue(file, "SOURCE", "Firmware", "1.06");
        WriteIniValue(file, "SOURCE", "Complete", "yes");
        QTest::mouseClick(form.findChild<QPushButton *>(write ? "ButtonAlleDatenSchreiben" : "ButtonAlleDatenLesen"),
                          Qt::LeftButton);
        auto *shown = form.findChild<QLabel *>("Label5");
        QTRY_VERIFY_WITH_TIMEOUT(!form.session().run().isActive(), 20000);
        QCOMPARE(shown->text(), label);
        QCOMPARE(errors.size(), report.isEmpty() ? 0 : 1);
        if (!report.isEmpty()) {
            QVERIFY2(errors.constFirst().startsWith(report), qPrintable(errors.constFirst()));
            QVERIFY(errors.constFirst().contains(QStringLiteral("[QVR9] EDV2: gesendet \"77\"")));
        }
        // The user's value stays after a write; a whole read brings the gateway's.
        const bool whole = label == QLatin1String("OK");
        QCOMPARE(ReadIniValue(file, "QVR9", "EDV2", "-"), whole ? QStringLiteral("97") : QStringLiteral("77"));
    }

    void droppedReplyEndsTheRunByTimeOut()
    {
        // The handshake and version replies come, then one reply of the run is missing.
        QStringList errors;
        SimulatorSession session;
        QVERIFY(session.start("COM9", {"--firmware", "106", "--fault", "silence", "--fault-after", "8",
                                       "--fault-count", "1"}, errors));
        MainWindow &form = *session.form;
        GatewaySession &link = form.session();
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.session().versionText(), QStringLiteral("1.06"), 10000);
        QTest::mouseClick(form.findChild<QPushButton *>("ButtonAlleDatenLesen"), Qt::LeftButton);
        auto *label = form.findChild<QLabel *>("Label5");
        QTRY_VERIFY_WITH_TIMEOUT(label->text().startsWith(QStringLiteral("Keine Antwort")), 10000);
        QVERIFY(!(link.run().isActive() && link.run().kind() == TransferRun::Kind::ReadAll));
        QVERIFY(form.findChild<QPushButton *>("ButtonAlleDatenLesen")->isEnabled());
        // The file is whole: what came before the gap is stored, the rest as it was.
        QCOMPARE(ReadIniValue(form.workingFile().path(), "QVR0", "Qualitaet1", "-"), QStringLiteral("01"));
        QCOMPARE(ReadIniValue(form.workingFile().path(), "QVR36", "EDV10", "-"), QStringLiteral("10"));
        QCOMPARE(ReadIniValue(form.workingFile().path(), "INTERFACE", "ParameterRS485", "-"), QStringLiteral("3"));
    }

    // A gateway sending its records on its own, round after round with new
    // values, as fast as the terminal takes them: the window's memory stays
    // within a generous bound, every line is handled, and once the flood
    // ends the file holds what a read of the gateway gives.
    void floodOfRecordsThroughTheSimulator()
    {
        QStringList errors;
        SimulatorSession session;
        QVERIFY(session.start("COM10", {"--flood", "0", "--flood-seconds", "4"}, errors));
        MainWindow &form = *session.form;
        GatewaySession &link = form.session();
        long received = 0;
        connect(&link, &GatewaySession::lineReceived, this, [&] {
            // Only the flood's: the handshake and version replies come first.
            if (link.versionText() == QLatin1String("3.11"))
                ++received;
        });
        const long before = residentKiB();
        long peak = before;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] { peak = std::max(peak, residentKiB()); });
        sampler.start(20);
        QTest::mouseClick(session.button("Button1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(link.versionText(), QStringLiteral("3.11"), 10000);
        form.pageControl()->setCurrentWidget(form.pointsPage());

        // "flood ended: N records, ..." once the simulator's last line is out.
        long sent = -1;
        const auto ended = [&] {
            while (sent < 0 && session.sim.canReadLine())
                std::sscanf(session.sim.readLine().constData(), "flood ended: %ld", &sent);
            return sent >= 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended(), 30000);
        QVERIFY2(sent > 5000, qPrintable(QString::number(sent)));
        QTRY_COMPARE_WITH_TIMEOUT(received, sent, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(link.pendingLines() == 0 && link.writer().pending() == 0, 10000);
        sampler.stop();
        // AddressSanitizer keeps freed memory in quarantine (256 MB) to catch
        // late uses, so resident memory there tells nothing of the reader.
        if (!AddressSanitizerBuild)
            QVERIFY2(peak - before < 64 * 1024, qPrintable(QStringLiteral("%1 KiB more").arg(peak - before)));

        TransferRun &run = link.run();
        link.startRun(TransferRun::Kind::ReadToMemory);
        QTRY_VERIFY_WITH_TIMEOUT(!run.isActive(), 20000);
        QCOMPARE(run.recordsRead().size(), 46);
        const WorkingFile::Snapshot file = form.workingFile().snapshot();
        for (const Record &record : run.recordsRead()) {
            for (const auto &[key, value] : record.values)
                QCOMPARE(file.read(record.section, key, QString()), value.trimmed());
        }
        QVERIFY(errors.isEmpty());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
