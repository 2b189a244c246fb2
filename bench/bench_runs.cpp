// A read-all and a write-all run of 46 records (firmware 3.11) with the real
// main window, through a pseudo-terminal to the gateway simulator pacing its
// replies at 9600 baud: the time from the button's click to the run's end,
// against the wire time of the reply bytes received in that time (10 bits a
// byte). Then the read-all again on a slow disk (libslow_fsync.so preloaded:
// 10 ms more for every fsync), with the number of fsync calls it made. Each
// run is repeated (the first argument, default 5) and the median reported;
// on a fresh working file only the first read-all changes stored values.
//
// Left out: through a pseudo-terminal the requests cross at once, so their
// wire time (and a real gateway's time to answer) is in neither figure; on a
// real line both add to the wall time alike for any tool. The window runs on
// the offscreen platform, so painting to a real screen is left out too.

#include "BenchTiming.h"
#include "core/GatewaySession.h"
#include "core/TransferRun.h"
#include "texts/ErrorTexts.h"
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
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <vector>

namespace {
struct RunTiming
{
    bool ok = false;
    double wallS = 0;
    qint64 replyBytes = 0;
    int replies = 0;
    // Where the wall time went: click to the first request; a reply taken to
    // the next request written (the tool); a request written to its reply
    // taken, less that reply's wire time (terminal, simulator's timers, the
    // tool's port read); the last reply to the run's end (its record stored).
    double firstRequestS = 0;
    double toolS = 0;
    double beyondWireS = 0;
    double lastStoreS = 0;
    long fsyncCalls = -1; // with the slow-disk shim only
};

// Clicks `button` and runs the event loop until the run has finished.
RunTiming timedRun(MainWindow &window, const char *button)
{
    GatewaySession &session = window.session();
    RunTiming result;
    bool finished = false;
    QElapsedTimer clock;
    QEventLoop loop;
    double requestAt = -1, replyAt = -1;
    const auto sending = QObject::connect(&session, &GatewaySession::requestSent, [&](const QByteArray &) {
        const double now = clock.nsecsElapsed() / 1e9;
        if (replyAt < 0)
            result.firstRequestS = now;
        else
            result.toolS += now - replyAt;
        requestAt = now;
    });
    const auto counting = QObject::connect(&session, &GatewaySession::lineReceived, [&](const QByteArray &line) {
        replyAt = clock.nsecsElapsed() / 1e9;
        result.replyBytes += line.size();
        ++result.replies;
        result.beyondWireS += replyAt - requestAt - line.size() * ByteSeconds;
    });
    const auto ending = QObject::connect(&session.run(), &TransferRun::finished, [&](const RunResult &run) {
        const bool ok = run.ok();
        const QString text = RunResultText(run, Language::English);
        result.wallS = clock.nsecsElapsed() / 1e9;
        result.lastStoreS = result.wallS - replyAt;
        result.ok = ok;
        finished = true;
        if (!ok)
            std::fprintf(stderr, "run failed: %s\n", qPrintable(text));
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    auto *target = window.findChild<QPushButton *>(QLatin1String(button));
    clock.start();
    QTest::mouseClick(target, Qt::LeftButton);
    if (!finished)
        loop.exec();
    QObject::disconnect(sending);
    QObject::disconnect(counting);
    QObject::disconnect(ending);
    if (!finished)
        std::fprintf(stderr, "%s: no end within 60 s\n", button);
    return result;
}

void print(const char *name, const RunTiming &r, double target)
{
    const double wire = r.replyBytes * ByteSeconds;
    const double ratio = r.wallS / wire;
    std::printf("runs.%s.wall_s %.3f replies %d bytes %lld reply_wire_s %.3f ratio %.3f (target <= %.2f) %s\n",
                name, r.wallS, r.replies, static_cast<long long>(r.replyBytes), wire, ratio, target,
                ratio <= target ? "ok" : "MISSED");
    std::printf("runs.%s.beyond_wire_s click_to_first_request %.3f tool_reply_to_request %.3f "
                "terminal_simulator_port_read %.3f last_reply_to_end %.3f\n",
                name, r.firstRequestS, r.toolS, r.beyondWireS, r.lastStoreS);
    if (r.fsyncCalls >= 0)
        std::printf("runs.%s.fsync_calls %ld (each 10 ms longer)\n", name, r.fsyncCalls);
    std::fflush(stdout);
}

// Runs the program again with the slow-disk shim preloaded; its figures go
// to this program's output.
int slowDiskChild(int repeats)
{
    const QString shim = QCoreApplication::applicationDirPath() + QStringLiteral("/libslow_fsync.so");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), shim);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    std::fflush(stdout);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("slow-disk"), QString::number(repeats)});
    if (!child.waitForFinished(120000))
        return 1;
    return child.exitCode();
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool slowDisk = app.arguments().contains(QStringLiteral("slow-disk"));
    int repeats = 5;
    for (const QString &arg : app.arguments().mid(1)) {
        if (arg.toInt() > 0)
            repeats = arg.toInt();
    }
    long (*fsyncCount)() = nullptr;
    if (slowDisk) {
        fsyncCount = reinterpret_cast<long (*)()>(dlsym(RTLD_DEFAULT, "slow_fsync_count"));
        if (!fsyncCount) {
            std::fprintf(stderr, "slow-disk: libslow_fsync.so is not preloaded\n");
            return 1;
        }
    }
    QTemporaryDir dir;
    QProcess sim;
    QProcessEnvironment simEnv = QProcessEnvironment::systemEnvironment();
    simEnv.remove(QStringLiteral("LD_PRELOAD"));
    sim.setProcessEnvironment(simEnv);
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../gateway-sim"),
              {"--ports-dir", dir.filePath("ports"), "--name", "COM5", "--firmware", "311", "--pace"});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }

    if (!slowDisk) {
        std::printf("runs: wall = click to TransferRun::finished; reply_wire = reply bytes received x 10 bits "
                    "/ 9600 baud. Left out: the requests' own wire time and a real gateway's answer time "
                    "(through the pseudo-terminal requests cross at once), painting on a real screen "
                    "(offscreen).\n");
    }
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
        QTest::qWait(200); // the handshake's last bytes settle

        // Each kind several times: other work on the machine shows as
        // outliers; the median is the figure.
        struct Kind
        {
            const char *name;
            const char *button;
            double target;
        };
        const std::vector<Kind> kinds =
            slowDisk ? std::vector<Kind>{{"read_all_slow_disk", "ButtonAlleDatenLesen", 1.15}}
                     : std::vector<Kind>{{"read_all", "ButtonAlleDatenLesen", 1.05},
                                         {"write_all", "ButtonAlleDatenSchreiben", 1.05}};
        for (const Kind &kind : kinds) {
            std::vector<RunTiming> results;
            for (int i = 0; i < repeats; ++i) {
                const long before = fsyncCount ? fsyncCount() : 0;
                results.push_back(timedRun(window, kind.button));
                if (fsyncCount)
                    results.back().fsyncCalls = fsyncCount() - before;
                if (!results.back().ok)
                    rc = 1;
                print(kind.name, results.back(), kind.target);
            }
            std::vector<size_t> order(results.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::sort(order.begin(), order.end(),
                      [&](size_t a, size_t b) { return results[a].wallS < results[b].wallS; });
            const size_t mid = order[order.size() / 2];
            std::printf("median of %d: ", repeats);
            print(kind.name, results[mid], kind.target);
        }
        window.session().disconnect();
    }
    sim.terminate();
    sim.waitForFinished(3000);
    if (!slowDisk && rc == 0)
        rc = slowDiskChild(repeats);
    return rc;
}
