// The network port against small servers of the test's own on the loopback
// address: what each failure is called, that opening never hangs, and what
// crosses the connection in raw and RFC 2217 mode.

#include "ByteList.h"
#include "FreePort.h"
#include "core/LinePort.h"
#include "core/NetworkAddress.h"
#include "core/NetworkPort.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

Q_DECLARE_METATYPE(PortFailure)

namespace {

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, DO = 253, DONT = 254;

QByteArray ack(int command, const QByteArray &value)
{
    return bytes({IAC, SB, 44, command + 100}) + value + bytes({IAC, SE});
}

// What the port has delivered so far, its `received` signals joined.
QByteArray bytesOf(const QSignalSpy &received)
{
    QByteArray all;
    for (const QList<QVariant> &call : received)
        all += call.at(0).toByteArray();
    return all;
}

// A server on the loopback address that answers each connection with
// `greeting` and, once the client has asked for the line settings, `answer`.
struct FakeServer
{
    QTcpServer server;
    QTcpSocket *client = nullptr;
    QByteArray received;

    FakeServer(const QByteArray &greeting = {}, const QByteArray &answer = {})
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, greeting, answer] {
            client = server.nextPendingConnection();
            client->write(greeting);
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, answer] {
                const bool askedBefore = received.contains(bytes({IAC, SB, 44, 1}));
                received += client->readAll();
                if (!askedBefore && received.contains(bytes({IAC, SB, 44, 1})))
                    client->write(answer);
            });
        });
    }
    QString address(const char *scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(server.serverPort());
    }
};

const QByteArray Agreement = bytes({IAC, DO, 0, IAC, WILL, 0, IAC, DO, 44});
const QByteArray Acks = ack(1, bytes({0, 0, 0x25, 0x80})) + ack(2, bytes({8})) + ack(3, bytes({1})) + ack(4, bytes({1}));

} // namespace

