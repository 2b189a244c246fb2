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

QString WorkingFile::read(const QString &section, const QString &key, const QString &def) const
{
    return ReadIniValue(m_path, section, key, def);
}

WorkingFile::Snapshot WorkingFile::snapshot() const
{
    Snapshot snapshot;
    snapshot.m_content = ReadIniFile(m_path);
    return snapshot;
}

void WorkingFile::write(const QString &section, const QString &key, const QString &value) const
{
    QMutexLocker locker(&writeLock());
    WriteIniValue(m_path, section, key, value);
}

void WorkingFile::storeRecord(const QString &section, const IniValues &values) const
{
    storeRecord(m_path, section, values);
}

void WorkingFile::storeRecord(const QString &path, const QString &section, const IniValues &values)
{
    QMutexLocker locker(&writeLock());
    WriteIniValues(path, section, values);
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
                         std::function<void(const QString &)> done)
{
    // The thread starts with the first record: a window that never runs a
    // transfer does not pay for it at start.
    if (!m_thread->isRunning())
        m_thread->start();
    ++m_pending;
    QMetaObject::invokeMethod(m_worker, [this, path, section, values, done = std::move(done)] {
        QString error;
        try {
            WorkingFile::storeRecord(path, section, values);
        } catch (const IniError &e) {
            error = e.text();
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(this, [this, error, done] {
            --m_pending;
            if (done)
                done(error);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void RecordWriter::drain()
{
    // Each stored record posts its result here, which ends the wait.
    while (m_pending > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
