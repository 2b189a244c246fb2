#pragma once
// The working configuration file: the one store of the configuration. Every
// read goes to the file; every change is in the file when the call returns,
// a whole record in one replace.

#include "core/Errors.h"
#include "core/IniFile.h"

#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>
#include <functional>
#include <memory>
#include <optional>

class QThread;
class QTimer;
class RecordWriter;

class WorkingFile
{
public:
    explicit WorkingFile(const QString &path = QString()) : m_path(path) {}
    // A configuration held in memory as the bytes of a file, for reading
    // only: nothing else can change or remove it. Writes are refused.
    static WorkingFile held(const QByteArray &content);

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    // Records received before an edit reach the file before it: every
    // write through this object first waits for what `writer` holds.
    void setWriter(RecordWriter *writer) { m_writer = writer; }

    // The value, or `def` when the file, section or key is missing.
    QString read(const QString &section, const QString &key, const QString &def) const;
    // The file as it is now, read once, for several values of one request.
    class Snapshot
    {
    public:
        QString read(const QString &section, const QString &key, const QString &def) const
        {
            return IniValueIn(m_content, section, key, def);
        }
        // The file's bytes; nothing when there was no file.
        const std::optional<QByteArray> &content() const { return m_content; }

    private:
        friend class WorkingFile;
        std::optional<QByteArray> m_content;
    };
    // Throws FileError when the file exists but cannot be read.
    Snapshot snapshot() const;
    // One value, immediate and durable. Throws FileError when refused.
    void write(const QString &section, const QString &key, const QString &value) const;
    // The keys of one record in one atomic, durable replace of the file.
    void storeRecord(const QString &section, const IniValues &values) const;
    // The same into the file at `path`, from any thread: writers of the
    // program are serialised, so no replace loses another's change.
    static void storeRecord(const QString &path, const QString &section, const IniValues &values);
    // Several records into the file at `path` in one replace, as storeRecord.
    static void storeRecords(const QString &path, const IniRecords &records);

private:
    void refuseWriteToHeld() const;
    void flushWriter() const;

    QString m_path;
    std::optional<QByteArray> m_held;
    RecordWriter *m_writer = nullptr;
};

// Stores records on a thread of its own, in the order given, so that the
// wire never waits for the disk. Records that arrive while the disk is busy
// go to their file together, in one replace, and a record queued again
// before it is written is written once, with its last values, where it was
// first queued: memory and replaces are bounded by the number of records,
// not by how fast they come. Results come back on the caller's thread.
class RecordWriter : public QObject
{
    Q_OBJECT
public:
    enum class Timing {
        // Written as soon as the disk is free (a run's records).
        Now,
        // Held up to BatchDelayMs for more records, so that a gateway
        // sending on its own costs a few replaces a second. Of the `done`
        // calls of one record held so, only the last is made.
        Batched,
    };
    static constexpr int BatchDelayMs = 250;

    explicit RecordWriter(QObject *parent = nullptr);
    ~RecordWriter() override;

    // Queues the record for the file at `path`; `done` runs on this object's
    // thread once it is stored, with no error, or with the error. The calls
    // are made in the order of the stores.
    void store(const QString &path, const QString &section, const IniValues &values,
               std::function<void(const ReportedError &error)> done, Timing timing = Timing::Now);
    // Records queued and not yet reported stored, each counted once
    // however often it was queued again: never more than the records there
    // are.
    int pending() const { return int(m_waiting.size()); }
    // Records waiting for the writer's thread to take them: each once.
    int queued() const;
    // Returns once every record queued so far is in its file (before the
    // file is read for a write to the gateway); their results follow
    // through the event loop.
    void flush();
    // Waits until every queued record is stored and its result reported
    // (for the end of a program).
    void drain();
    // Replaces of a file made so far.
    int replaces() const { return m_replaces.loadRelaxed(); }

private:
    // A record by file and section, as the file matches sections.
    using RecordKey = QPair<QString, QString>;
    struct Job
    {
        quint64 id;
        RecordKey record;
        QString path;
        QString section;
        IniValues values;
    };
    struct Done
    {
        quint64 order; // of the store
        quint64 job;   // the job that stores it
        std::function<void(const ReportedError &error)> call;
    };
    // What is to be called as a record's jobs are stored: every immediate
    // store's `done`, and the last batched one's.
    struct Waiting
    {
        QList<Done> calls;
        std::optional<Done> latest;
    };
    // Hands what is queued to the writer's thread, unless a call is on its
    // way already. Call with m_queueLock held.
    void scheduleLocked();
    // On the writer's thread: stores every job queued so far.
    void writeQueued();
    // On this object's thread: the results of stored jobs.
    void report(const QList<QPair<Job, ReportedError>> &results);

    std::unique_ptr<QThread> m_thread;
    QObject *m_worker = nullptr;
    QTimer *m_batch = nullptr;
    QHash<RecordKey, Waiting> m_waiting;
    quint64 m_lastOrder = 0;
    quint64 m_lastJob = 0;
    // Shared with the writer's thread.
    mutable QMutex m_queueLock;
    QWaitCondition m_written;
    QList<Job> m_queue;
    // Where each record of m_queue stands.
    QHash<RecordKey, qsizetype> m_queued;
    bool m_scheduled = false;
    quint64 m_writtenUpTo = 0;
    QAtomicInt m_replaces;
};
