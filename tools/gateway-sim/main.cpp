// A simulated Velmora gateway on a pseudo-terminal, for trying the tool
// without hardware, for end-to-end tests and for benchmarks.
//
// It registers its terminal as an alias COM<n> in a ports/ folder, answers
// the version request, the poll and every read and write request with
// correctly framed records for the chosen firmware version, keeps its state
// in memory, can pace its output like a 9600 baud wire, can hold it in
// chunks as a USB serial adapter's latency timer does, and can misbehave on
// request. In flood mode it also sends its records on its own, round after
// round with new values, at a given line speed or as fast as the terminal
// takes them: a gateway whose values change faster than anyone reads them.

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/Records.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray two(int n)
{
    return PadLeft(QByteArray::number(n), 2, '0');
}

struct Gateway
{
    int firmware = 311;
    QByteArray quality[36][10];
    QByteArray edv[36][10];
    QByteArray productQuality[21];
    QByteArray productName[21]; // ten characters, right-aligned
    QByteArray printerModel = "02";
    QByteArray printerHead = "Simulierte Kopfzeile";
    QByteArray interface = "4125";

    bool hasPoint5() const { return firmware >= 110 && firmware != 208; }
    bool hasTenPoints() const { return firmware > 310; }

    // State that differs from the tool's defaults, so that a read shows.
    Gateway()
    {
        for (int a = 0; a < 36; ++a) {
            for (int k = 0; k < 10; ++k) {
                quality[a][k] = two((a * 7 + k * 3) % 99 + 1);
                edv[a][k] = two((a * 5 + k * 11 + 40) % 99 + 1);
            }
        }
        for (int m = 1; m <= 20; ++m) {
            productQuality[m] = two(m + 40);
            productName[m] = PadLeft("Sim " + QByteArray::number(m), 10, ' ');
        }
    }

    QByteArray pointsRecord(int a) const
    {
        QByteArray r = "cZ";
        r += AddressChars[a];
        for (int k = 0; k < 4; ++k)
            r += quality[a][k];
        for (int k = 0; k < 4; ++k)
            r += edv[a][k];
        if (hasPoint5())
            r += quality[a][4] + edv[a][4];
        if (hasTenPoints()) {
            for (int k = 5; k < 10; ++k)
                r += quality[a][k] + edv[a][k];
        }
        return r;
    }

    QByteArray productRecord(int m) const
    {
        return "cP" + two(m) + productQuality[m] + productName[m];
    }

    QByteArray printerRecord() const
    {
        QByteArray head = printerHead.left(40);
        return "cD" + printerModel + head + QByteArray(40 - head.size(), ' ');
    }

    // `record` as a gateway that gets its own layout wrong sends it: points
    // laid out for the next smaller firmware (five for ten, four for five),
    // a product one character short, any other record as it is.
    QByteArray shortRecord(const QByteArray &record) const
    {
        if (record.startsWith("cZ"))
            return record.left(3 + 4 * (hasTenPoints() ? 5 : 4));
        if (record.startsWith("cP"))
            return record.chopped(1);
        return record;
    }

    // The reply record to a request command, or nothing for a request that
    // the gateway does not accept.
    QByteArray answer(const QByteArray &c) const;
    void store(const QByteArray &c);
    // New values for the record that read request `c` asks for, different
    // in each `round`, each within its field's form.
    void vary(const QByteArray &c, int round);
};

int addressOf(char ch)
{
    const char *p = ch ? std::strchr(AddressChars, ch) : nullptr;
    return p ? int(p - AddressChars) : -1;
}

QByteArray Gateway::answer(const QByteArray &c) const
{
    if (c == "S0V")
        return "cV" + QByteArray::number(firmware).rightJustified(3, '0').left(3);
    const QByteArray kind = c.left(3);
    if (kind == "C0P" || kind == "C1P") {
        const int m = c.mid(3, 2).toInt();
        return m >= 1 && m <= 20 ? productRecord(m) : QByteArray();
    }
    if (kind == "C0Z" || kind == "C1Z") {
        const int a = c.size() > 3 ? addressOf(c.at(3)) : -1;
        return a >= 0 ? pointsRecord(a) : QByteArray();
    }
    if (kind == "C0D" || kind == "C1D")
        return printerRecord();
    if (kind == "C0I" || kind == "C1I")
        return "cI" + interface;
    return {};
}

