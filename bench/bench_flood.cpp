// A gateway that sends records on its own, with no request, as fast as the
// line allows: the real main window (points page shown) connected through a
// pseudo-terminal that this program feeds from a thread of its own, paced at
// 9600 baud, at 115200 baud, and unpaced (as fast as the tool reads). The
// records go round all 46 records of firmware 3.11, each time with new
// values. Printed for each rate: the records received per second, the peak
// resident memory against the memory before, the replaces of the working
// file per second, how long an event posted to the window's thread waits
// before it runs (what a click waits), the share of the window thread's time
// spent, and the time from the last byte sent to the working file holding
// the last value of every record.
//
// Each rate runs in a process of its own, so that one flood's memory does
// not count for the next. Left out: a real wire and UART (the terminal
// passes bytes at once), painting on a real screen (offscreen).

#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/Records.h"
#include "core/WorkingFile.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
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

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
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

QByteArray two(int n)
{
    return QByteArray::number(n % 100).rightJustified(2, '0');
}

// Record `index` of the 46 (24 addresses, 20 products, interface, printer)
// with values that differ from round to round.
QByteArray recordOf(int index, int round)
{
    if (index < 24) {
        QByteArray record = "cZ" + QByteArray(1, AddressChars[index]);
        for (int field = 0; field < 20; ++field)
            record += two(round + field + index);
        return record;
    }
    if (index < 44) {
        const int product = index - 23;
        return "cP" + two(product) + two(round + product)
               + ("F" + QByteArray::number(round % 100000)).rightJustified(10, ' ');
    }
    if (index == 44)
        return "cI" + QByteArray::number(round % 6) + QByteArray::number((round + 1) % 6)
               + QByteArray::number((round + 2) % 6) + QByteArray::number((round + 3) % 6);
    return "cD" + two(round % 4) + ("Flut " + QByteArray::number(round)).leftJustified(40, ' ');
}

constexpr int RecordCount = 46;

// Writes framed records to the terminal's master end at `bytesPerSecond`
// (0: as fast as the other end reads) until `seconds` have passed; keeps
// the last line of each record.
struct Feeder
{
    int master = -1;
    double bytesPerSecond = 0;
    double seconds = 10;
    std::atomic<long> lines{0};
    std::atomic<bool> done{false};
    Clock::time_point endedAt;
    std::map<int, QByteArray> last;

    void run()
    {
        const Clock::time_point start = Clock::now();
        QByteArray out;
        qint64 sent = 0;
        int round = 0, index = 0;
        long count = 0;
        for (;;) {
            const double t = secondsSince(start);
            if (t >= seconds && out.isEmpty())
                break;
            // Bytes the wire would have carried by now.
            const qint64 due = bytesPerSecond > 0 ? qint64(t * bytesPerSecond) : sent + 4096;
            while (t < seconds && sent + out.size() < due) {
                const QByteArray line = BuildRequestFrame(recordOf(index, round)) + "\r\n";
                out += line;
                last[index] = line;
                ++count;
                if (++index == RecordCount) {
                    index = 0;
                    ++round;
                }
            }
            if (out.isEmpty()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            pollfd p{master, POLLOUT, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::write(master, out.constData(), size_t(out.size()));
            if (n > 0) {
                out.remove(0, n);
                sent += n;
            }
            lines.store(count);
        }
        lines.store(count);
        endedAt = Clock::now();
        done.store(true);
    }
};

struct Sample
{
    std::atomic<long> peakKiB{0};
    std::atomic<bool> stop{false};
};

int measure(double bytesPerSecond, const char *name, double seconds)
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

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const QString slavePath = QString::fromLocal8Bit(::ptsname(master));
    // One terminal end of our own, raw, so that the master stays usable.
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    // The tool's poll and version request are answered as a gateway does;
    // anything else it sends is read and dropped, so that its writes never
    // fill the terminal.
    std::atomic<bool> draining{true};
    std::thread drain([&] {
        char buffer[512];
        QByteArray in;
        while (draining.load()) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            in.append(buffer, n);
            qsizetype lf;
            while ((lf = in.indexOf('\n')) >= 0) {
                const QByteArray line = in.left(lf);
                in.remove(0, lf + 1);
                QByteArray reply;
                if (line.contains(">C0P01<"))
                    reply = BuildRequestFrame("cP0101Produkt  1") + "\r\n";
                else if (line.contains(">S0V<"))
                    reply = BuildRequestFrame("cV311") + "\r\n";
                if (!reply.isEmpty())
                    (void)::write(master, reply.constData(), size_t(reply.size()));
            }
        }
    });

