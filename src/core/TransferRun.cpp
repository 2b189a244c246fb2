#include "core/TransferRun.h"

#include "core/Errors.h"
#include "core/GatewaySession.h"
#include "core/Texts.h"
#include "core/WorkingFile.h"

TransferRun::TransferRun(GatewaySession &session) : QObject(&session), m_session(session)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(TimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (m_active)
            finish(false, NoReplyText(m_session.language()));
    });
}

void TransferRun::start(Kind kind)
{
    m_kind = kind;
    m_active = true;
    m_stage = Stage::Addresses;
    m_index = 0;
    m_progress = 0;
    m_lastReplyChecked = false;
    m_stored = 0;
    m_session.m_reportedStoreError.clear();
    ++m_generation;
    m_total = m_session.features().progressTotal;
    emit started(m_total);
    sendNext();
}

void TransferRun::abort(const QString &text)
{
    if (m_active)
        finish(false, text);
}

void TransferRun::finish(bool ok, const QString &text)
{
    m_active = false;
    m_timeout.stop();
    ++m_generation;
    emit finished(ok, text);
}

QByteArray TransferRun::requestFor(Stage stage, int index) const
{
    const bool write = m_kind == Kind::WriteAll;
    const WorkingFile &file = m_session.file();
    switch (stage) {
    case Stage::Addresses:
        return write ? PointsRequestFromFile(file, index, m_session.features()) : PointsReadRequest(index);
    case Stage::Products:
        return write ? ProductRequestFromFile(file, index) : ProductReadRequest(index);
    case Stage::Interface:
        return write ? InterfaceRequestFromFile(file) : InterfaceReadRequest();
    case Stage::Printer:
        return write ? PrinterRequestFromFile(file) : PrinterReadRequest();
    }
    return QByteArray();
}

void TransferRun::sendNext()
{
    const FirmwareFeatures &f = m_session.features();
    if (m_stage == Stage::Addresses && m_index >= f.addressCount) {
        m_stage = Stage::Products;
        m_index = 1;
    }
    if (m_stage == Stage::Products && m_index > f.productCount)
        m_stage = f.hasTenPoints ? Stage::Interface : Stage::Printer;

    const int language = m_session.language();
    QString text;
    switch (m_stage) {
    case Stage::Addresses:
        text = TextPair(5, language) + QLatin1Char(AddressChars[m_index]);
        break;
    case Stage::Products:
        text = TextPair(6, language) + QString::number(m_index);
        break;
    case Stage::Interface:
        // This step has always been captioned in German.
        text = TextPair(3, 0);
        break;
    case Stage::Printer:
        break;
    }
    QByteArray request;
    try {
        request = requestFor(m_stage, m_index);
    } catch (const std::exception &error) {
        // Nothing goes to the gateway from values that could not be read.
        const QString reason = ErrorText(error);
        finish(false, reason);
        emit m_session.errorOccurred(reason);
        return;
    }
    m_progress = std::min(m_progress + 1, m_total);
    m_session.send(request);
    // A write that fails loses the port at once, and that ended the run.
    if (!m_active)
        return;
    m_timeout.start();
    // Shown once the request is on its way: what the front end does with
    // the progress costs the wire nothing then.
    emit progressed(m_progress, text);
}

bool TransferRun::takesReply(const Record &record) const
{
    static constexpr RecordKind kindOf[] = {RecordKind::Points, RecordKind::Product, RecordKind::Interface,
                                             RecordKind::Printer};
    return m_active && !m_lastReplyChecked && record.kind == kindOf[int(m_stage)];
}

void TransferRun::replyChecked(const Record &record)
{
    m_timeout.stop();
    const bool last = m_stage == Stage::Printer;
    const quint64 generation = m_generation;
    // Counted when handed to the writer, which stores it also after the run
    // ended; a refused store takes it back.
    ++m_stored;
    m_session.writer().store(m_session.file().path(), record.section, record.values,
                             [this, record, last, generation](const QString &error) {
                                 if (!error.isEmpty()) {
                                     if (generation == m_generation || (!m_active && generation + 1 == m_generation))
                                         --m_stored;
                                     if (m_active && generation == m_generation)
                                         finish(false, error);
                                     m_session.reportStoreError(error);
                                     return;
                                 }
                                 m_session.m_reportedStoreError.clear();
                                 emit m_session.recordStored(record, true);
                                 if (last && m_active && generation == m_generation)
                                     finish(true, QStringLiteral("OK"));
                             });
    if (!record.badField.isNull()) {
        // A record that is not what it should be stops the run where it
        // stands; the time-out then ends it.
        m_timeout.start();
        emit m_session.errorOccurred(QString::fromUtf8(ConversionError(record.badField).what()));
        return;
    }
    if (last) {
        m_lastReplyChecked = true;
        return;
    }
    ++m_index;
    if (m_stage == Stage::Interface)
        m_stage = Stage::Printer;
    sendNext();
}
