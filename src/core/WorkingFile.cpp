#include "core/WorkingFile.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <vector>

namespace {
// Every replace of a file by this program is a read-modify-write; two of them
// at once (a page's edit while a run's record is written) would lose one.
QMutex &writeLock()
{
    static QMutex lock;
    return lock;
}
} // namespace

WorkingFile WorkingFile::held(const QByteArray &content)
{
    WorkingFile file;
    file.m_held = content;
    return file;
}

void WorkingFile::refuseWriteToHeld() const
{
    if (m_held)
        throw FileError(FileError::Action::Write, m_path, FileError::Reason::HeldInMemory);
}

QString WorkingFile::read(const QString &section, const QString &key, const QString &def) const
{
    return m_held ? IniValueIn(m_held, section, key, def) : ReadIniValue(m_path, section, key, def);
}

WorkingFile::Snapshot WorkingFile::snapshot() const
{
    Snapshot snapshot;
    snapshot.m_content = m_held ? m_held : ReadIniFile(m_path);
    return snapshot;
}

void WorkingFile::flushWriter() const
{
    // A record held for a batch, written after the edit, would undo it.
    if (m_writer)
        m_writer->flush();
}

void WorkingFile::write(const QString &section, const QString &key, const QString &value) const
{
    refuseWriteToHeld();
    flushWriter();
    QMutexLocker locker(&writeLock());
    WriteIniValue(m_path, section, key, value);
}

void WorkingFile::storeRecord(const QString &section, const IniValues &values) const
{
    refuseWriteToHeld();
    flushWriter();
    storeRecord(m_path, section, values);
}

void WorkingFile::storeRecord(const QString &path, const QString &section, const IniValues &values)
{
    QMutexLocker locker(&writeLock());
    WriteIniValues(path, section, values);
}

void WorkingFile::storeRecords(const QString &path, const IniRecords &records)
{
    QMutexLocker locker(&writeLock());
    WriteIniRecords(path, records);
}

