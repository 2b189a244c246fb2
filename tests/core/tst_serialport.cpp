// The real serial port on a pseudo-terminal: a hang-up of the other end is
// reported once and leaves the process idle, no received line waits for a
// later byte, low-latency mode is asked for at open, and a gone device is
// named as such; a refused open is told as values.

#include "CpuTime.h"
#include "core/SerialPort.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The serial-settings requests the port makes. As a USB adapter's driver,
// this test answers them itself; otherwise they reach the pseudo-terminal.
struct SerialIoctls
{
    bool asAdapter = false;
    int refusal = 0;     // errno of a refused change, 0 to accept it
    QList<int> flagsSet; // flags of each TIOCSSERIAL
} g_serialIoctls;

constexpr int AdapterFlags = ASYNC_SKIP_TEST | ASYNC_AUTO_IRQ;

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list list;
    va_start(list, request);
    void *argument = va_arg(list, void *);
    va_end(list);
    SerialIoctls &s = g_serialIoctls;
    if (request == TIOCGSERIAL) {
        if (s.asAdapter) {
            *static_cast<serial_struct *>(argument) = serial_struct{};
            static_cast<serial_struct *>(argument)->flags = AdapterFlags;
            return 0;
        }
    } else if (request == TIOCSSERIAL && s.asAdapter) {
        s.flagsSet << static_cast<serial_struct *>(argument)->flags;
        errno = s.refusal;
        return s.refusal ? -1 : 0;
    }
    using Ioctl = int (*)(int, unsigned long, ...);
    static const auto next = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    return next(fd, request, argument);
}

namespace {

// The gateway's end of a pseudo-terminal pair; the tool opens `device`.
struct PtyPair
{
    int master = -1;
    QString device;

