// A gateway that sends its records on its own, with no request, as fast as
// the line allows: the real main window (points page shown) connected
// through a pseudo-terminal to the gateway simulator in flood mode, at 9600
// baud, at 115200 baud, and unpaced (as fast as the tool reads). The
// simulator goes round all 46 records of firmware 3.11, each time with new
// values. Printed for each rate: the records received per second, the peak
// resident memory against the memory before, the replaces of the working
// file per second, how long a click on the page's address arrow takes from
// the press being posted to the page showing the next address, the share of
// the window thread's time spent, and the time from the simulator's last
// line to the working file holding the last value of every record; then
// whether the file equals what a read of the gateway gives.
//
// Each rate runs in a process of its own, so that one flood's memory does
// not count for the next. Left out: a real wire and UART (the terminal
// passes bytes at once), painting on a real screen (offscreen).

#include "ProcessMemory.h"
#include "core/GatewaySession.h"
#include "core/Records.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/UpDown.h"

#include <QApplication>
#include <QEventLoop>
#include <QHash>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Runs the event loop until `done` holds, checked every 10 ms, or `ms` have
// passed; the thread sleeps while no event comes.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(10);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// The record a reply line names ("cZ3", "cP07", "cI", "cD"), from its frame.
QByteArray recordKeyOf(const QByteArray &line)
{
    const qsizetype open = line.indexOf('>');
    if (open < 0 || line.size() < open + 3 || line.at(open + 1) != 'c')
        return {};
    const char kind = line.at(open + 2);
    return line.mid(open + 1, kind == 'Z' ? 3 : kind == 'P' ? 4 : 2);
}

