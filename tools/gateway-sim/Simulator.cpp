#include "Simulator.h"

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/Records.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace GatewaySim {

Simulator::Simulator(int master, Gateway &gateway) : m_master(master), m_gateway(gateway)
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

void Simulator::setFlood(double bytesPerSecond, double seconds)
{
    m_floodRate = bytesPerSecond;
    m_floodSeconds = seconds;
    m_floodRequests.clear();
    for (const RecordId &id : ConfigLayout::records(FeaturesForVersion(m_gateway.firmware)))
        m_floodRequests << ReadRequest(id);
}

void Simulator::setLatency(int ms)
{
    m_latencyMs = ms;
    if (ms > 0)
        m_latency.start(ms);
}

void Simulator::readRequests()
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

void Simulator::handle(const QByteArray &line)
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
        record = shortRecord(m_gateway, record);
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

void Simulator::startFlood()
{
    m_floodStartedAt = m_clock.nsecsElapsed();
    m_floodEnd.start(int(m_floodSeconds * 1000));
    floodStep();
}

// Sends the flood's lines that are due, a few at a time so that requests
// are still read and answered in between.
void Simulator::floodStep()
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

void Simulator::endFlood()
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

void Simulator::reply(const QByteArray &record)
{
    Fault f = Fault::None;
    if (m_faultNow) {
        f = fault;
        if (f != Fault::None)
            ++m_faulty;
    }
    ++m_answered;
    switch (f) {
    case Fault::Silence:
        return;
    case Fault::Delay:
        QTimer::singleShot(delayMs, this, [this, record] { queue(replyBytes(Fault::None, record)); });
        return;
    case Fault::Duplicate:
        // The same reply once more, a moment later: after the tool's next request.
        QTimer::singleShot(30, this, [this, record] { queue(replyBytes(Fault::None, record)); });
        break;
    default:
        break;
    }
    queue(replyBytes(f, record));
}

void Simulator::queue(const QByteArray &bytes)
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
void Simulator::sendPaced()
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
// and starts again whenever a full packet has gone out.
void Simulator::deliver(const QByteArray &bytes)
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

void Simulator::passHeld()
{
    writeAll(m_held);
    m_held.clear();
}

void Simulator::writeAll(const QByteArray &bytes)
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

} // namespace GatewaySim
