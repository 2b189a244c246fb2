// A read-all of firmware 3.11 (46 records) with the gateway simulator pacing
// its replies at 9600 baud, reached three ways: through its own terminal
// (local), through ser2net in RFC 2217 mode on the loopback address, and
// through that server behind a loopback proxy that holds every byte 20 ms
// each way (a round trip R of 40 ms, a site behind a VPN). ser2net runs
// twice: with its default options, and set up for a device that answers in
// lines (each line sent on at its end, without Nagle's delay), as the
// README recommends. Each is printed against the limit: the replies' wire
// time plus one R per request, plus 5 %. Each run is repeated (the first
// argument, default 3) and the median taken.
//
// ser2net runs with the modem-line shim preloaded (its path is the second
// argument), as in the tests: the simulator's terminal has no modem lines.

#include "BenchTiming.h"
#include "FreePort.h"
#include "core/GatewaySession.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

// One direction of the proxy: bytes go on `delayMs` after they came, in order.
// A timer counts whole milliseconds and fires late rather than early, so it
// wakes a little before the bytes are due and the rest is slept off here:
// the proxy adds the 20 ms of a link, not 20 plus a timer's slack.
class DelayedPipe : public QObject
{
public:
    DelayedPipe(QTcpSocket *from, QTcpSocket *to, int delayMs) : QObject(from), m_to(to), m_delayMs(delayMs)
    {
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { pass(); });
        connect(from, &QTcpSocket::readyRead, this, [this, from] {
            m_queue.push_back({m_clock.nsecsElapsed() + m_delayMs * qint64(1000000), from->readAll()});
            if (!m_timer.isActive())
                schedule();
        });
    }

private:
    void schedule()
    {
        const qint64 left = m_queue.front().due - m_clock.nsecsElapsed();
        m_timer.start(int(std::max<qint64>(0, left / 1000000 - 1)));
    }

    void pass()
    {
        while (!m_queue.empty()) {
            const qint64 left = m_queue.front().due - m_clock.nsecsElapsed();
            if (left > 2000000)
                break;
            if (left > 0)
                QThread::usleep(left / 1000);
            m_to->write(m_queue.front().bytes);
            m_to->flush();
            m_queue.pop_front();
        }
        if (!m_queue.empty())
            schedule();
    }

    struct Held
    {
        qint64 due;
        QByteArray bytes;
    };
    QTcpSocket *m_to;
    int m_delayMs;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Held> m_queue;
};

// A loopback proxy to `targetPort` adding `delayMs` each way, in a thread of
// its own so that its timers do not wait for the tool's event handling.
class DelayProxy : public QObject
{
public:
    DelayProxy(quint16 targetPort, int delayMs) : m_targetPort(targetPort), m_delayMs(delayMs) {}

    quint16 start()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection()) {
                client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                auto *upstream = new QTcpSocket(client);
                upstream->connectToHost(QHostAddress::LocalHost, m_targetPort);
                upstream->waitForConnected(2000);
                upstream->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                new DelayedPipe(client, upstream, m_delayMs);
                new DelayedPipe(upstream, client, m_delayMs);
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            }
        });
        return m_server.serverPort();
    }

    // In the proxy's thread: its connections go with it.
    void stop()
    {
        m_server.close();
        qDeleteAll(m_server.findChildren<QTcpSocket *>(QString(), Qt::FindDirectChildrenOnly));
    }

private:
    QTcpServer m_server{this};
    quint16 m_targetPort;
    int m_delayMs;
};

struct Timing
{
    bool ok = false;
    double wallS = 0;
    qint64 replyBytes = 0;
    int requests = 0;
    // The median time from a reply's last byte leaving the simulator to the
    // next request reaching it: the link's, the server's and the tool's
    // share of a request, untouched by the odd stall of a busy machine.
    double turnaroundMs = 0;
};

// Connects, waits until the gateway is online, then times one read-all.
Timing readAll(const QString &port, const QString &file, QProcess &sim)
{
    Timing timing;
    QFile::remove(file);
    WorkingFile working(file);
    GatewaySession session(working);
    PortFailure failure;
    if (!session.connectTo(port, &failure)) {
        std::fprintf(stderr, "bench_network: cannot open %s (cause %d)\n", qPrintable(port), int(failure.cause));
        return timing;
    }
    if (!waitUntil([&] { return session.versionText() == QLatin1String("3.11"); }, 10000))
        return timing;
    bool finished = false;
    bool ok = false;
    QObject::connect(&session.run(), &TransferRun::finished, [&](const RunResult &result) {
        finished = true;
        ok = result.outcome == RunResult::Outcome::Ok;
    });
    QObject::connect(&session, &GatewaySession::requestSent, [&](const QByteArray &) { ++timing.requests; });
    QObject::connect(&session, &GatewaySession::lineReceived,
                     [&](const QByteArray &line) { timing.replyBytes += line.size(); });
    takeTurnarounds(sim);
    QElapsedTimer clock;
    clock.start();
    session.startRun(TransferRun::Kind::ReadAll);
    waitUntil([&] { return finished; }, 60000);
    timing.wallS = clock.nsecsElapsed() / 1e9;
    timing.turnaroundMs = percentile(takeTurnarounds(sim), 0.5);
    timing.ok = finished && ok;
    session.disconnect();
    return timing;
}

