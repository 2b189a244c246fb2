#pragma once
// One running instance per user: the first start holds a lock and listens on
// a local socket; a later start asks it to show its window and then ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
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
    // Why claim() failed when no instance runs but the lock cannot be used
    // (no private folder, no lock file); empty otherwise.
    QString failure() const { return m_failure; }

    // The user's runtime folder, else a private one of the user's own.
    // Empty when none can be had.
    static QString defaultFolder();
    // The first of `candidates` that is (or is made) a folder of this user
    // with no rights for anybody else.
    static QString privateFolder(const QStringList &candidates);
    static bool isPrivateFolder(const QString &folder);

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    void readRequest();

    QString m_folder;
    QString m_failure;
    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