    bool open()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        ::close(slave);
        device = QString::fromLocal8Bit(name);
        return true;
    }
    void send(const QByteArray &bytes) const { QVERIFY(::write(master, bytes.constData(), bytes.size()) == bytes.size()); }
    void hangUp()
    {
        ::close(master);
        master = -1;
    }
    ~PtyPair()
    {
        if (master >= 0)
            ::close(master);
    }
};

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void hangUpIsReportedOnceAndTheProcessStaysIdle_data()
    {
        QTest::addColumn<bool>("traffic");
        QTest::newRow("idle") << false;
        QTest::newRow("while lines arrive") << true;
    }
    void hangUpIsReportedOnceAndTheProcessStaysIdle()
    {
        QFETCH(bool, traffic);
        // The hang-up races with the event loop; repeated to catch it.
        for (int attempt = 0; attempt < 50; ++attempt) {
            PtyPair pty;
            QVERIFY(pty.open());
            QtSerialPort port;
            PortFailure reason;
            QVERIFY2(port.open(pty.device, &reason), qPrintable(QString::number(reason.systemError)));
            QSignalSpy lost(&port, &SerialPort::lost);
            QSignalSpy received(&port, &SerialPort::received);
            if (traffic) {
                for (int i = 0; i <= attempt % 5; ++i)
                    pty.send(">cP0101Produkt  1<39\r\n");
                QTest::qWait(attempt % 3);
                port.write(">C0P01<9E\r\n");
            }
            pty.hangUp();
            QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);
            QVERIFY(!port.isOpen());
            if (attempt == 0) {
                // A port still polled after the hang-up spins a whole core.
                const double before = processCpuSeconds();
                QTest::qWait(1000);
                QVERIFY2(processCpuSeconds() - before < 0.3, "busy after the hang-up");
            }
            QCOMPARE(lost.count(), 1);
            // The reason is the hang-up, never an errno left from a read.
            QVERIFY(lost.at(0).at(0).value<PortFailure>().cause == PortFailure::Cause::HungUp);
        }
    }

    void lineArrivingDuringAHandlerIsDeliveredWhenItReturns()
    {
        PtyPair pty;
        QVERIFY(pty.open());
        QtSerialPort port;
        PortFailure reason;
        QVERIFY(port.open(pty.device, &reason));
        QByteArray all;
        bool first = true;
        connect(&port, &SerialPort::received, this, [&](const QByteArray &bytes) {
            all += bytes;
            if (!first)
                return;
            first = false;
            // A message box opened by the reply handling: the next reply
            // arrives complete while it is open.
            pty.send("second\n");
            QEventLoop box;
            QTimer::singleShot(300, &box, &QEventLoop::quit);
            box.exec();
        });
        pty.send("first\n");
        QTRY_COMPARE_WITH_TIMEOUT(all, QByteArray("first\nsecond\n"), 3000);
    }

    void lowLatencyIsAskedForAtOpen_data()
    {
        QTest::addColumn<bool>("asAdapter");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QList<int>>("flagsSet");
        QTest::newRow("pseudo-terminal refuses") << false << 0 << QList<int>();
        QTest::newRow("adapter takes it") << true << 0 << QList<int>{AdapterFlags | ASYNC_LOW_LATENCY};
        QTest::newRow("adapter refuses it") << true << EPERM << QList<int>{AdapterFlags | ASYNC_LOW_LATENCY};
    }
    void lowLatencyIsAskedForAtOpen()
    {
        QFETCH(bool, asAdapter);
        QFETCH(int, refusal);
        QFETCH(QList<int>, flagsSet);
        PtyPair pty;
        QVERIFY(pty.open());
        QtSerialPort port;
        QSignalSpy lost(&port, &SerialPort::lost);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        g_serialIoctls = {asAdapter, refusal, {}};
        PortFailure reason;
        const bool opened = port.open(pty.device, &reason);
        const SerialIoctls seen = g_serialIoctls;
        g_serialIoctls = {};
        // A refusal is taken silently: the port is open and works.
        QVERIFY2(opened, qPrintable(QString::number(reason.systemError)));
        QCOMPARE(seen.flagsSet, flagsSet);
        QSignalSpy received(&port, &SerialPort::received);
        pty.send("line\n");
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(lost.size(), 0);
    }

    void goneDeviceIsNotPresent_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("alias of an unplugged adapter") << true;
        QTest::newRow("no such device") << false;
    }
    void goneDeviceIsNotPresent()
    {
        QFETCH(bool, link);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("COM7"));
        if (link)
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("ttyUSB0")), path));
        QtSerialPort port;
        PortFailure reason;
        QVERIFY(!port.open(path, &reason));
        QVERIFY(reason.cause == PortFailure::Cause::NotPresent);
        QVERIFY(!reason.isPermissionError());
        QVERIFY(!port.isOpen());
    }

    // A refused open says why as values: Qt's kind of error and the system's
    // error number, or that another program holds the port.
    void refusalIsQtsKindAndTheSystemsNumber_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("cause");
        QTest::addColumn<int>("serialError");
        QTest::addColumn<int>("systemError");
        using C = PortFailure::Cause;
        QTest::newRow("regular file") << "file" << int(C::System) << int(QSerialPort::UnsupportedOperationError)
                                      << ENOTTY;
        QTest::newRow("null device") << "/dev/null" << int(C::System)
                                     << int(QSerialPort::UnsupportedOperationError) << ENOTTY;
        QTest::newRow("folder") << "folder" << int(C::System) << int(QSerialPort::UnknownError) << EISDIR;
        QTest::newRow("no rights") << "no rights" << int(C::System) << int(QSerialPort::PermissionError) << EACCES;
        QTest::newRow("held by another port") << "held" << int(C::Locked) << int(QSerialPort::PermissionError) << 0;
    }
    void refusalIsQtsKindAndTheSystemsNumber()
    {
        QFETCH(QString, what);
        QFETCH(int, cause);
        QFETCH(int, serialError);
        QFETCH(int, systemError);
        QTemporaryDir dir;
        PtyPair pty;
        QVERIFY(pty.open());
        QtSerialPort holder;
        QString path = what;
        if (what == QLatin1String("file") || what == QLatin1String("no rights")) {
            path = dir.filePath(QStringLiteral("ttyS9"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (what == QLatin1String("no rights")) {
                if (::geteuid() == 0)
                    QSKIP("root is refused no file");
                QVERIFY(file.setPermissions({}));
            }
        } else if (what == QLatin1String("folder")) {
            path = dir.path();
        } else if (what == QLatin1String("held")) {
            PortFailure reason;
            QVERIFY(holder.open(pty.device, &reason));
            path = pty.device;
        }
        QtSerialPort port;
        PortFailure reason;
        QVERIFY(!port.open(path, &reason));
        QCOMPARE(int(reason.cause), cause);
        QCOMPARE(int(reason.serialError), serialError);
        QCOMPARE(reason.systemError, systemError);
        QCOMPARE(reason.isPermissionError(), serialError == int(QSerialPort::PermissionError));
        QVERIFY(!port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