void Gateway::store(const QByteArray &c)
{
    const QByteArray kind = c.left(3);
    if (kind == "C1P" && c.size() >= 17) {
        const int m = c.mid(3, 2).toInt();
        if (m >= 1 && m <= 20) {
            productQuality[m] = c.mid(5, 2);
            productName[m] = c.mid(7, 10);
        }
    } else if (kind == "C1Z" && c.size() >= 20) {
        const int a = addressOf(c.at(3));
        if (a < 0)
            return;
        for (int k = 0; k < 4; ++k) {
            quality[a][k] = c.mid(4 + 2 * k, 2);
            edv[a][k] = c.mid(12 + 2 * k, 2);
        }
        int pos = 20;
        if (hasPoint5() && c.size() >= pos + 4) {
            quality[a][4] = c.mid(pos, 2);
            edv[a][4] = c.mid(pos + 2, 2);
            pos += 4;
        }
        if (hasTenPoints()) {
            for (int k = 5; k < 10 && c.size() >= pos + 4; ++k, pos += 4) {
                quality[a][k] = c.mid(pos, 2);
                edv[a][k] = c.mid(pos + 2, 2);
            }
        }
    } else if (kind == "C1D" && c.size() >= 5) {
        printerModel = c.mid(3, 2);
        printerHead = c.mid(5, 40);
        while (printerHead.endsWith(' '))
            printerHead.chop(1);
    } else if (kind == "C1I" && c.size() >= 7) {
        interface = c.mid(3, 4);
    }
}

void Gateway::vary(const QByteArray &c, int round)
{
    const QByteArray kind = c.left(3);
    if (kind == "C0Z" && c.size() > 3) {
        const int a = addressOf(c.at(3));
        if (a < 0)
            return;
        for (int k = 0; k < 10; ++k) {
            quality[a][k] = two((round + a + k) % 99 + 1);
            edv[a][k] = two((3 * round + a + k) % 99 + 1);
        }
    } else if (kind == "C0P") {
        const int m = c.mid(3, 2).toInt();
        if (m >= 1 && m <= 20) {
            productQuality[m] = two((round + m) % 99 + 1);
            productName[m] = PadLeft("F" + QByteArray::number(round % 100000), 10, ' ');
        }
    } else if (kind == "C0D") {
        printerModel = two(round % 4);
        printerHead = "Flut " + QByteArray::number(round);
    } else if (kind == "C0I") {
        interface.clear();
        for (int i = 0; i < 4; ++i)
            interface += char('0' + (round + i) % 6);
    }
}

enum class Fault {
    None, BadChecksum, Silence, Prefix, UnknownLetter, NoLf, Delay, OtherRecord, Duplicate, IgnoreWrites, ShortRecords
};

Fault faultFromName(const QString &name, bool *ok)
{
    *ok = true;
    if (name == "none") return Fault::None;
    if (name == "bad-checksum") return Fault::BadChecksum;
    if (name == "silence") return Fault::Silence;
    if (name == "prefix") return Fault::Prefix;
    if (name == "unknown-letter") return Fault::UnknownLetter;
    if (name == "no-lf") return Fault::NoLf;
    if (name == "delay") return Fault::Delay;
    if (name == "other-record") return Fault::OtherRecord;
    if (name == "duplicate") return Fault::Duplicate;
    if (name == "ignore-writes") return Fault::IgnoreWrites;
    if (name == "short-records") return Fault::ShortRecords;
    *ok = false;
    return Fault::None;
}

QString g_aliasPath;

void removeAlias(int)
{
    if (!g_aliasPath.isEmpty())
        ::unlink(QFile::encodeName(g_aliasPath).constData());
    std::_Exit(0);
}

