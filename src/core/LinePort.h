#pragma once
// The port a name opens: a network address (rfc2217://, tcp://) opens a
// network port, anything else the serial device of that path.

#include "core/SerialPort.h"

class NetworkPort;

class LinePort : public SerialPort
{
    Q_OBJECT
public:
    explicit LinePort(QObject *parent = nullptr);
    ~LinePort() override;

    bool open(const QString &name, PortFailure *reason) override;
    void close() override;
    bool isOpen() const override;
    void clearInput() override;
    void clearOutput() override;
    void write(const QByteArray &bytes) override;

    // How long opening a network port may take, the server's line settings
    // included.
    void setConnectTimeout(int ms);

private:
    SerialPort *current() const;

    QtSerialPort *m_serial;
    NetworkPort *m_network;
    bool m_onNetwork = false;
};
