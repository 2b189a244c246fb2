#include "core/GatewaySession.h"

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/Frame.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

#include <cstring>

GatewaySession::GatewaySession(WorkingFile &file, std::unique_ptr<SerialPort> port, QObject *parent)
    : QObject(parent), m_file(file), m_port(port ? std::move(port) : std::make_unique<QtSerialPort>()),
      m_writer(std::make_unique<RecordWriter>()), m_run(std::make_unique<TransferRun>(m_file, *m_writer))
{
    m_file.setWriter(m_writer.get());
    connect(m_run.get(), &TransferRun::requestReady, this, &GatewaySession::send);
    connect(m_run.get(), &TransferRun::recordStored, this, [this](const Record &record) {
        m_reportedStoreError = ReportedError();
        emit recordStored(record, true);
    });
    connect(m_run.get(), &TransferRun::storeFailed, this, &GatewaySession::reportStoreError);
    connect(m_run.get(), &TransferRun::errorOccurred, this, &GatewaySession::errorOccurred);
    m_polling.setInterval(1000);
    connect(&m_polling, &QTimer::timeout, this, &GatewaySession::pollOnce);
    connect(m_port.get(), &SerialPort::received, this, &GatewaySession::received);
    connect(m_port.get(), &SerialPort::lost, this, &GatewaySession::lost);
}

GatewaySession::~GatewaySession()
{
    // Records still on their way to the disk are written first.
    m_file.setWriter(nullptr);
    m_writer.reset();
}

void GatewaySession::startRun(TransferRun::Kind kind, const QList<Record> &kept)
{
    // A write-all sends what the file holds: the records received before
    // are in it first.
    m_writer->flush();
    m_reportedStoreError = ReportedError();
    m_run->start(kind, RunSettings{m_features, m_versionText, m_portLabel, kept});
}

bool GatewaySession::connectTo(const QString &devicePath, PortFailure *reason)
{
    if (!m_port->open(devicePath, reason))
        return false;
    m_assembler.reset();
    clearPending();
    m_portLabel = devicePath;
    m_versionText = QStringLiteral("unbekannt");
    m_exchange.clear();
    m_unansweredPolls = 0;
    setState(State::Connecting);
    m_polling.start();
    return true;
}

void GatewaySession::disconnect()
{
    m_polling.stop();
    try {
        m_port->close();
    } catch (...) {
        // Closing must never keep the link from going offline.
    }
    m_assembler.reset();
    clearPending();
    m_versionText = QStringLiteral("---");
    setState(State::Closed);
}

bool GatewaySession::isOpen() const
{
    return m_port->isOpen();
}

void GatewaySession::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void GatewaySession::flush()
{
    m_port->clearInput();
    m_port->clearOutput();
    // Bytes received but not yet handled go with the port's buffer.
    m_assembler.reset();
    clearPending();
}

void GatewaySession::pollOnce()
{
    // Every poll since the connect went unanswered: a reply resets the count.
    if (++m_unansweredPolls == UnansweredPollLimit)
        emit notAnswering(UnansweredPollLimit);
    m_exchange = m_exchange.isEmpty() ? QStringLiteral("ping") : QString();
    emit exchangeShown(m_exchange);
    send(ReadRequest(PollRecord));
}

WorkingFile::Snapshot GatewaySession::snapshotForWrite()
{
    m_writer->flush();
    return m_file.snapshot();
}

void GatewaySession::sendWrite(const Record &record)
{
    send(record.toRequest());
    m_pageWrite = record;
}

void GatewaySession::send(const QByteArray &command)
{
    // Any other request supersedes a page's write.
    m_pageWrite.reset();
    m_awaited = command;
    flush();
    if (m_state != State::Connecting) {
        m_exchange = Cp1252::decode(command.left(3));
        emit exchangeShown(m_exchange);
    }
    m_lastRequestLine = BuildRequestFrame(command) + "\r\n";
    emit requestSent(m_lastRequestLine);
    m_port->write(m_lastRequestLine);
}

namespace {
// The record a line or a request names: its kind letter and number ("Z7",
// "P07", "D", "I", "V"), from `text` starting at the kind letter; empty when
// it names none.
QByteArray recordKey(const QByteArray &text)
{
    if (text.isEmpty())
        return {};
    switch (text.at(0)) {
    case 'Z':
        return text.size() > 1 && text.at(1) && std::strchr(AddressChars, text.at(1)) ? text.left(2) : QByteArray();
    case 'P': {
        const auto digit = [&](int i) { return text.size() > i && text.at(i) >= '0' && text.at(i) <= '9'; };
        return digit(1) && digit(2) ? text.left(3) : QByteArray();
    }
    case 'D':
    case 'I':
    case 'V':
        return text.left(1);
    default:
        return {};
    }
}

// The record of a reply line ">c...<": after its frame's "c".
QByteArray replyKey(const QByteArray &line)
{
    const qsizetype open = line.indexOf('>');
    return open >= 0 && line.size() > open + 2 && line.at(open + 1) == 'c' ? recordKey(line.mid(open + 2, 3))
                                                                             : QByteArray();
}
} // namespace