class Simulator : public QObject
{
public:
    Simulator(int master, Gateway &gateway) : m_master(master), m_gateway(gateway)
    {
        m_notifier = new QSocketNotifier(master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readRequests(); });
        m_sender.setSingleShot(true);
        connect(&m_sender, &QTimer::timeout, this, [this] { sendPaced(); });
        m_latency.setTimerType(Qt::PreciseTimer);
        connect(&m_latency, &QTimer::timeout, this, [this] { passHeld(); });
        m_floodWritable = new QSocketNotifier(master, QSocketNotifier::Write, this);
        m_floodWritable->setEnabled(false);
        connect(m_floodWritable, &QSocketNotifier::activated, this, [this] { floodStep(); });
        m_floodNext.setSingleShot(true);
        m_floodNext.setTimerType(Qt::PreciseTimer);
        connect(&m_floodNext, &QTimer::timeout, this, [this] { floodStep(); });
        m_floodEnd.setSingleShot(true);
        connect(&m_floodEnd, &QTimer::timeout, this, [this] { endFlood(); });
        m_clock.start();
    }

    // Flood mode: from the first version request on, for `seconds`, every
    // record of the firmware is sent on its own, round after round with new
    // values, at `bytesPerSecond` as a wire carries them, or with 0 as fast
    // as the terminal takes them. Its end is announced on standard output.
    void setFlood(double bytesPerSecond, double seconds)
    {
        m_floodRate = bytesPerSecond;
        m_floodSeconds = seconds;
        m_floodRequests.clear();
        for (const RecordId &id : ConfigLayout::records(FeaturesForVersion(m_gateway.firmware)))
            m_floodRequests << ReadRequest(id);
    }

    // Holds what crosses the wire as a USB adapter's chip does: until its
    // latency timer of `ms` runs out, or a USB packet is full.
    void setLatency(int ms)
    {
        m_latencyMs = ms;
        if (ms > 0)
            m_latency.start(ms);
    }

    bool pace = false;
    Fault fault = Fault::None;
    int faultAfter = 0;  // replies answered normally before the faults start
    int faultCount = -1; // faulty replies, -1 for all
    int delayMs = 5000;
    bool verbose = false;
    bool turnaround = false;

