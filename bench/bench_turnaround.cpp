// The turnaround of a run: how long after a reply's last byte reaches the
// tool its next request arrives at the gateway, as the simulator sees it
// (its --turnaround log). The real main window on the platform given by
// QT_QPA_PLATFORM (offscreen when unset; xcb under xvfb-run) does read-all
// runs of firmware 3.11 at 9600 baud, then velmora-cli does the same reads on
// the same gateway; each prints the median and 90th percentile of the
// turnarounds, and the window its read-all time against the replies' wire
// time (10 bits a byte). Usage: bench_turnaround [runs] (default 3).
//
// Left out: the requests' own wire time (through a pseudo-terminal they
// cross at once) and a real gateway's time to answer; both are the same for
// the window and velmora-cli.

#include "BenchTiming.h"
#include "core/GatewaySession.h"
#include "core/TransferRun.h"
#include "gui/ErrorReport.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/SaveLoadPage.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void printTurnarounds(const char *who, const std::vector<double> &ms)
{
    std::printf("turnaround.%s median %.3f ms p90 %.3f ms (%zu replies)\n", who, percentile(ms, 0.5),
                percentile(ms, 0.9), ms.size());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = std::max(1, app.arguments().value(1, QStringLiteral("3")).toInt());
    const QString platform = QGuiApplication::platformName();

    QTemporaryDir dir;
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../gateway-sim"),
              {"--ports-dir", dir.filePath("ports"), "--name", "COM5", "--firmware", "311", "--pace", "--turnaround"});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    const QString device = QString::fromLatin1(sim.readLine().trimmed().split(' ').value(1));

    std::printf("turnaround: reply's last byte to the next request, seen by the simulator; window on %s\n",
                qPrintable(platform));
    int rc = 0;
    {
        MainWindow window(dir.path() + u'/');
        window.setErrorReporter(
            [](const QString &text) { std::fprintf(stderr, "error report: %s\n", qPrintable(text)); });
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        auto *list = window.findChild<QComboBox *>(QStringLiteral("cb_COM_Port"));
        list->setCurrentIndex(list->findText(QStringLiteral("COM5")));
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        if (!waitUntil([&] { return window.session().versionText() == QLatin1String("3.11"); }, 10000)) {
            std::fprintf(stderr, "no connection to the simulator\n");
            return 1;
        }
        window.pageControl()->setCurrentWidget(window.saveLoadPage());
        QTest::qWait(200);
        takeTurnarounds(sim);

        std::vector<double> all;
        for (int i = 0; i < runs; ++i) {
            GatewaySession &session = window.session();
            qint64 bytes = 0;
            bool finished = false, ok = false;
            QEventLoop loop;
            const auto counting = QObject::connect(&session, &GatewaySession::lineReceived,
                                                   [&](const QByteArray &line) { bytes += line.size(); });
            const auto ending = QObject::connect(&session.run(), &TransferRun::finished, [&](const RunResult &result) {
                finished = true;
                ok = result.ok();
                loop.quit();
            });
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("ButtonAlleDatenLesen")), Qt::LeftButton);
            if (!finished)
                loop.exec();
            const double wall = clock.nsecsElapsed() / 1e9;
            QObject::disconnect(counting);
            QObject::disconnect(ending);
            QTest::qWait(100);
            const std::vector<double> ms = takeTurnarounds(sim);
            all.insert(all.end(), ms.begin(), ms.end());
            const double wire = bytes * ByteSeconds;
            std::printf("  window read-all %.3f s, replies %.3f s on the wire, ratio %.3f; turnaround median %.3f ms\n",
                        wall, wire, wall / wire, percentile(ms, 0.5));
            if (!ok)
                rc = 1;
        }
        printTurnarounds(qPrintable(QStringLiteral("window_") + platform), all);
        window.session().disconnect();
    }

    // velmora-cli on the same gateway, through its device path.
    std::vector<double> all;
    for (int i = 0; i < runs; ++i) {
        QProcess cli;
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../velmora-cli"),
                  {"read", device, dir.filePath("cli.ini"), "--quiet"});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
            std::fprintf(stderr, "velmora-cli read failed: %s\n", cli.readAllStandardError().constData());
            rc = 1;
        }
        QTest::qWait(100);
        const std::vector<double> ms = takeTurnarounds(sim);
        all.insert(all.end(), ms.begin(), ms.end());
    }
    printTurnarounds("cli", all);
    sim.terminate();
    sim.waitForFinished(3000);
    return rc;
}
