#pragma once
// A port reached over the network: rfc2217:// or tcp:// addresses, on
// Qt's network module, behind the same interface as the serial port.

#include "core/NetworkAddress.h"
#include "core/SerialPort.h"
#include "core/TelnetCodec.h"

#include <QByteArray>
#include <optional>

class QEventLoop;
class QTcpSocket;

class NetworkPort : public SerialPort
{
    Q_OBJECT
public:
    explicit NetworkPort(QObject *parent = nullptr);
    ~NetworkPort() override;

    // Connects to `address` and, for RFC 2217, has the server set its line
    // to 9600 8N1; returns once the line is ready or has failed, at the
    // latest after the connect time-out. Events other than the user's input
    // go on meanwhile.
    bool open(const QString &address, PortFailure *reason) override;
    void close() override;
    bool isOpen() const override;
    void clearInput() override;
    void clearOutput() override;
    void write(const QByteArray &bytes) override;

    static constexpr int DefaultConnectTimeoutMs = 5000;
    void setConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    int connectTimeout() const { return m_connectTimeoutMs; }

private:
    void readSocket();
    // Takes what the socket holds; the line's bytes go on when `deliver`.
    void drain(bool deliver);
    void socketFailed();
    void ackPromptly();
    void reportLost(const PortFailure &loss);
    PortFailure failureOfSocket() const;

    QTcpSocket *m_socket = nullptr;
    std::optional<TelnetCodec> m_telnet;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    bool m_ready = false;
    bool m_lostReported = false;
    // Set while open() waits: the wait, and how it ended.
    QEventLoop *m_wait = nullptr;
    std::optional<PortFailure> m_openFailure;
};