private:
    void readRequests()
    {
        char buffer[512];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            // No terminal end open just now (the tool closed the port).
            ::usleep(20000);
            return;
        }
        m_in.append(buffer, n);
        if (m_in.size() > 4096)
            m_in = m_in.right(1024);
        qsizetype lf;
        while ((lf = m_in.indexOf('\n')) >= 0) {
            const QByteArray line = m_in.left(lf + 1);
            m_in.remove(0, lf + 1);
            handle(line);
        }
    }

    void handle(const QByteArray &line)
    {
        const qsizetype open = line.indexOf('>');
        const qsizetype close = line.indexOf('<');
        if (open < 0 || close < open || !CheckReplyFrame(line))
            return;
        const QByteArray command = line.mid(open + 1, close - open - 1);
        // The tool's turnaround: from the last byte of a reply reaching it
        // to its next request arriving here.
        if (turnaround && m_repliedAt >= 0 && m_out.isEmpty() && m_held.isEmpty())
            std::fprintf(stderr, "gateway-sim: turnaround %.3f ms before %s\n",
                         (m_clock.nsecsElapsed() - m_repliedAt) / 1e6, command.constData());
        m_repliedAt = -1;
        if (verbose)
            std::fprintf(stderr, "gateway-sim: <- %s\n", command.constData());
        m_faultNow = m_answered >= faultAfter && (faultCount < 0 || m_faulty < faultCount);
        // A gateway that ignores a write echoes the record it still holds.
        if (!(fault == Fault::IgnoreWrites && m_faultNow && command.startsWith("C1")))
            m_gateway.store(command);
        QByteArray record = m_gateway.answer(command);
        if (fault == Fault::OtherRecord && m_faultNow)
            record = m_gateway.answer(neighbourOf(command));
        if (fault == Fault::ShortRecords && m_faultNow)
            record = m_gateway.shortRecord(record);
        if (record.isEmpty())
            return;
        // A new request discards what the tool has not taken yet.
        reply(record);
        // The tool is online: the flood follows its version reply.
        if (command == "S0V" && m_floodSeconds > 0 && !m_floodStarted) {
            m_floodStarted = true;
            QTimer::singleShot(200, this, [this] { startFlood(); });
        }
    }

    void startFlood()
    {
        m_floodStartedAt = m_clock.nsecsElapsed();
        m_floodEnd.start(int(m_floodSeconds * 1000));
        floodStep();
    }

    // Sends the flood's lines that are due, a few at a time so that requests
    // are still read and answered in between.
    void floodStep()
    {
        m_floodWritable->setEnabled(false);
        if (!m_floodEnd.isActive())
            return;
        for (int lines = 0; lines < 64; ++lines) {
            const QByteArray &request = m_floodRequests.at(m_floodIndex);
            // Every record keeps its length whatever its values.
            const qsizetype size = BuildRequestFrame(m_gateway.answer(request)).size() + 2;
            if (m_floodRate > 0) {
                // A line is there once its last byte has crossed the wire.
                const double due = double(m_floodBytes + size) / m_floodRate;
                const double now = (m_clock.nsecsElapsed() - m_floodStartedAt) / 1e9;
                if (due > now) {
                    m_floodNext.start(int((due - now) * 1000));
                    return;
                }
            }
            // A terminal whose reader does not keep up: wait for room.
            pollfd room{m_master, POLLOUT, 0};
            if (::poll(&room, 1, 0) != 1 || !(room.revents & POLLOUT)) {
                m_floodWritable->setEnabled(true);
                return;
            }
            m_gateway.vary(request, m_floodRound);
            writeAll(BuildRequestFrame(m_gateway.answer(request)) + "\r\n");
            m_floodBytes += size;
            ++m_floodLines;
            m_floodLastAt = std::chrono::steady_clock::now();
            if (++m_floodIndex == m_floodRequests.size()) {
                m_floodIndex = 0;
                ++m_floodRound;
            }
        }
        m_floodNext.start(0);
    }

    void endFlood()
    {
        m_floodEnd.stop();
        m_floodNext.stop();
        m_floodWritable->setEnabled(false);
        // The time of the last line on the clock that every process of the
        // machine shares, for whoever measures how soon the tool caught up.
        const double lastAt = std::chrono::duration<double>(m_floodLastAt.time_since_epoch()).count();
        std::printf("flood ended: %ld records, the last at %.6f s\n", m_floodLines, lastAt);
        std::fflush(stdout);
    }

    // The request of the next record of the same kind: another address or
    // product than asked for.
    static QByteArray neighbourOf(const QByteArray &command)
    {
        const QByteArray kind = command.left(3);
        if ((kind == "C0Z" || kind == "C1Z") && command.size() > 3) {
            const int a = addressOf(command.at(3));
            return a < 0 ? command : kind + AddressChars[(a + 1) % 36];
        }
        if (kind == "C0P" || kind == "C1P")
            return kind + two(command.mid(3, 2).toInt() % 20 + 1);
        return command;
    }

    void reply(const QByteArray &record)
    {
        Fault f = Fault::None;
        if (m_faultNow) {
            f = fault;
            if (f != Fault::None)
                ++m_faulty;
        }
        ++m_answered;
        QByteArray bytes;
        switch (f) {
        case Fault::Silence:
            return;
        case Fault::BadChecksum: {
            bytes = BuildRequestFrame(record);
            bytes[bytes.size() - 1] = bytes.at(bytes.size() - 1) == '0' ? '1' : '0';
            bytes += "\r\n";
            break;
        }
        case Fault::Prefix:
            bytes = "\x01" + BuildRequestFrame(record) + "\r\n";
            break;
        case Fault::UnknownLetter:
            bytes = BuildRequestFrame("cX" + record.mid(2)) + "\r\n";
            break;
        case Fault::NoLf:
            bytes = BuildRequestFrame(record);
            break;
        case Fault::Delay:
            QTimer::singleShot(delayMs, this, [this, record] { queue(BuildRequestFrame(record) + "\r\n"); });
            return;
        case Fault::Duplicate:
            // The same reply once more, a moment later: after the tool's next request.
            QTimer::singleShot(30, this, [this, record] { queue(BuildRequestFrame(record) + "\r\n"); });
            bytes = BuildRequestFrame(record) + "\r\n";
            break;
        case Fault::None:
        case Fault::OtherRecord:
        case Fault::IgnoreWrites:
        case Fault::ShortRecords:
            bytes = BuildRequestFrame(record) + "\r\n";
            break;
        }
        queue(bytes);
    }

    void queue(const QByteArray &bytes)
    {
        if (verbose)
            std::fprintf(stderr, "gateway-sim: -> %s", bytes.constData());
        if (!pace) {
            deliver(bytes);
            return;
        }
        // An idle wire starts now; a busy one goes on where it is, so that
        // a late timer does not count as time the wire stood still.
        const double now = m_clock.nsecsElapsed() / 1e9;
        if (m_out.isEmpty() && m_wireFree < now)
            m_wireFree = now;
        m_out += bytes;
        if (!m_sender.isActive())
            sendPaced();
    }

    // At 9600 baud with 10 bits a byte, one byte takes 1/960 s.
    void sendPaced()
    {
        const double now = m_clock.nsecsElapsed() / 1e9;
        // Hand over the bytes whose stop bit has gone out: a receiver has a
        // byte only at the end of its time on the wire.
        qsizetype count = 0;
        while (count < m_out.size() && m_wireFree + 1.0 / 960.0 <= now + 1e-9) {
            m_wireFree += 1.0 / 960.0;
            ++count;
        }
        deliver(m_out.left(count));
        m_out.remove(0, count);
        if (!m_out.isEmpty())
            m_sender.start(std::max(0, int((m_wireFree + 1.0 / 960.0 - now) * 1000)));
    }

    // Bytes that have crossed the wire reach the tool: at once from a
    // built-in port, through the latency timer from a USB adapter. The
    // timer runs on its own, so a reply waits between 0 and the latency,
    // and starts again whenever a full packet (62 data bytes in the 64
    // bytes of a full-speed packet) has gone out.
    void deliver(const QByteArray &bytes)
    {
        if (m_latencyMs <= 0) {
            writeAll(bytes);
            return;
        }
        m_held += bytes;
        while (m_held.size() >= UsbPacketData) {
            writeAll(m_held.left(UsbPacketData));
            m_held.remove(0, UsbPacketData);
            m_latency.start(m_latencyMs);
        }
    }

    void passHeld()
    {
        writeAll(m_held);
        m_held.clear();
    }

    static constexpr qsizetype UsbPacketData = 62;

    void writeAll(const QByteArray &bytes)
    {
        if (!bytes.isEmpty())
            m_repliedAt = m_clock.nsecsElapsed();
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += n;
        }
    }

    int m_master;
    Gateway &m_gateway;
    QSocketNotifier *m_notifier;
    QByteArray m_in;
    QByteArray m_out;
    QTimer m_sender;
    QTimer m_latency;
    int m_latencyMs = 0;
    QByteArray m_held;
    QElapsedTimer m_clock;
    double m_wireFree = 0;
    int m_answered = 0;
    int m_faulty = 0;
    bool m_faultNow = false; // the request being answered gets the fault
    qint64 m_repliedAt = -1; // when the last reply bytes went to the tool

    double m_floodRate = 0;    // bytes per second, 0: unpaced
    double m_floodSeconds = 0; // 0: no flood
    QList<QByteArray> m_floodRequests;
    bool m_floodStarted = false;
    qint64 m_floodStartedAt = 0;
    qsizetype m_floodIndex = 0;
    int m_floodRound = 0;
    qint64 m_floodBytes = 0;
    long m_floodLines = 0;
    std::chrono::steady_clock::time_point m_floodLastAt;
    QSocketNotifier *m_floodWritable;
    QTimer m_floodNext;
    QTimer m_floodEnd;

};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gateway-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Velmora gateway on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("ports-dir"), QStringLiteral("Register the terminal as an alias in <folder>."), QStringLiteral("folder")},
        {QStringLiteral("name"), QStringLiteral("Alias name COM<n> (default: the lowest free from COM50)."), QStringLiteral("name")},
        {QStringLiteral("firmware"), QStringLiteral("Firmware version number, e.g. 106, 208, 310 (default 311)."), QStringLiteral("n"), QStringLiteral("311")},
        {QStringLiteral("pace"), QStringLiteral("Send replies at the speed of a 9600 baud wire.")},
        {QStringLiteral("latency"), QStringLiteral("Hold replies as a USB adapter with a latency timer of <ms> does (16 for the FTDI default, 1 in low-latency mode; default 0: none)."), QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("fault"), QStringLiteral("Misbehave: none, bad-checksum, silence, prefix, unknown-letter, no-lf, delay, "
                                                      "other-record (answer with the next address or product), "
                                                      "duplicate (send a reply twice), "
                                                      "ignore-writes (store nothing, echo the old record), "
                                                      "short-records (points laid out for the next smaller firmware, "
                                                      "products one character short)."), QStringLiteral("kind"), QStringLiteral("none")},
        {QStringLiteral("fault-after"), QStringLiteral("Answer <n> requests correctly before misbehaving."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("fault-count"), QStringLiteral("Misbehave on <n> replies only (default: all)."), QStringLiteral("n"), QStringLiteral("-1")},
        {QStringLiteral("delay-ms"), QStringLiteral("Delay of the delay fault in ms (default 5000)."), QStringLiteral("ms"), QStringLiteral("5000")},
        {QStringLiteral("verbose"), QStringLiteral("Log requests and replies to standard error.")},
        {QStringLiteral("turnaround"), QStringLiteral("Log to standard error how long after a reply's last byte the next request came.")},
        {QStringLiteral("flood"), QStringLiteral("After the version request, send every record on its own, round after round with new values, "
                                                      "at <baud> (10 bits a byte; 0: as fast as the terminal takes them), "
                                                      "then say on standard output when it ended."), QStringLiteral("baud")},
        {QStringLiteral("flood-seconds"), QStringLiteral("Length of the flood in seconds (default 10)."), QStringLiteral("s"), QStringLiteral("10")},
    });
    parser.process(app);

    bool ok = false;
    const Fault fault = faultFromName(parser.value(QStringLiteral("fault")), &ok);
    if (!ok) {
        std::fprintf(stderr, "gateway-sim: unknown fault kind\n");
        return 2;
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("gateway-sim: pseudo-terminal");
        return 1;
    }
    const QString slavePath = QString::fromLocal8Bit(::ptsname(master));
    // Keep one terminal end open ourselves, in raw mode, so that the master
    // stays readable while the tool has the port closed.
    const int slave = ::open(QFile::encodeName(slavePath).constData(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }

    Gateway gateway;
    gateway.firmware = parser.value(QStringLiteral("firmware")).toInt();

    if (parser.isSet(QStringLiteral("ports-dir"))) {
        QDir dir(parser.value(QStringLiteral("ports-dir")));
        dir.mkpath(QStringLiteral("."));
        QString name = parser.value(QStringLiteral("name"));
        if (name.isEmpty()) {
            for (int n = 50;; ++n) {
                name = QStringLiteral("COM%1").arg(n);
                const QFileInfo existing(dir.filePath(name));
                if (!existing.isSymLink() || !QFile::exists(existing.symLinkTarget()))
                    break;
            }
        }
        g_aliasPath = dir.filePath(name);
        QFile::remove(g_aliasPath);
        if (!QFile::link(slavePath, g_aliasPath)) {
            std::fprintf(stderr, "gateway-sim: cannot create %s\n", qPrintable(g_aliasPath));
            return 1;
        }
        std::signal(SIGINT, removeAlias);
        std::signal(SIGTERM, removeAlias);
        std::signal(SIGHUP, removeAlias);
        std::printf("%s %s\n", qPrintable(name), qPrintable(slavePath));
    } else {
        std::printf("%s\n", qPrintable(slavePath));
    }
    std::fflush(stdout);

    Simulator simulator(master, gateway);
    simulator.pace = parser.isSet(QStringLiteral("pace"));
    simulator.fault = fault;
    simulator.faultAfter = parser.value(QStringLiteral("fault-after")).toInt();
    simulator.faultCount = parser.value(QStringLiteral("fault-count")).toInt();
    simulator.delayMs = parser.value(QStringLiteral("delay-ms")).toInt();
    simulator.verbose = parser.isSet(QStringLiteral("verbose"));
    simulator.turnaround = parser.isSet(QStringLiteral("turnaround"));
    simulator.setLatency(std::max(0, parser.value(QStringLiteral("latency")).toInt()));
    if (parser.isSet(QStringLiteral("flood")))
        simulator.setFlood(std::max(0.0, parser.value(QStringLiteral("flood")).toDouble()) / 10,
                           parser.value(QStringLiteral("flood-seconds")).toDouble());
    const int rc = app.exec();
    if (!g_aliasPath.isEmpty())
        QFile::remove(g_aliasPath);
    return rc;
}
