#include "gui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char RaiseRequest[] = "raise\n";
constexpr int ConnectTimeoutMs = 1000;
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent),
      m_folder(folder),
      m_lockPath(QDir(folder).filePath(QStringLiteral("velmora.lock"))),
      m_socketPath(QDir(folder).filePath(QStringLiteral("velmora.socket"))),
      m_lock(m_lockPath)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    m_lock.unlock();
}

bool SingleInstance::isPrivateFolder(const QString &folder)
{
    // lstat: a symbolic link planted in place of the folder is not followed.
    struct stat st;
    if (folder.isEmpty() || ::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString SingleInstance::privateFolder(const QStringList &candidates)
{
    for (const QString &folder : candidates) {
        if (folder.isEmpty())
            continue;
        // Created here with mode 0700; an existing one counts only when it
        // is this user's and nobody else may enter it, or another user could
        // hold the lock (the tool would end at once) or listen in its place.
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            continue;
        if (isPrivateFolder(folder))
            return folder;
    }
    return QString();
}

QString SingleInstance::defaultFolder()
{
    const QString uid = QString::number(::geteuid());
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty()) {
        QDir().mkpath(cache);
        cache += QStringLiteral("/velmora-") + uid;
    }
    // The session's runtime folder is made for this; without one, a folder of
    // this user's own in the temporary folder, then in the cache folder.
    return privateFolder({qEnvironmentVariable("XDG_RUNTIME_DIR"),
                          QDir::tempPath() + QStringLiteral("/velmora-") + uid, cache});
}

bool SingleInstance::claim()
{
    m_failure.clear();
    if (m_folder.isEmpty()) {
        m_failure = QStringLiteral("Kein privater Ordner für die Sperrdatei gefunden "
                                   "(XDG_RUNTIME_DIR, %1, Cache-Ordner).\n"
                                   "No private folder for the lock file found "
                                   "(XDG_RUNTIME_DIR, %1, cache folder).")
                        .arg(QDir::tempPath());
        return false;
    }
    if (m_lock.tryLock(0)) {
        // A socket file left behind by a crashed instance would block listen().
        QLocalServer::removeServer(m_socketPath);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
        m_server->listen(m_socketPath);
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        m_failure = QStringLiteral("Die Sperrdatei %1 kann nicht angelegt werden.\n"
                                   "The lock file %1 cannot be created.")
                        .arg(m_lockPath);
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
        socket.write(RaiseRequest);
        socket.waitForBytesWritten(ConnectTimeoutMs);
        socket.disconnectFromServer();
    }
    return false;
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise"))
                emit activationRequested();
        });
        if (socket->bytesAvailable() > 0 && socket->readAll().contains("raise"))
            emit activationRequested();
    }
}