int measure(const QString &simulator, const QString &baud, const char *name, double seconds)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char arg0[] = "bench_flood";
    char *argv[] = {arg0, nullptr};
    QApplication app(argc, argv);
    QTemporaryDir dir;
    MainWindow window(dir.path() + u'/');
    window.setErrorReporter([](const QString &text) { std::fprintf(stderr, "error report: %s\n", qPrintable(text)); });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    GatewaySession &session = window.session();
    window.pageControl()->setCurrentWidget(window.pointsPage());

    QProcess sim;
    sim.setProcessChannelMode(QProcess::SeparateChannels);
    sim.setReadChannel(QProcess::StandardOutput);
    sim.start(simulator, {QStringLiteral("--flood"), baud, QStringLiteral("--flood-seconds"), QString::number(seconds)});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(sim.readLine().trimmed());
    // "flood ended: N records, the last at T s" (T on the steady clock).
    long sent = -1;
    double lastSentAt = 0;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, [&] {
        while (sim.canReadLine()) {
            const QByteArray line = sim.readLine();
            if (std::sscanf(line.constData(), "flood ended: %ld records, the last at %lf s", &sent, &lastSentAt) != 2)
                sent = -1;
        }
    });

    // The records of the flood as they reach the session: how many, and the
    // last line of each.
    long received = 0;
    QHash<QByteArray, QByteArray> lastLines;
    QObject::connect(&session, &GatewaySession::lineReceived, [&](const QByteArray &line) {
        // Only once online: the handshake and version replies come first.
        if (session.versionText() != QLatin1String("3.11"))
            return;
        ++received;
        lastLines.insert(recordKeyOf(line), line);
    });

    PortFailure reason;
    if (!session.connectTo(device, &reason)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(device));
        return 1;
    }
    if (!QTest::qWaitFor([&] { return session.versionText() == QLatin1String("3.11"); }, 10000)) {
        std::fprintf(stderr, "no handshake\n");
        return 1;
    }
    const QString path = session.file().path();

    // A click on the address arrow every 50 ms, posted as the window system
    // would deliver it, each once the one before has been answered; its
    // time ends when the page has shown the next address.
    auto *arrows = window.pointsPage()->findChild<UpDown *>(QStringLiteral("UpDown3"));
    QToolButton *next = arrows ? arrows->findChildren<QToolButton *>().value(1) : nullptr;
    if (!next) {
        std::fprintf(stderr, "no address arrow\n");
        return 1;
    }
    // Made here, on the window's thread: a mouse event's device and place.
    QPointingDevice::primaryPointingDevice();
    const QPointF centre(next->width() / 2.0, next->height() / 2.0);
    const QPointF global = next->mapToGlobal(centre);
    std::vector<double> clicks;
    std::mutex clicksLock;
    std::atomic<bool> clickOpen{false};
    Clock::time_point clickPosted;
    QObject::connect(arrows, &UpDown::clicked, [&] {
        std::lock_guard<std::mutex> lock(clicksLock);
        clicks.push_back(secondsSince(clickPosted) * 1000);
        clickOpen = false;
    });
    std::atomic<long> peakKiB{residentKiB()};
    const long startKiB = peakKiB;
    std::atomic<bool> stop{false};
    std::atomic<bool> probing{true};
    std::thread sampler([&] {
        int tick = 0;
        while (!stop.load()) {
            peakKiB = std::max(peakKiB.load(), residentKiB());
            if (probing.load() && ++tick % 5 == 0 && !clickOpen.load()) {
                {
                    std::lock_guard<std::mutex> lock(clicksLock);
                    clickPosted = Clock::now();
                }
                clickOpen = true;
                QCoreApplication::postEvent(next, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
                QCoreApplication::postEvent(next, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                                  Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    const int replacesBefore = session.writer().replaces();
    const double cpuBefore = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    const bool ended = waitFor([&] { return sent >= 0; }, int(seconds * 1000) + 30000);
    const double floodSeconds = secondsSince(start);
    const double cpuFlood = threadCpuSeconds() - cpuBefore;
    const int replacesFlood = session.writer().replaces() - replacesBefore;
    const Clock::time_point lastSent{std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(lastSentAt))};

    // Caught up: every line sent has been handled, and the file holds the
    // last value of every record.
    const auto holdsLast = [&] {
        if (received < sent)
            return false;
        const WorkingFile::Snapshot file = WorkingFile(path).snapshot();
        for (const QByteArray &line : lastLines) {
            Record record;
            if (RecordFromReply(line, session.features(), &record) != Record::Reply::Valid)
                return false;
            for (const auto &[key, value] : record.values) {
                // Blanks around a value are no part of it when read.
                if (file.read(record.section, key, QString()) != value.trimmed())
                    return false;
            }
        }
        return true;
    };
    const double cpuAfterFlood = threadCpuSeconds();
    const int replacesAfterFlood = session.writer().replaces();
    double catchUp = -1;
    if (ended && waitFor(holdsLast, 60000))
        catchUp = secondsSince(lastSent);
    // The second after the file caught up: is the window still busy?
    const Clock::time_point idleFrom = Clock::now();
    waitFor([] { return false; }, 1000);
    const double cpuIdle = (threadCpuSeconds() - cpuAfterFlood) / std::max(1e-3, secondsSince(idleFrom));
    probing = false;
    stop = true;
    sampler.join();

    const long flooded = received;
    // What a read of the gateway gives now, against the file.
    bool same = false;
    TransferRun &run = session.run();
    session.startRun(TransferRun::Kind::ReadToMemory);
    if (QTest::qWaitFor([&] { return !run.isActive(); }, 30000)) {
        const WorkingFile::Snapshot file = WorkingFile(path).snapshot();
        same = run.recordsRead().size() == lastLines.size();
        for (const Record &record : run.recordsRead()) {
            for (const auto &[key, value] : record.values)
                same = same && file.read(record.section, key, QString()) == value.trimmed();
        }
    }

    std::vector<double> sorted;
    {
        std::lock_guard<std::mutex> lock(clicksLock);
        sorted = clicks;
    }
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) {
        return sorted.empty() ? -1.0 : sorted[std::min(sorted.size() - 1, size_t(q * sorted.size()))];
    };
    std::printf("flood.%s.records sent %ld received %ld, %.0f per s\n", name, sent, flooded, flooded / floodSeconds);
    std::printf("flood.%s.rss_mb start %.1f peak %.1f\n", name, startKiB / 1024.0, peakKiB.load() / 1024.0);
    const int replaces = session.writer().replaces() - replacesBefore;
    std::printf("flood.%s.replaces_per_s %.1f (records per replace %.1f)\n", name, replacesFlood / floodSeconds,
                replaces > 0 ? double(flooded) / replaces : 0.0);
    std::printf("flood.%s.click_ms %zu clicks, median %.1f p95 %.1f max %.1f (target max <= 100) %s\n", name,
                sorted.size(), at(0.5), at(0.95), sorted.empty() ? -1.0 : sorted.back(),
                !sorted.empty() && sorted.back() <= 100 ? "ok" : "MISSED");
    std::printf("flood.%s.window_thread_cpu flood %.0f%% idle after %.0f%%\n", name, 100 * cpuFlood / floodSeconds,
                100 * cpuIdle);
    if (catchUp < 0)
        std::printf("flood.%s.catch_up_s not within 60 s MISSED\n", name);
    else
        std::printf("flood.%s.catch_up_s %.3f (target <= 1) %s\n", name, catchUp, catchUp <= 1 ? "ok" : "MISSED");
    std::printf("flood.%s.file_equals_gateway %s\n", name, same ? "yes" : "NO");
    std::fflush(stdout);
    session.disconnect();
    sim.terminate();
    sim.waitForFinished(5000);
    return catchUp >= 0 && same ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // A child measures one rate: "measure SIMULATOR BAUD NAME SECONDS".
    if (argc == 6 && std::string(argv[1]) == "measure")
        return measure(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]), argv[4], std::atof(argv[5]));
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    const QString simulator = QCoreApplication::applicationDirPath() + QStringLiteral("/../gateway-sim");
    std::printf("flood: %.0f s of records with no request from the simulator through a pseudo-terminal, window on the "
                "points page; click = a press and release of the address arrow posted every 50 ms until the page has "
                "stepped; catch_up = the simulator's last line until the file holds every record's last value.\n",
                seconds);
    std::fflush(stdout);
    int rc = 0;
    const std::vector<std::pair<const char *, const char *>> rates = {{"9600", "9600"}, {"115200", "115200"}, {"unpaced", "0"}};
    for (const auto &[name, baud] : rates) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("measure"), simulator, QString::fromLatin1(baud), QString::fromLatin1(name),
                     QString::number(seconds)});
        if (!child.waitForFinished(int(seconds * 1000) + 150000) || child.exitCode() != 0) {
            std::fprintf(stderr, "flood %s failed\n", name);
            rc = 1;
        }
    }
    return rc;
}
