#include "shell/Unit_Pogramm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr char RaiseRequest[] = "raise\n";
constexpr int ConnectTimeoutMs = 1000;
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent),
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

QString SingleInstance::defaultFolder()
{
    // The user's runtime folder when the session has one; otherwise a folder
    // of this user's own in the temporary folder.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath() + QStringLiteral("/velmora-") + QString::number(getuid());
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

bool SingleInstance::claim()
{
    if (m_lock.tryLock(0)) {
        // A socket file left behind by a crashed instance would block listen().
        QLocalServer::removeServer(m_socketPath);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
        m_server->listen(m_socketPath);
        return true;
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
