// The real serial port on a pseudo-terminal: a hang-up of the other end is
// reported once and leaves the process idle, and no received line waits for
// a later byte.

#include "core/SerialPort.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

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

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
            QString reason;
            QVERIFY2(port.open(pty.device, &reason), qPrintable(reason));
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
                const double before = cpuSeconds();
                QTest::qWait(1000);
                QVERIFY2(cpuSeconds() - before < 0.3, "busy after the hang-up");
            }
            QCOMPARE(lost.count(), 1);
            // The reason is the hang-up, never an errno left from a read.
            QCOMPARE(lost.at(0).at(0).toString(), QStringLiteral("The device hung up."));
        }
    }

    void lineArrivingDuringAHandlerIsDeliveredWhenItReturns()
    {
        PtyPair pty;
        QVERIFY(pty.open());
        QtSerialPort port;
        QString reason;
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
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
