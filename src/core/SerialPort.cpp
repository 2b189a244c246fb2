#include "core/SerialPort.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt derives its kind of port error from the system's error number and keeps
// the number to itself; the number is still in errno when the failed call
// returns. A number Qt would have given another kind was overwritten on the
// way (Qt's lock file, a signal handler) and is not passed on.
int systemErrorOf(QSerialPort::SerialPortError kind, int error)
{
    const auto is = [error](std::initializer_list<int> errors) {
        return std::find(errors.begin(), errors.end(), error) != errors.end();
    };
    const std::initializer_list<int> notFound{ENOENT, ENODEV};
    const std::initializer_list<int> permission{EACCES, EPERM, EBUSY};
    const std::initializer_list<int> resource{EAGAIN, EIO, EBADF};
    const std::initializer_list<int> unsupported{EINVAL, ENOTTY};
    bool fits = false;
    switch (kind) {
    case QSerialPort::DeviceNotFoundError:
        fits = is(notFound);
        break;
    case QSerialPort::PermissionError:
        fits = is(permission);
        break;
    case QSerialPort::ResourceError:
        fits = is(resource);
        break;
    case QSerialPort::UnsupportedOperationError:
        fits = is(unsupported);
        break;
    case QSerialPort::UnknownError:
        fits = error > 0 && !is(notFound) && !is(permission) && !is(resource) && !is(unsupported);
        break;
    default:
        break;
    }
    return fits ? error : 0;
}

// Why opening `devicePath` failed, from Qt's kind of error and the errno it
// left. Qt takes the port's lock file before it opens the device and calls
// both refusals a permission error: a device we may open was refused by the
// lock (or, when busy, by another program's exclusive use).
PortFailure openFailure(const QString &devicePath, QSerialPort::SerialPortError kind, int error)
{
    PortFailure failure{PortFailure::Cause::System, kind, systemErrorOf(kind, error)};
    if (kind == QSerialPort::PermissionError) {
        if (::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) != 0)
            failure.systemError = errno;
        else if (failure.systemError != EBUSY)
            failure = PortFailure{PortFailure::Cause::Locked, kind, 0};
    }
    return failure;
}

// True when the open tty no longer has a device behind it: the other end hung
// up (a pulled USB adapter, a closed pseudo-terminal) or the handle went bad.
bool hungUp(int fd)
{
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return p.revents & (POLLHUP | POLLERR | POLLNVAL);
}

bool deviceFileExists(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// USB adapters hold received bytes for their latency timer (16 ms on the
// common FTDI chips) before passing them on, which delays every reply.
// Low-latency mode makes the driver pass them on at once (the FTDI driver
// sets its timer to 1 ms); it needs no rights beyond the open port. Ports
// that do not know the request (pseudo-terminals) or refuse it keep their
// timing, which costs speed, never data: nothing to report.
void requestLowLatency(int fd)
{
    serial_struct serial{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

} // namespace

QtSerialPort::QtSerialPort(QObject *parent) : SerialPort(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        // Qt does not announce bytes that arrive while a readyRead handler is
        // still running (a message box opened by the reply handling): take
        // them now, or they would wait for the next byte after the box.
        do {
            emit received(m_port->readAll());
        } while (m_port->isOpen() && m_port->bytesAvailable() > 0);
    });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        const int systemError = errno;
        if (!m_port->isOpen())
            return;
        switch (error) {
        case QSerialPort::ResourceError:
            // Qt words a vanished device with whatever errno a read left,
            // often "Resource temporarily unavailable": say what happened.
            if (hungUp(int(m_port->handle())) || !deviceFileExists(m_devicePath))
                reportLost(PortFailure{PortFailure::Cause::HungUp, error, 0});
            else
                reportLost(PortFailure{PortFailure::Cause::System, error, systemErrorOf(error, systemError)});
            break;
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            // A hung-up tty reads zero bytes, which Qt reports as a read error
            // while its read notifier stays on: without this check the
            // process would spin on it.
            if (hungUp(int(m_port->handle())) || !deviceFileExists(m_devicePath))
                reportLost(PortFailure{PortFailure::Cause::HungUp, error, 0});
            else
                m_port->clearError();
            break;
        default:
            break;
        }
    });
}

QtSerialPort::~QtSerialPort() = default;

void QtSerialPort::reportLost(const PortFailure &loss)
{
    if (m_lostReported || !m_port->isOpen())
        return;
    m_lostReported = true;
    emit lost(loss);
    // Whoever listened may have closed the port already; a port without a
    // device has nothing more to say either way.
    close();
}

bool QtSerialPort::open(const QString &devicePath, PortFailure *reason)
{
    m_lostReported = false;
    m_port->setPortName(devicePath);
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(4096);
    // A link left by an unplugged adapter: say so, rather than the locking
    // or lookup error that opening it would give.
    if (!devicePath.isEmpty() && !QFileInfo::exists(devicePath)) {
        if (reason)
            *reason = PortFailure{PortFailure::Cause::NotPresent, QSerialPort::DeviceNotFoundError, ENOENT};
        return false;
    }
    if (devicePath.isEmpty()) {
        if (reason)
            *reason = PortFailure{PortFailure::Cause::NoDevice, QSerialPort::DeviceNotFoundError, 0};
        return false;
    }
    if (!m_port->open(QIODevice::ReadWrite)) {
        const int systemError = errno;
        if (reason)
            *reason = openFailure(devicePath, m_port->error(), systemError);
        return false;
    }
    // Pseudo-terminals have no modem lines; the refusal is harmless there.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    requestLowLatency(int(m_port->handle()));
    watchDeviceFile(devicePath);
    return true;
}

// An adapter that disappears takes its device file with it; the watch sees
// that even while nothing is sent or received.
void QtSerialPort::watchDeviceFile(const QString &devicePath)
{
    const QString canonical = QFileInfo(devicePath).canonicalFilePath();
    m_devicePath = canonical.isEmpty() ? devicePath : canonical;
    delete m_watch;
    m_watch = new QFileSystemWatcher(this);
    m_watch->addPath(m_devicePath);
    connect(m_watch, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
        if (!deviceFileExists(path))
            reportLost(PortFailure{PortFailure::Cause::System, QSerialPort::ResourceError, ENODEV});
    });
}

void QtSerialPort::close()
{
    delete m_watch;
    m_watch = nullptr;
    if (m_port->isOpen())
        m_port->close();
}

bool QtSerialPort::isOpen() const
{
    return m_port->isOpen();
}

void QtSerialPort::clearInput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void QtSerialPort::clearOutput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Output);
}

void QtSerialPort::write(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return;
    m_port->write(bytes);
    // Qt would write the bytes only when the event loop next looks at the
    // port, after the window has painted what the last reply changed: the
    // request goes to the device now, and the gateway works while we paint.
    m_port->flush();
}
