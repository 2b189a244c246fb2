#include "core/WorkingFile.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <exception>

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

void WorkingFile::write(const QString &section, const QString &key, const QString &value) const
{
    refuseWriteToHeld();
    QMutexLocker locker(&writeLock());
    WriteIniValue(m_path, section, key, value);
}

void WorkingFile::storeRecord(const QString &section, const IniValues &values) const
{
    refuseWriteToHeld();
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

RecordWriter::RecordWriter(QObject *parent) : QObject(parent), m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(QStringLiteral("RecordWriter"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
}

RecordWriter::~RecordWriter()
{
    if (!m_thread->isRunning()) {
        delete m_worker;
        return;
    }
    // Queued behind the records still waiting, so that every one of them
    // reaches the file before the thread ends (a window closed during a run).
    // Their results are not reported: nobody is left to hear them.
    QThread *thread = m_thread.get();
    QMetaObject::invokeMethod(m_worker, [thread] { thread->quit(); }, Qt::QueuedConnection);
    m_thread->wait();
}

void RecordWriter::store(const QString &path, const QString &section, const IniValues &values,
                         std::function<void(const ReportedError &)> done)
{
    // The thread starts with the first record: a window that never runs a
    // transfer does not pay for it at start.
    if (!m_thread->isRunning())
        m_thread->start();
    ++m_pending;
    m_done.append(std::move(done));
    {
        QMutexLocker locker(&m_queueLock);
        m_queue.append({path, section, values});
        // One call is on its way already and takes this record along.
        if (m_scheduled)
            return;
        m_scheduled = true;
    }
    QMetaObject::invokeMethod(m_worker, [this] { writeQueued(); }, Qt::QueuedConnection);
}

void RecordWriter::writeQueued()
{
    QList<Job> jobs;
    {
        QMutexLocker locker(&m_queueLock);
        jobs.swap(m_queue);
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
    QList<ReportedError> errors;
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
            errors << (error.isNull() || end - first == 1
                           ? error
                           : attempt([&] { WorkingFile::storeRecord(path, jobs.at(i).section, jobs.at(i).values); }));
        }
        first = end;
    }
    QMetaObject::invokeMethod(this, [this, errors] {
        for (const ReportedError &error : errors) {
            --m_pending;
            const auto done = m_done.takeFirst();
            if (done)
                done(error);
        }
    }, Qt::QueuedConnection);
}

void RecordWriter::drain()
{
    // Each stored record posts its result here, which ends the wait.
    while (m_pending > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
