#include "Simulator.h"

#include "core/Frame.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
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
    m_clock.start();
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
