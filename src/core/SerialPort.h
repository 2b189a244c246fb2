#pragma once
// The serial port as the device link sees it, behind a small interface so
// that tests can put a recording port in its place.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QFileSystemWatcher;

// Why a port cannot be opened, or stopped working, as values for a front end
// to word: what happened, Qt's kind of port error and the system's error
// number where there are ones.
struct PortFailure
{
    enum class Cause {
        System,     // the system refused or failed: see serialError and systemError
        Locked,     // another program holds the port's lock
        HungUp,     // the device hung up, or its device file went (an unplugged adapter)
        NotPresent, // the device file is gone: a name left by an unplugged adapter
        NoDevice,   // no device was named
    };
    Cause cause = Cause::System;
    QSerialPort::SerialPortError serialError = QSerialPort::NoError;
    int systemError = 0; // an errno value; 0 when the system gave none

    // The system refused the port for lack of rights, or because another
    // program holds it: what rights or another program would change.
    bool isPermissionError() const { return serialError == QSerialPort::PermissionError; }
    bool operator==(const PortFailure &other) const
    {
        return cause == other.cause && serialError == other.serialError && systemError == other.systemError;
    }
    bool operator!=(const PortFailure &other) const { return !(*this == other); }
};

class SerialPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens `devicePath` at 9600 baud, 8N1, no flow control, DTR and RTS
    // raised. On failure returns false and gives the reason.
    virtual bool open(const QString &devicePath, PortFailure *reason) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Discards received bytes not yet taken / bytes not yet sent.
    virtual void clearInput() = 0;
    virtual void clearOutput() = 0;
    virtual void write(const QByteArray &bytes) = 0;

signals:
    void received(const QByteArray &bytes);
    // The device went away while open (an unplugged adapter, a hang-up, its
    // device file removed); sent once per opening.
    void lost(const PortFailure &loss);
};

// The real port, on Qt SerialPort.
class QtSerialPort : public SerialPort
{
    Q_OBJECT
public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    bool open(const QString &devicePath, PortFailure *reason) override;
    void close() override;
    bool isOpen() const override;
    void clearInput() override;
    void clearOutput() override;
    void write(const QByteArray &bytes) override;

private:
    void reportLost(const PortFailure &loss);
    void watchDeviceFile(const QString &devicePath);

    QSerialPort *m_port;
    QFileSystemWatcher *m_watch = nullptr;
    QString m_devicePath;
    bool m_lostReported = false;
};