namespace {
// A record queued again before it is written: its later values replace the
// earlier ones key by key (names match as in the file, without regard to
// case), and keys it did not have are added after them, as the two writes
// in order would leave the section.
void mergeValues(IniValues &queued, const IniValues &later)
{
    for (const auto &[key, value] : later) {
        const auto same = std::find_if(queued.begin(), queued.end(), [&key = key](const QPair<QString, QString> &kept) {
            return kept.first.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (same != queued.end())
            same->second = value;
        else
            queued.append({key, value});
    }
}
} // namespace

RecordWriter::RecordWriter(QObject *parent) : QObject(parent), m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(QStringLiteral("RecordWriter"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_batch = new QTimer(this);
    m_batch->setSingleShot(true);
    m_batch->setInterval(BatchDelayMs);
    connect(m_batch, &QTimer::timeout, this, [this] {
        QMutexLocker locker(&m_queueLock);
        scheduleLocked();
    });
}

RecordWriter::~RecordWriter()
{
    if (!m_thread->isRunning()) {
        delete m_worker;
        return;
    }
    // Records held for a batch go now, and the end of the thread is queued
    // behind them, so that every one of them reaches the file before the
    // thread ends (a window closed during a run). Their results are not
    // reported: nobody is left to hear them.
    {
        QMutexLocker locker(&m_queueLock);
        scheduleLocked();
    }
    QThread *thread = m_thread.get();
    QMetaObject::invokeMethod(m_worker, [thread] { thread->quit(); }, Qt::QueuedConnection);
    m_thread->wait();
}

void RecordWriter::store(const QString &path, const QString &section, const IniValues &values,
                         std::function<void(const ReportedError &)> done, Timing timing)
{
    // The thread starts with the first record: a window that never stores
    // one does not pay for it at start.
    if (!m_thread->isRunning())
        m_thread->start();
    const RecordKey record(path, section.toCaseFolded());
    QMutexLocker locker(&m_queueLock);
    quint64 job;
    if (const auto queued = m_queued.constFind(record); queued != m_queued.constEnd()) {
        Job &same = m_queue[*queued];
        mergeValues(same.values, values);
        job = same.id;
    } else {
        job = ++m_lastJob;
        m_queued.insert(record, m_queue.size());
        m_queue.append({job, record, path, section, values});
    }
    Done call{++m_lastOrder, job, std::move(done)};
    Waiting &waiting = m_waiting[record];
    if (timing == Timing::Batched) {
        // Also when the one before is on the disk just now: reported once,
        // with the last values.
        waiting.latest = std::move(call);
        // A call on its way takes the record along; otherwise it waits for
        // others to share its replace.
        if (!m_scheduled && !m_batch->isActive())
            m_batch->start();
        return;
    }
    waiting.calls.append(std::move(call));
    scheduleLocked();
}

void RecordWriter::scheduleLocked()
{
    m_batch->stop();
    if (m_scheduled || m_queue.isEmpty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(m_worker, [this] { writeQueued(); }, Qt::QueuedConnection);
}

void RecordWriter::writeQueued()
{
    QList<Job> jobs;
    {
        QMutexLocker locker(&m_queueLock);
        jobs.swap(m_queue);
        m_queued.clear();
        m_scheduled = false;
    }
    const auto attempt = [this](const std::function<void()> &write) {
        try {
            write();
            m_replaces.fetchAndAddRelaxed(1);
        } catch (const std::exception &e) {
            return ReportedError::of(e);
        }
        return ReportedError();
    };
    QList<QPair<Job, ReportedError>> results;
    for (qsizetype first = 0; first < jobs.size();) {
        const QString &path = jobs.at(first).path;
        qsizetype end = first;
        IniRecords records;
        for (; end < jobs.size() && jobs.at(end).path == path; ++end)
            records.append({jobs.at(end).section, jobs.at(end).values});
        const ReportedError error = attempt([&] { WorkingFile::storeRecords(path, records); });
        for (qsizetype i = first; i < end; ++i) {
            // One record the file refuses must not take the others with it:
            // then each is stored, or refused, on its own.
            results.append({jobs.at(i),
                            error.isNull() || end - first == 1
                                ? error
                                : attempt([&] {
                                      WorkingFile::storeRecord(path, jobs.at(i).section, jobs.at(i).values);
                                  })});
        }
        first = end;
    }
    {
        QMutexLocker locker(&m_queueLock);
        // Jobs are queued in the order of their numbers and written all at once.
        if (!jobs.isEmpty())
            m_writtenUpTo = jobs.constLast().id;
        m_written.wakeAll();
    }
    QMetaObject::invokeMethod(this, [this, results] { report(results); }, Qt::QueuedConnection);
}

void RecordWriter::report(const QList<QPair<Job, ReportedError>> &results)
{
    struct Result
    {
        Done done;
        ReportedError error;
    };
    // Taken out first: a call may queue records or wait for the writer.
    std::vector<Result> calls;
    for (const auto &[job, error] : results) {
        const auto waiting = m_waiting.find(job.record);
        if (waiting == m_waiting.end())
            continue;
        // A record's calls are queued in the order of its jobs.
        QList<Done> &queued = waiting->calls;
        while (!queued.isEmpty() && queued.constFirst().job <= job.id)
            calls.push_back({queued.takeFirst(), error});
        if (waiting->latest && waiting->latest->job <= job.id) {
            calls.push_back({std::move(*waiting->latest), error});
            waiting->latest.reset();
        }
        if (queued.isEmpty() && !waiting->latest)
            m_waiting.erase(waiting);
    }
    std::sort(calls.begin(), calls.end(), [](const Result &a, const Result &b) { return a.done.order < b.done.order; });
    for (const Result &result : calls) {
        if (result.done.call)
            result.done.call(result.error);
    }
}

int RecordWriter::queued() const
{
    QMutexLocker locker(&m_queueLock);
    return int(m_queue.size());
}

void RecordWriter::flush()
{
    QMutexLocker locker(&m_queueLock);
    scheduleLocked();
    const quint64 last = m_lastJob;
    while (m_writtenUpTo < last)
        m_written.wait(&m_queueLock);
}

void RecordWriter::drain()
{
    quint64 last;
    {
        QMutexLocker locker(&m_queueLock);
        scheduleLocked();
        last = m_lastJob;
    }
    // Each stored record posts its result here, which ends the wait. Records
    // that arrive meanwhile are not waited for: a gateway that goes on
    // sending would keep the wait from ending.
    const auto waiting = [this, last] {
        return std::any_of(m_waiting.cbegin(), m_waiting.cend(), [last](const Waiting &waiting) {
            return (!waiting.calls.isEmpty() && waiting.calls.constFirst().job <= last)
                   || (waiting.latest && waiting.latest->job <= last);
        });
    };
    while (waiting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