    PortFailure reason;
    if (!session.connectTo(slavePath, &reason)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slavePath));
        return 1;
    }
    session.pollOnce();
    if (!QTest::qWaitFor([&] { return session.versionText() == QLatin1String("3.11"); }, 10000)) {
        std::fprintf(stderr, "no handshake\n");
        return 1;
    }
    window.pageControl()->setCurrentWidget(window.pointsPage());
    QTest::qWait(300);
    const QString path = session.file().path();

    long received = 0;
    QObject::connect(&session, &GatewaySession::lineReceived, [&] { ++received; });
    // Events posted to the window's thread every 20 ms, each noting how
    // long it waited.
    std::vector<double> waits;
    std::mutex waitsLock;
    Sample sample;
    const long startKiB = residentKiB();
    sample.peakKiB = startKiB;
    std::atomic<bool> probing{true};
    std::thread sampler([&] {
        int tick = 0;
        while (!sample.stop.load()) {
            sample.peakKiB = std::max(sample.peakKiB.load(), residentKiB());
            if (probing.load() && tick++ % 2 == 0) {
                const Clock::time_point posted = Clock::now();
                QMetaObject::invokeMethod(&window, [&, posted] {
                    std::lock_guard<std::mutex> lock(waitsLock);
                    waits.push_back(secondsSince(posted) * 1000);
                }, Qt::QueuedConnection);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    Feeder feeder;
    feeder.master = master;
    feeder.bytesPerSecond = bytesPerSecond;
    feeder.seconds = seconds;
    const int replacesBefore = session.writer().replaces();
    const double cpuBefore = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::thread feeding([&] { feeder.run(); });
    waitFor([&] { return feeder.done.load(); }, int(seconds * 1000) + 60000);
    const double floodSeconds = secondsSince(start);
    const double cpuFlood = threadCpuSeconds() - cpuBefore;
    const int replacesFlood = session.writer().replaces() - replacesBefore;
    feeding.join();

    // The last value of every record, as the tool parses it.
    std::vector<Record> expected;
    for (const auto &[index, line] : feeder.last) {
        Record record;
        if (RecordFromReply(line, session.features(), &record) == Record::Reply::Valid)
            expected.push_back(record);
    }
    const auto holdsLast = [&] {
        const WorkingFile::Snapshot file = WorkingFile(path).snapshot();
        for (const Record &record : expected) {
            for (const auto &[key, value] : record.values) {
                // Blanks around a value are no part of it when read.
                if (file.read(record.section, key, QString()) != value.trimmed())
                    return false;
            }
        }
        return true;
    };
    double catchUp = -1;
    const double cpuAfterFlood = threadCpuSeconds();
    const int replacesAfterFlood = session.writer().replaces();
    if (waitFor(holdsLast, 60000))
        catchUp = secondsSince(feeder.endedAt);
    // The second after the file caught up: is the window still busy?
    waitFor([] { return false; }, 1000);
    const double cpuIdle = threadCpuSeconds() - cpuAfterFlood;
    probing = false;
    sample.stop = true;
    sampler.join();
    draining = false;
    drain.join();

    std::vector<double> sorted;
    {
        std::lock_guard<std::mutex> lock(waitsLock);
        sorted = waits;
    }
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) { return sorted.empty() ? -1.0 : sorted[std::min(sorted.size() - 1, size_t(q * sorted.size()))]; };
    std::printf("flood.%s.records_sent %ld per_s %.0f received %ld expected %zu\n", name, feeder.lines.load(),
                feeder.lines.load() / floodSeconds, received, expected.size());
    std::printf("flood.%s.rss_mb start %.1f peak %.1f\n", name, startKiB / 1024.0, sample.peakKiB.load() / 1024.0);
    const int replaces = session.writer().replaces() - replacesBefore;
    std::printf("flood.%s.replaces_per_s %.1f (records per replace %.1f, %d after the flood)\n", name,
                replacesFlood / floodSeconds, replaces > 0 ? double(received) / replaces : 0.0,
                session.writer().replaces() - replacesAfterFlood);
    std::printf("flood.%s.event_wait_ms median %.1f p95 %.1f max %.1f (target max <= 100) %s\n", name, at(0.5),
                at(0.95), sorted.empty() ? -1.0 : sorted.back(), !sorted.empty() && sorted.back() <= 100 ? "ok" : "MISSED");
    std::printf("flood.%s.window_thread_cpu flood %.0f%% after %.0f%%\n", name, 100 * cpuFlood / floodSeconds,
                100 * cpuIdle / (secondsSince(feeder.endedAt) > 0 ? secondsSince(feeder.endedAt) : 1));
    if (catchUp < 0)
        std::printf("flood.%s.catch_up_s not within 60 s MISSED\n", name);
    else
        std::printf("flood.%s.catch_up_s %.3f (target <= 1) %s\n", name, catchUp, catchUp <= 1 ? "ok" : "MISSED");
    std::fflush(stdout);
    session.disconnect();
    ::close(slave);
    ::close(master);
    return catchUp < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // A child measures one rate: "measure BYTES_PER_SECOND NAME SECONDS".
    if (argc == 5 && std::string(argv[1]) == "measure")
        return measure(std::atof(argv[2]), argv[3], std::atof(argv[4]));
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    std::printf("flood: %.0f s of records with no request through a pseudo-terminal, window on the points page; "
                "event_wait = an event posted every 20 ms to the window's thread until it runs; catch_up = the last "
                "byte sent until the file holds every record's last value.\n", seconds);
    std::fflush(stdout);
    int rc = 0;
    // 10 bits a byte on the wire.
    const std::vector<std::pair<const char *, double>> rates = {{"9600", 960}, {"115200", 11520}, {"unpaced", 0}};
    for (const auto &[name, bytes] : rates) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("measure"), QString::number(bytes), QString::fromLatin1(name), QString::number(seconds)});
        if (!child.waitForFinished(int(seconds * 1000) + 120000) || child.exitCode() != 0) {
            std::fprintf(stderr, "flood %s failed\n", name);
            rc = 1;
        }
    }
    return rc;
}
