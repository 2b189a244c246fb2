#include "link/ComPort.h"

#include <QSerialPort>

QtComPort::QtComPort(QObject *parent) : ComPort(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, [this] { emit received(m_port->readAll()); });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // An unplugged adapter raises ResourceError, often repeatedly: report
        // it once per opening.
        if (error == QSerialPort::ResourceError && m_port->isOpen() && !m_lostReported) {
            m_lostReported = true;
            emit lost(m_port->errorString());
        }
    });
}

QtComPort::~QtComPort() = default;

bool QtComPort::open(const QString &devicePath, QString *reason)
{
    m_permissionError = false;
    m_lostReported = false;
    m_port->setPortName(devicePath);
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(4096);
    if (devicePath.isEmpty() || !m_port->open(QIODevice::ReadWrite)) {
        m_permissionError = m_port->error() == QSerialPort::PermissionError;
        if (reason)
            *reason = devicePath.isEmpty() ? QStringLiteral("No device for this port name.")
                                           : m_port->errorString();
        return false;
    }
    // Pseudo-terminals have no modem lines; the refusal is harmless there.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    return true;
}

void QtComPort::close()
{
    if (m_port->isOpen())
        m_port->close();
}

bool QtComPort::isOpen() const
{
    return m_port->isOpen();
}

void QtComPort::clearInput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void QtComPort::clearOutput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Output);
}

void QtComPort::write(const QByteArray &bytes)
{
    if (m_port->isOpen())
        m_port->write(bytes);
}
