#include "core/LinePort.h"

#include "core/NetworkAddress.h"
#include "core/NetworkPort.h"

LinePort::LinePort(QObject *parent)
    : SerialPort(parent), m_serial(new QtSerialPort(this)), m_network(new NetworkPort(this))
{
    for (SerialPort *port : {static_cast<SerialPort *>(m_serial), static_cast<SerialPort *>(m_network)}) {
        connect(port, &SerialPort::received, this, &SerialPort::received);
        connect(port, &SerialPort::lost, this, &SerialPort::lost);
    }
}

LinePort::~LinePort() = default;

SerialPort *LinePort::current() const
{
    return m_onNetwork ? static_cast<SerialPort *>(m_network) : static_cast<SerialPort *>(m_serial);
}

bool LinePort::open(const QString &name, PortFailure *reason)
{
    current()->close();
    m_onNetwork = NetworkAddress::looksLikeAddress(name);
    return current()->open(name, reason);
}

void LinePort::close()
{
    current()->close();
}

bool LinePort::isOpen() const
{
    return current()->isOpen();
}

void LinePort::clearInput()
{
    current()->clearInput();
}

void LinePort::clearOutput()
{
    current()->clearOutput();
}

void LinePort::write(const QByteArray &bytes)
{
    current()->write(bytes);
}

void LinePort::setConnectTimeout(int ms)
{
    m_network->setConnectTimeout(ms);
}
