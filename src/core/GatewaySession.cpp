#include "core/GatewaySession.h"

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/Frame.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

GatewaySession::GatewaySession(WorkingFile &file, std::unique_ptr<SerialPort> port, QObject *parent)
    : QObject(parent), m_file(file), m_port(port ? std::move(port) : std::make_unique<QtSerialPort>()),
      m_writer(std::make_unique<RecordWriter>()), m_run(std::make_unique<TransferRun>(m_file, *m_writer))
{
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
    // Records of a run still on their way to the disk are written first.
    m_writer.reset();
}

void GatewaySession::startRun(TransferRun::Kind kind, const QList<Record> &kept)
{
    m_reportedStoreError = ReportedError();
    m_run->start(kind, RunSettings{m_features, m_versionText, m_portLabel, kept});
}

bool GatewaySession::connectTo(const QString &devicePath, PortFailure *reason)
{
    if (!m_port->open(devicePath, reason))
        return false;
    m_assembler.reset();
    m_pending.clear();
    m_portLabel = devicePath;
    m_versionText = QStringLiteral("unbekannt");
    m_exchange.clear();
    m_unansweredPolls = 0;
    setState(State::Connecting);
    m_polling.start();
    return true;
}

bool GatewaySession::lastOpenWasPermissionError() const
{
    auto *real = qobject_cast<QtSerialPort *>(m_port.get());
    return real && real->lastOpenWasPermissionError();
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
    m_pending.clear();
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
    m_pending.clear();
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

void GatewaySession::sendWrite(const Record &record)
{
    send(record.toRequest());
    m_pageWrite = record;
}

void GatewaySession::send(const QByteArray &command)
{
    // Any other request supersedes a page's write.
    m_pageWrite.reset();
    flush();
    if (m_state != State::Connecting) {
        m_exchange = Cp1252::decode(command.left(3));
        emit exchangeShown(m_exchange);
    }
    m_lastRequestLine = BuildRequestFrame(command) + "\r\n";
    emit requestSent(m_lastRequestLine);
    m_port->write(m_lastRequestLine);
}

void GatewaySession::received(const QByteArray &bytes)
{
    m_pending.append(m_assembler.feed(bytes));
    // Lines are handled one at a time, in order; a handler that sends the
    // next request flushes what is still pending.
    if (m_delivering)
        return;
    m_delivering = true;
    while (!m_pending.isEmpty())
        handleLine(m_pending.takeFirst());
    m_delivering = false;
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
    if (m_pageWrite && m_pageWrite->id() == record.id()) {
        const QList<ValueDifference> differences = m_pageWrite->differencesTo(record);
        m_pageWrite.reset();
        if (!differences.isEmpty()) {
            emit writeNotTaken(differences);
            return;
        }
    }
    storeRecord(record);
}

void GatewaySession::storeRecord(const Record &record)
{
    // Stored on the writer's thread like a run's records: a gateway that
    // sends faster than the disk writes costs one replace per batch.
    m_writer->store(m_file.path(), record.section, record.values, [this, record](const ReportedError &error) {
        if (!error.isNull()) {
            reportStoreError(error);
            return;
        }
        m_reportedStoreError = ReportedError();
        emit recordStored(record, false);
    });
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
