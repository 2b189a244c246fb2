#include "core/NetworkPort.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

NetworkPort::NetworkPort(QObject *parent) : SerialPort(parent) {}

NetworkPort::~NetworkPort()
{
    close();
}

void NetworkPort::ackPromptly()
{
    // A server that holds small pieces back until the previous one is
    // acknowledged (Nagle's rule; ser2net's default) would otherwise wait
    // out our delayed acknowledgement, some 40 ms, in the middle of a
    // reply. The kernel drops this mode again after sending or receiving,
    // so it is set after each.
#ifdef TCP_QUICKACK
    if (!m_socket)
        return;
    const qintptr fd = m_socket->socketDescriptor();
    if (fd < 0)
        return;
    const int on = 1;
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

PortFailure NetworkPort::failureOfSocket() const
{
    switch (m_socket->error()) {
    case QAbstractSocket::HostNotFoundError:
        return PortFailure{PortFailure::Cause::HostNotFound};
    case QAbstractSocket::ConnectionRefusedError:
        return PortFailure{PortFailure::Cause::ConnectionRefused};
    case QAbstractSocket::SocketTimeoutError:
        return PortFailure{PortFailure::Cause::ConnectTimeout};
    case QAbstractSocket::RemoteHostClosedError:
        return PortFailure{PortFailure::Cause::ClosedByServer};
    default:
        return PortFailure{PortFailure::Cause::NetworkFailed};
    }
}

bool NetworkPort::open(const QString &text, PortFailure *reason)
{
    close();
    m_lostReported = false;
    const std::optional<NetworkAddress> address = NetworkAddress::parse(text);
    if (!address) {
        if (reason)
            *reason = PortFailure{PortFailure::Cause::BadAddress};
        return false;
    }
    if (address->kind == NetworkAddress::Kind::Rfc2217)
        m_telnet.emplace();
    else
        m_telnet.reset();

    m_socket = new QTcpSocket(this);
    QEventLoop wait;
    m_openFailure.reset();
    const auto fail = [&](const PortFailure &failure) {
        if (!m_openFailure)
            m_openFailure = failure;
        wait.quit();
    };
    connect(m_socket, &QTcpSocket::connected, &wait, [&] {
        // Each request is a few bytes that the gateway waits for: send them
        // at once, not after the previous ones are acknowledged.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        if (m_telnet) {
            m_socket->write(m_telnet->start());
        } else {
            m_ready = true;
            wait.quit();
        }
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkPort::readSocket);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NetworkPort::socketFailed);
    connect(m_socket, &QTcpSocket::disconnected, this, &NetworkPort::socketFailed);
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, [&] {
        // Connected but the line never confirmed: the server did not take
        // the settings (a server without a serial line never answers them).
        fail(PortFailure{m_socket->state() == QAbstractSocket::ConnectedState ? PortFailure::Cause::SettingsRefused
                                                                              : PortFailure::Cause::ConnectTimeout});
    });
    // While open() waits, readSocket and socketFailed settle it through
    // m_ready and m_openFailure and end the wait.
    m_wait = &wait;
    deadline.start(m_connectTimeoutMs);
    m_socket->connectToHost(address->host, address->port);
    if (!m_ready && !m_openFailure)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    m_wait = nullptr;
    if (m_ready && !m_openFailure)
        return true;
    const PortFailure failure = m_openFailure.value_or(PortFailure{PortFailure::Cause::ConnectTimeout});
    close();
    if (reason)
        *reason = failure;
    return false;
}

void NetworkPort::readSocket()
{
    drain(true);
}

void NetworkPort::drain(bool deliver)
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    ackPromptly();
    if (!m_telnet) {
        if (deliver && m_ready && !bytes.isEmpty())
            emit received(bytes);
        return;
    }
    const TelnetCodec::Output out = m_telnet->feed(bytes);
    if (!out.reply.isEmpty())
        m_socket->write(out.reply);
    if (m_wait) {
        // Bytes before the line is set are not the gateway's answer to us.
        if (m_telnet->settings() == TelnetCodec::Settings::Accepted) {
            m_ready = true;
            m_wait->quit();
        } else if (m_telnet->settings() == TelnetCodec::Settings::Refused) {
            m_openFailure = PortFailure{PortFailure::Cause::SettingsRefused};
            m_wait->quit();
        }
        return;
    }
    if (deliver && !out.data.isEmpty())
        emit received(out.data);
}

void NetworkPort::socketFailed()
{
    if (!m_socket)
        return;
    if (m_wait) {
        if (!m_openFailure)
            m_openFailure = failureOfSocket();
        m_wait->quit();
        return;
    }
    if (m_ready)
        reportLost(m_socket->state() == QAbstractSocket::UnconnectedState
                           && m_socket->error() == QAbstractSocket::UnknownSocketError
                       ? PortFailure{PortFailure::Cause::ClosedByServer}
                       : failureOfSocket());
}

void NetworkPort::reportLost(const PortFailure &loss)
{
    if (m_lostReported)
        return;
    m_lostReported = true;
    emit lost(loss);
    close();
}

void NetworkPort::close()
{
    m_ready = false;
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

bool NetworkPort::isOpen() const
{
    return m_socket && m_ready;
}

void NetworkPort::clearInput()
{
    // Bytes are handed on as they arrive; what the socket still holds is
    // older than the request about to go out.
    if (isOpen() && m_socket->bytesAvailable() > 0)
        drain(false);
}

void NetworkPort::clearOutput()
{
    // Writes go to the connection at once; nothing is held here.
}

void NetworkPort::write(const QByteArray &bytes)
{
    if (!isOpen())
        return;
    m_socket->write(m_telnet ? m_telnet->encode(bytes) : bytes);
    m_socket->flush();
    ackPromptly();
}