class TestNetworkPort : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<PortFailure>(); }

    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // empty: not an address
        QTest::newRow("rfc2217 by name") << "rfc2217://site-7.example:4001" << "rfc2217://site-7.example:4001";
        QTest::newRow("raw by IPv4") << "tcp://10.1.2.3:23" << "tcp://10.1.2.3:23";
        QTest::newRow("IPv6 in brackets") << "rfc2217://[fe80::1]:2217" << "rfc2217://[fe80::1]:2217";
        QTest::newRow("scheme in capitals, blanks and a slash") << "  RFC2217://Host:7/ " << "rfc2217://Host:7";
        QTest::newRow("no port") << "tcp://10.1.2.3" << "";
        QTest::newRow("port 0") << "tcp://10.1.2.3:0" << "";
        QTest::newRow("port too large") << "tcp://10.1.2.3:65536" << "";
        QTest::newRow("no host") << "tcp://:4001" << "";
        QTest::newRow("a path after the port") << "tcp://h:1/x" << "";
        QTest::newRow("IPv6 without brackets") << "tcp://fe80::1:2217" << "";
        QTest::newRow("bad IPv6") << "tcp://[fe80::g]:1" << "";
        QTest::newRow("user part") << "tcp://user@h:1" << "";
        QTest::newRow("other scheme") << "telnet://h:23" << "";
        QTest::newRow("device path") << "/dev/ttyUSB0" << "";
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        const std::optional<NetworkAddress> address = NetworkAddress::parse(text);
        QCOMPARE(address ? address->toString() : QString(), parsed);
    }

    void failuresAtOpenAreNamed_data()
    {
        QTest::addColumn<QString>("address"); // "%1" becomes a fake server's port, "%2" a port nothing listens on
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("cause");
        using C = PortFailure::Cause;
        QTest::newRow("refused") << "tcp://127.0.0.1:%2" << QByteArray() << QByteArray() << int(C::ConnectionRefused);
        QTest::newRow("not an address") << "rfc2217://127.0.0.1" << QByteArray() << QByteArray() << int(C::BadAddress);
        QTest::newRow("com-port option refused")
            << "rfc2217://127.0.0.1:%1" << bytes({IAC, DONT, 44}) << QByteArray() << int(C::SettingsRefused);
        QTest::newRow("another speed acknowledged")
            << "rfc2217://127.0.0.1:%1" << Agreement << ack(1, bytes({0, 0, 0x4b, 0})) << int(C::SettingsRefused);
        QTest::newRow("settings never acknowledged")
            << "rfc2217://127.0.0.1:%1" << Agreement << QByteArray() << int(C::SettingsRefused);
        QTest::newRow("server silent: no telnet at all")
            << "rfc2217://127.0.0.1:%1" << QByteArray() << QByteArray() << int(C::SettingsRefused);
        QTest::newRow("closed while setting up")
            << "rfc2217://127.0.0.1:%1" << QByteArray("close") << QByteArray() << int(C::ClosedByServer);
    }
    void failuresAtOpenAreNamed()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, answer);
        QFETCH(int, cause);
        FakeServer fake(greeting == "close" ? QByteArray() : greeting, answer);
        if (greeting == "close")
            QObject::connect(&fake.server, &QTcpServer::newConnection, &fake.server, [&] { fake.client->close(); });
        const quint16 unused = freeLoopbackPort();
        NetworkPort port;
        port.setConnectTimeout(700);
        PortFailure failure;
        address.replace("%1", QString::number(fake.server.serverPort())).replace("%2", QString::number(unused));
        QVERIFY(!port.open(address, &failure));
        QCOMPARE(int(failure.cause), cause);
        QVERIFY(!port.isOpen());
    }

    // A server whose queue of connections is full never completes the
    // connect: the connect time-out ends the wait.
    void noConnectionWithinTheTimeOut()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 0), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
        const quint16 portNumber = ntohs(address.sin_port);
        // Fill the queue; whatever connects after these waits.
        std::vector<std::unique_ptr<QTcpSocket>> fillers;
        for (int i = 0; i < 4; ++i) {
            fillers.push_back(std::make_unique<QTcpSocket>());
            fillers.back()->connectToHost(QHostAddress::LocalHost, portNumber);
            fillers.back()->waitForConnected(200);
        }
        NetworkPort port;
        port.setConnectTimeout(500);
        PortFailure failure;
        QVERIFY(!port.open(QStringLiteral("tcp://127.0.0.1:%1").arg(portNumber), &failure));
        QCOMPARE(failure.cause, PortFailure::Cause::ConnectTimeout);
        ::close(listener);
    }

    void rawBytesCrossUnchanged()
    {
        FakeServer fake;
        NetworkPort port;
        QSignalSpy received(&port, &SerialPort::received);
        PortFailure failure;
        QVERIFY(port.open(fake.address("tcp"), &failure));
        const QByteArray request = QByteArray(">C1D02K\xff\xfe pf<7A\r\n");
        port.write(request);
        QTRY_COMPARE(fake.received, request);
        fake.client->write(bytes({IAC, DO, 44}) + QByteArray("\xff\xff\r\n"));
        QTRY_COMPARE(bytesOf(received).size(), 7);
        QCOMPARE(bytesOf(received), bytes({IAC, DO, 44}) + QByteArray("\xff\xff\r\n"));
    }

    void rfc2217CarriesTheLinesBytesOnly()
    {
        FakeServer fake(Agreement, Acks);
        LinePort port;
        QSignalSpy received(&port, &SerialPort::received);
        PortFailure failure;
        QVERIFY(port.open(fake.address("rfc2217"), &failure));
        QVERIFY(port.isOpen());
        fake.received.clear();
        port.write(QByteArray(">C1D02Kopf \xff<55\r\n"));
        QTRY_COMPARE(fake.received, QByteArray(">C1D02Kopf \xff\xff<55\r\n"));
        fake.client->write(QByteArray(">cD02") + ack(7, bytes({0xb0})) + QByteArray("K\xff\xff") + bytes({IAC, 241})
                           + QByteArray("<3F\r\n"));
        QTRY_VERIFY(bytesOf(received).endsWith("\r\n"));
        QCOMPARE(bytesOf(received), QByteArray(">cD02K\xff<3F\r\n"));
    }

    void aConnectionClosedByTheServerIsLostOnce()
    {
        FakeServer fake;
        NetworkPort port;
        QSignalSpy lost(&port, &SerialPort::lost);
        PortFailure failure;
        QVERIFY(port.open(fake.address("tcp"), &failure));
        QTRY_VERIFY(fake.client);
        fake.client->close();
        QTRY_COMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).value<PortFailure>().cause, PortFailure::Cause::ClosedByServer);
        QVERIFY(!port.isOpen());
        port.write("after");
        QTest::qWait(100);
        QCOMPARE(lost.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestNetworkPort)
#include "tst_networkport.moc"
