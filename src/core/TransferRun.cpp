#include "core/TransferRun.h"

#include "core/Errors.h"
#include "core/WorkingFile.h"

#include <QDateTime>
#include <optional>

TransferRun::TransferRun(WorkingFile &file, RecordWriter &writer) : m_file(file), m_writer(writer)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(DefaultReplyTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (m_active)
            finish({RunResult::Outcome::NoReply, {}});
    });
}

void TransferRun::start(Kind kind, const RunSettings &settings)
{
    m_settings = settings;
    m_kind = kind;
    m_position = 0;
    m_progress = 0;
    m_lastReplyChecked = false;
    m_notTaken.clear();
    m_plan.clear();
    m_read.clear();
    m_stored = 0;
    ++m_generation;
    const FirmwareFeatures &features = m_settings.features;
    if (kind == Kind::WriteAll) {
        // Every value is taken from one read of the file and checked before
        // the first request: nothing goes out from values that could not be
        // read, nor when one of them would shift the fields after it.
        QList<ValueProblem> problems;
        try {
            const WorkingFile::Snapshot file = m_file.snapshot();
            for (const RecordId &id : ConfigLayout::records(features)) {
                m_plan.append(Record::fromFile(file, id, features, FindRecord(m_settings.kept, id)));
                problems += m_plan.constLast().problems();
            }
            problems += SplitValues(file, features);
        } catch (const std::exception &error) {
            const ReportedError reported = ReportedError::of(error);
            m_plan.clear();
            emit finished({RunResult::Outcome::Failed, reported});
            emit errorOccurred(reported);
            return;
        }
        if (!problems.isEmpty()) {
            m_plan.clear();
            emit valuesRefused(problems);
            emit finished({RunResult::Outcome::ValuesRefused, {}});
            return;
        }
    } else {
        for (const RecordId &id : ConfigLayout::records(features)) {
            Record record;
            record.kind = id.kind;
            record.address = id.kind == RecordKind::Points ? id.number : -1;
            record.product = id.kind == RecordKind::Product ? id.number : 0;
            record.section = ConfigLayout::section(id);
            m_plan.append(record);
        }
    }
    m_active = true;
    m_total = features.progressTotal;
    emit started(m_total);
    sendNext();
}

void TransferRun::abort(RunResult::Outcome outcome)
{
    if (m_active)
        finish({outcome, {}});
}

void TransferRun::finish(const RunResult &result)
{
    m_active = false;
    m_timeout.stop();
    // A read-all cut short leaves its records beside older values: the
    // file says so, and how many are new. Queued behind those records, it
    // reaches the file after them.
    if (m_kind == Kind::ReadAll && !result.ok() && m_stored > 0)
        store(QLatin1String(ConfigLayout::SourceSection), sourceValues(false), nullptr, false);
    ++m_generation;
    emit finished(result);
}

void TransferRun::conclude()
{
    if (m_notTaken.isEmpty()) {
        finish({RunResult::Outcome::Ok, {}});
        return;
    }
    const QList<ValueDifference> notTaken = m_notTaken;
    emit valuesNotTaken(notTaken);
    finish({RunResult::Outcome::NotTaken, {}});
}

void TransferRun::sendNext()
{
    const Record &record = m_plan.at(m_position);
    const RecordId step = record.id();
    const QByteArray request = m_kind == Kind::WriteAll ? record.toRequest() : ReadRequest(record.id());
    m_progress = std::min(m_progress + 1, m_total);
    emit requestReady(request);
    // A write that fails loses the port at once, and that ended the run.
    if (!m_active)
        return;
    m_timeout.start();
    // Shown once the request is on its way: what the front end does with
    // the progress costs the wire nothing then.
    emit progressed(m_progress, step);
}

bool TransferRun::takesReply(const Record &record) const
{
    return m_active && !m_lastReplyChecked && m_position < m_plan.size()
           && record.id() == m_plan.at(m_position).id();
}

void TransferRun::store(const QString &section, const IniValues &values, const Record *record, bool last)
{
    const quint64 generation = m_generation;
    const std::optional<Record> stored = record ? std::optional<Record>(*record) : std::nullopt;
    // Until a read-all has stored its last record, the file is not one read
    // completely: marked before its first, so that a run killed on the way
    // leaves the mark.
    if (stored && m_kind == Kind::ReadAll && m_stored == 0)
        store(QLatin1String(ConfigLayout::SourceSection),
              {{QLatin1String(ConfigLayout::SourceCompleteKey), QStringLiteral("no")}}, nullptr, false);
    // A record is counted when handed to the writer, which stores it also
    // after the run ended; a refused store takes it back. The source section
    // is no record of the gateway and is not counted.
    if (stored)
        ++m_stored;
    m_writer.store(m_file.path(), section, values,
                             [this, stored, last, generation](const ReportedError &error) {
                                 if (!error.isNull()) {
                                     if (stored
                                         && (generation == m_generation
                                             || (!m_active && generation + 1 == m_generation)))
                                         --m_stored;
                                     if (m_active && generation == m_generation)
                                         finish({RunResult::Outcome::Failed, error});
                                     emit storeFailed(error);
                                     return;
                                 }
                                 if (stored)
                                     emit recordStored(*stored);
                                 if (last && m_active && generation == m_generation)
                                     conclude();
                             });
}

IniValues TransferRun::sourceValues(bool complete) const
{
    return {
        {QLatin1String(ConfigLayout::SourceFirmwareKey), m_settings.firmware},
        {QLatin1String(ConfigLayout::SourceDateKey), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
        {QLatin1String(ConfigLayout::SourcePortKey), m_settings.port},
        {QLatin1String(ConfigLayout::SourceCompleteKey), complete ? QStringLiteral("yes") : QStringLiteral("no")},
        {QLatin1String(ConfigLayout::SourceRecordsKey), QString::number(m_stored)},
    };
}

void TransferRun::replyMalformed(const Record &record)
{
    if (!takesReply(record))
        return;
    // Its values would land in the wrong keys: none of them is stored.
    finish({RunResult::Outcome::BadRecord, {}, record.id()});
}

void TransferRun::replyChecked(const Record &record)
{
    m_timeout.stop();
    const bool last = m_position + 1 >= m_plan.size();
    if (m_kind == Kind::ReadToMemory) {
        if (!record.badField.isNull()) {
            finish({RunResult::Outcome::Failed, ReportedError(NumberError(record.badField))});
            return;
        }
        m_read.append(record);
        if (last) {
            finish({RunResult::Outcome::Ok, {}});
            return;
        }
        ++m_position;
        sendNext();
        return;
    }
    // An echo that differs from the write is not stored: the file keeps
    // what the user sent, so the write can be repeated.
    const QList<ValueDifference> notTaken =
        m_kind == Kind::WriteAll ? m_plan.at(m_position).differencesTo(record) : QList<ValueDifference>();
    m_notTaken += notTaken;
    if (m_kind == Kind::ReadAll && last) {
        store(record.section, record.values, &record, false);
        // Where the file's values came from, for a later write.
        store(QLatin1String(ConfigLayout::SourceSection), sourceValues(true), nullptr, true);
    } else if (notTaken.isEmpty()) {
        store(record.section, record.values, &record, last);
    } else if (last) {
        conclude();
        return;
    }
    if (!record.badField.isNull()) {
        // A record that is not what it should be stops the run where it
        // stands; the time-out then ends it.
        m_timeout.start();
        emit errorOccurred(ReportedError(NumberError(record.badField)));
        return;
    }
    if (last) {
        m_lastReplyChecked = true;
        return;
    }
    ++m_position;
    sendNext();
}
