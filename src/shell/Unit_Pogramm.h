#pragma once
// One running instance per user: the first start holds a lock and listens on
// a local socket; a later start asks it to show its window and then ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // `folder` holds the lock file and the socket; by default the user's
    // runtime folder, so that every user has an instance of their own.
    explicit SingleInstance(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first instance: the lock is held and other starts
    // are listened for. Otherwise the running instance has been asked to
    // raise its window (when it could be reached) and the result is false.
    bool claim();

    static QString defaultFolder();

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    void readRequest();

    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