void GatewaySession::received(const QByteArray &bytes)
{
    const QList<QByteArray> lines = m_assembler.feed(bytes);
    if (!m_delivering) {
        m_pending.append(lines);
        deliver();
        return;
    }
    // A line's handler is waiting (for the user to close a message box)
    // while the gateway goes on sending. Beyond MaxPendingLines waiting, a
    // record's newer line takes the place of the one that waits, as the
    // file would keep only its last values anyway; the answer awaited is
    // never replaced. A line that names no record is dropped then: whole
    // lines go, so nothing of it reaches the file.
    const QByteArray awaited = m_awaited.size() > 2 ? recordKey(m_awaited.mid(2, 3)) : QByteArray();
    for (const QByteArray &line : lines) {
        if (m_pending.size() < MaxPendingLines) {
            m_pending.append(line);
            continue;
        }
        const QByteArray key = replyKey(line);
        if (key.isEmpty())
            continue;
        if (key == awaited && !m_heldAwaited) {
            m_heldAwaited = true;
            m_pending.append(line);
            continue;
        }
        if (const auto held = m_heldLines.constFind(key); held != m_heldLines.constEnd()) {
            m_pending[*held] = line;
            continue;
        }
        m_heldLines.insert(key, m_pending.size());
        m_pending.append(line);
    }
}

void GatewaySession::clearPending()
{
    m_pending.clear();
    m_heldLines.clear();
    m_heldAwaited = false;
}

void GatewaySession::deliver()
{
    // Lines are handled one at a time, in order; a handler that sends the
    // next request flushes what is still pending.
    if (m_delivering)
        return;
    m_delivering = true;
    // A gateway sending without pause must not keep the window from its
    // other events: a turn of the event loop handles a share of the lines,
    // and the rest in the next. Should they still come faster than they are
    // handled, the oldest are handled at once rather than kept: none is
    // dropped.
    for (int handled = 0; !m_pending.isEmpty() && (handled < LinesPerTurn || m_pending.size() > MaxPendingLines);
         ++handled) {
        // The places of records held while a handler waited move now.
        m_heldLines.clear();
        m_heldAwaited = false;
        handleLine(m_pending.takeFirst());
    }
    m_delivering = false;
    if (!m_pending.isEmpty() && !m_deliveryQueued) {
        m_deliveryQueued = true;
        QMetaObject::invokeMethod(this, [this] {
            m_deliveryQueued = false;
            deliver();
        }, Qt::QueuedConnection);
    }
}

void GatewaySession::handleLine(const QByteArray &line)
{
    try {
        dispatch(line);
    } catch (const std::exception &error) {
        emit errorOccurred(ReportedError::of(error));
    }
}

void GatewaySession::dispatch(const QByteArray &line)
{
    emit lineReceived(line);
    if (!CheckReplyFrame(line)) {
        flush();
        return;
    }
    m_exchange = QStringLiteral("ok");
    m_unansweredPolls = 0;
    emit exchangeShown(m_exchange);
    if (m_state == State::Connecting) {
        handshake(line);
        return;
    }
    if (line.size() > 2 && line.at(2) == VersionReplyLetter) {
        m_awaited.clear();
        m_features = FeaturesForVersion(VersionNumberOf(line));
        m_versionText = Cp1252::decode(VersionTextOf(line));
        emit firmwareChanged();
        return;
    }
    Record record;
    const Record::Reply reply = RecordFromReply(line, m_features, &record);
    if (reply == Record::Reply::None) {
        flush();
        return;
    }
    if (m_run->takesReply(record)) {
        if (reply == Record::Reply::Malformed)
            m_run->replyMalformed(record);
        else
            m_run->replyChecked(record);
        return;
    }
    // Answers nothing and is never stored: dropped as a garbled line is.
    if (reply == Record::Reply::Malformed) {
        flush();
        return;
    }
    // The answer to the request just sent (a page's read or write) is what
    // its page waits for; the same record sent again is not.
    const bool answer = !m_awaited.isEmpty()
                        && (m_pageWrite ? m_pageWrite->id() == record.id() : ReadRequest(record.id()) == m_awaited);
    if (answer)
        m_awaited.clear();
    if (m_pageWrite && m_pageWrite->id() == record.id()) {
        const QList<ValueDifference> differences = m_pageWrite->differencesTo(record);
        m_pageWrite.reset();
        if (!differences.isEmpty()) {
            emit writeNotTaken(differences);
            return;
        }
    }
    // Stored on the writer's thread like a run's records. Any other record
    // outside a run waits a moment for others, so that a gateway sending on
    // its own costs a few replaces a second, and one sent again meanwhile
    // is stored, and reported, once with its last values.
    storeRecord(record, answer || m_run->isActive() ? RecordWriter::Timing::Now : RecordWriter::Timing::Batched);
}

void GatewaySession::storeRecord(const Record &record, RecordWriter::Timing timing)
{
    m_writer->store(m_file.path(), record.section, record.values, [this, record](const ReportedError &error) {
        if (!error.isNull()) {
            reportStoreError(error);
            return;
        }
        m_reportedStoreError = ReportedError();
        emit recordStored(record, false);
    }, timing);
    if (!record.badField.isNull())
        throw NumberError(record.badField);
}

void GatewaySession::reportStoreError(const ReportedError &error)
{
    // Records on their way to a file that refused one fail alike (the rest
    // of a run's, a reply already on the wire): one box says it.
    if (error == m_reportedStoreError)
        return;
    m_reportedStoreError = error;
    emit errorOccurred(error);
}

void GatewaySession::handshake(const QByteArray &line)
{
    if (line.size() < 3 || line.at(1) != 'c' || line.at(2) != char(PollRecord.kind))
        return;
    m_polling.stop();
    m_features.productCount = 10;
    m_features.progressTotal = ProgressBase + 10;
    setState(State::Online);
    send(VersionRequest);
}

void GatewaySession::lost(const PortFailure &loss)
{
    if (!m_port->isOpen())
        return;
    // A run under way ends at once; it would otherwise wait for its time-out.
    if (m_run->isActive())
        m_run->abort(RunResult::Outcome::PortLost);
    disconnect();
    emit portLost(loss);
}
