#pragma once
// The read-all and write-all runs: one request per record, addresses first,
// then products, the interface record on firmware that has it, the printer
// last. A reply answers the request only when its kind and record number
// match; each answer sends the next request at once while its record is
// stored on the writer's thread. The run ends when the last record is
// stored, when an answer does not come within the time-out, or when it does
// not fit the firmware's layout.
//
// A read-all records in [SOURCE] where its values came from and whether it
// completed: "Complete=no" goes to the file with its first record, and its
// end states the verdict and how many records it stored.
//
// A read to memory asks for the same records as a read-all and keeps them,
// leaving the file as it is: the gateway's side of a comparison.
//
// A write-all takes every value from the file before the first request and
// sends nothing when one does not fit its field or is missing (unless the
// caller hands in the gateway's records, whose values then stand for the
// keys the file lacks). The echo of each write is
// compared with what was sent: an echo that differs is not stored, so the
// file keeps the user's values, and the run ends without "OK".

#include "core/ConfigLayout.h"
#include "core/Errors.h"
#include "core/Firmware.h"
#include "core/Records.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class RecordWriter;
class WorkingFile;

// What a run needs to know of the link when it starts.
struct RunSettings
{
    FirmwareFeatures features;
    // Recorded beside a read-all's values: the firmware as shown and the port.
    QString firmware;
    QString port;
    // For a write-all: the gateway's records, read just before, whose values
    // a key missing from the file keeps. Empty: a missing key refuses the write.
    QList<Record> kept;
};

// How a run ended.
struct RunResult
{
    enum class Outcome {
        Ok,            // every record stored
        NoReply,       // an answer did not come within the time-out
        NotTaken,      // the gateway did not take every value (valuesNotTaken named them)
        ValuesRefused, // nothing was sent: values do not fit (valuesRefused named them)
        Failed,        // `error` stopped it
        PortLost,      // the port went away
        Stopped,       // its caller stopped it
        BadRecord,     // the answer for `record` did not fit the firmware's layout
    };
    // Written as {outcome, error} where no record is named.
    RunResult(Outcome outcome = Outcome::Ok, const ReportedError &error = {}, const RecordId &record = {})
        : outcome(outcome), error(error), record(record)
    {
    }
    Outcome outcome;
    ReportedError error;
    RecordId record; // the record whose answer did not fit (BadRecord)
    bool ok() const { return outcome == Outcome::Ok; }
};

class TransferRun : public QObject
{
    Q_OBJECT
public:
    enum class Kind { ReadAll, WriteAll, ReadToMemory };
    // How long the run waits for each answer unless told otherwise.
    static constexpr int DefaultReplyTimeoutMs = 3000;

    // The run stores its records in `file` through `writer`; both outlive it.
    TransferRun(WorkingFile &file, RecordWriter &writer);

    // Starts the run; a write-all whose file holds a value that does not
    // fit is refused (valuesRefused, then finished) with nothing sent.
    // Its requests go out through requestReady.
    void start(Kind kind, const RunSettings &settings);
    void setReplyTimeout(int ms) { m_timeout.setInterval(ms); }
    int replyTimeout() const { return m_timeout.interval(); }
    bool isActive() const { return m_active; }
    Kind kind() const { return m_kind; }
    bool isTimerActive() const { return m_timeout.isActive(); }
    // The requests of the last run, and how many of its records were
    // stored in the working file (also after it ended).
    int total() const { return m_total; }
    int recordsStored() const { return m_stored; }
    // The records a read to memory received, in the run's order.
    const QList<Record> &recordsRead() const { return m_read; }
    // Ends the run under way with `outcome` (the port was lost, the caller
    // stops it).
    void abort(RunResult::Outcome outcome);

    // The reply to the request outstanding: the run stores it and goes on.
    bool takesReply(const Record &record) const;
    void replyChecked(const Record &record);
    // The reply to the request outstanding, naming its record but not in
    // the firmware's layout: nothing of it is stored, and the run ends.
    void replyMalformed(const Record &record);

signals:
    // A request to send now; the receiver sends it before returning, and a
    // failed send that loses the port aborts the run from there.
    void requestReady(const QByteArray &request);
    // A reply's record is in the working file.
    void recordStored(const Record &record);
    // A record could not be stored; the run under way ends with `error`.
    void storeFailed(const ReportedError &error);
    // An error to show to the user beside the run's verdict.
    void errorOccurred(const ReportedError &error);
    void started(int total);
    // The progress value after a request went out, and the record it asked for.
    void progressed(int value, const RecordId &step);
    void finished(const RunResult &result);
    // A write-all sent nothing: these values do not fit their fields.
    void valuesRefused(const QList<ValueProblem> &problems);
    // Values the gateway's echoes did not hold, just before finished.
    void valuesNotTaken(const QList<ValueDifference> &differences);

private:
    void sendNext();
    void finish(const RunResult &result);
    // The last record is handled: the run ends with its verdict.
    void conclude();
    void store(const QString &section, const IniValues &values, const Record *record, bool last);
    // A read-all's [SOURCE]: where its values came from, whether it
    // completed and how many records it stored.
    IniValues sourceValues(bool complete) const;

    WorkingFile &m_file;
    RecordWriter &m_writer;
    RunSettings m_settings;
    QTimer m_timeout;
    Kind m_kind = Kind::ReadAll;
    bool m_active = false;
    // The records in the run's order; a write-all's hold the values sent.
    QList<Record> m_plan;
    int m_position = 0;
    int m_progress = 0;
    int m_total = 0;
    bool m_lastReplyChecked = false;
    QList<ValueDifference> m_notTaken;
    QList<Record> m_read;
    int m_stored = 0;
    quint64 m_generation = 0;
};
