#pragma once
// The working configuration file: the one store of the configuration. Every
// read goes to the file; every change is in the file when the call returns,
// a whole record in one replace.

#include "core/Errors.h"
#include "core/IniFile.h"

#include <QAtomicInt>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QThread;

class WorkingFile
{
public:
    explicit WorkingFile(const QString &path = QString()) : m_path(path) {}
    // A configuration held in memory as the bytes of a file, for reading
    // only: nothing else can change or remove it. Writes are refused.
    static WorkingFile held(const QByteArray &content);

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

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

    QString m_path;
    std::optional<QByteArray> m_held;
};

// Stores records on a thread of its own, in the order given, so that the
// wire never waits for the disk. Records that arrive while the disk is busy
// go to their file together, in one replace. Results come back on the
// caller's thread.
class RecordWriter : public QObject
{
    Q_OBJECT
public:
    explicit RecordWriter(QObject *parent = nullptr);
    ~RecordWriter() override;

    // Queues the record for the file at `path`; `done` runs on this object's
    // thread once it is stored, with no error, or with the error.
    void store(const QString &path, const QString &section, const IniValues &values,
               std::function<void(const ReportedError &error)> done);
    // Records queued and not yet stored.
    int pending() const { return m_pending; }
    // Waits until every queued record is stored (for the end of a program).
    void drain();
    // Replaces of a file made so far.
    int replaces() const { return m_replaces.loadRelaxed(); }

private:
    struct Job
    {
        QString path;
        QString section;
        IniValues values;
    };
    // On the writer's thread: stores every job queued so far.
    void writeQueued();

    std::unique_ptr<QThread> m_thread;
    QObject *m_worker = nullptr;
    int m_pending = 0;
    QList<std::function<void(const ReportedError &error)>> m_done;
    QMutex m_queueLock;
    QList<Job> m_queue;
    bool m_scheduled = false;
    QAtomicInt m_replaces;
};