bool listening(QProcess &server, quint16 port)
{
    for (int i = 0; i < 500 && server.state() == QProcess::Running; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(100)) {
            probe.abort();
            QThread::msleep(100);
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QString shim = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir dir;

    QProcess sim;
    sim.start(QStringLiteral(GATEWAY_SIM), {QStringLiteral("--pace"), QStringLiteral("--turnaround"), QStringLiteral("--firmware"), QStringLiteral("311")});
    if (!sim.waitForReadyRead(10000))
        return 1;
    const QString pty = QString::fromLocal8Bit(sim.readLine().trimmed());

    // ser2net with its default options: it holds what the line delivers
    // until the line has been quiet for two characters' time, and sends
    // with Nagle's rule. And once more as the README recommends for the
    // gateway: each line goes on at its end (sendon), at once (nodelay).
    const quint16 serverPort = freeLoopbackPort();
    quint16 linesPort = freeLoopbackPort();
    while (linesPort == serverPort)
        linesPort = freeLoopbackPort();
    QFile config(dir.filePath(QStringLiteral("ser2net.yaml")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("%YAML 1.1\n---\nconnection: &gateway\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                "  connector: serialdev,%2,9600n81\n  options:\n    kickolduser: true\n"
                                "connection: &lines\n  accepter: telnet(rfc2217),tcp(nodelay),127.0.0.1,%3\n"
                                "  connector: serialdev,%2,9600n81\n  options:\n    kickolduser: true\n"
                                "    sendon: \\r\\n\n")
                     .arg(serverPort)
                     .arg(pty)
                     .arg(linesPort)
                     .toUtf8());
    config.close();
    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!shim.isEmpty())
        environment.insert(QStringLiteral("LD_PRELOAD"), shim);
    server.setProcessEnvironment(environment);
    // ser2net lives in /usr/sbin, which a user's PATH may lack.
    QString ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (ser2net.isEmpty())
        ser2net = QStringLiteral("/usr/sbin/ser2net");
    server.start(ser2net, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config.fileName()});
    if (!server.waitForStarted(5000) || !listening(server, serverPort) || !listening(server, linesPort)) {
        std::fprintf(stderr, "bench_network: ser2net did not start\n");
        return 1;
    }

    QThread proxyThread;
    DelayProxy proxy(serverPort, 20);
    DelayProxy linesProxy(linesPort, 20);
    proxy.moveToThread(&proxyThread);
    linesProxy.moveToThread(&proxyThread);
    proxyThread.start();
    quint16 proxyPort = 0;
    quint16 linesProxyPort = 0;
    QMetaObject::invokeMethod(&proxy, [&] {
        proxyPort = proxy.start();
        linesProxyPort = linesProxy.start();
    }, Qt::BlockingQueuedConnection);

    struct Setup
    {
        const char *name;
        QString port;
        double roundTripS;
    };
    const Setup setups[] = {
        {"local terminal", pty, 0.0},
        {"ser2net rfc2217 defaults, loopback", QStringLiteral("rfc2217://127.0.0.1:%1").arg(serverPort), 0.0},
        {"ser2net rfc2217 by lines, loopback", QStringLiteral("rfc2217://127.0.0.1:%1").arg(linesPort), 0.0},
        {"ser2net rfc2217 defaults, proxy +20 ms", QStringLiteral("rfc2217://127.0.0.1:%1").arg(proxyPort), 0.040},
        {"ser2net rfc2217 by lines, proxy +20 ms", QStringLiteral("rfc2217://127.0.0.1:%1").arg(linesProxyPort), 0.040},
    };
    std::printf("read-all, firmware 3.11, replies paced at 9600 baud; median of %d\n", repeats);
    bool allOk = true;
    for (const Setup &setup : setups) {
        std::vector<Timing> timings;
        for (int i = 0; i < repeats; ++i) {
            // ser2net lets the device go a moment after a connection ends;
            // its other connection cannot take it before.
            waitUntil([] { return false; }, 300);
            timings.push_back(readAll(setup.port, dir.filePath(QStringLiteral("bench.ini")), sim));
        }
        std::sort(timings.begin(), timings.end(), [](const Timing &a, const Timing &b) { return a.wallS < b.wallS; });
        const Timing &t = timings[timings.size() / 2];
        const bool ok = std::all_of(timings.begin(), timings.end(), [](const Timing &x) { return x.ok; });
        const double wire = t.replyBytes * ByteSeconds;
        const double limit = (wire + t.requests * setup.roundTripS) * 1.05;
        const double perRequestMs =
            t.requests > 0 ? (t.wallS - wire - t.requests * setup.roundTripS) * 1000 / t.requests : 0;
        std::printf("  %-40s %6.3f s  (wire %.3f s, %d requests x R %.0f ms; limit %.3f s; %+.1f ms a request "
                    "beyond wire and R; turnaround median %.1f ms)  %s\n",
                    setup.name, t.wallS, wire, t.requests, setup.roundTripS * 1000, limit, perRequestMs,
                    t.turnaroundMs, !ok ? "FAILED" : t.wallS <= limit ? "within" : "OVER");
        allOk = allOk && ok;
    }

    QMetaObject::invokeMethod(&proxy, [&] {
        proxy.stop();
        linesProxy.stop();
    }, Qt::BlockingQueuedConnection);
    proxyThread.quit();
    proxyThread.wait();
    server.terminate();
    server.waitForFinished(5000);
    sim.terminate();
    sim.waitForFinished(5000);
    return allOk ? 0 : 1;
}
