// The telnet side of an RFC 2217 port: what goes out, what the frame
// reader gets, and whether the line settings count as taken, whatever the
// server says and however its bytes are split.

#include "ByteList.h"
#include "core/TelnetCodec.h"

#include <QtTest>

namespace {

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, WONT = 252, DO = 253, DONT = 254;

// What ser2net says when a client connects: will and do suppress-go-ahead,
// will echo, don't echo, do and will binary, do com-port.
const QByteArray Greeting = bytes({IAC, WILL, 3, IAC, DO, 3, IAC, WILL, 1, IAC, DONT, 1, IAC, DO, 0, IAC, WILL, 0,
                                   IAC, DO, 44});

QByteArray ack(int command, const QByteArray &value)
{
    QByteArray out = bytes({IAC, SB, 44, command + 100});
    for (char c : value) {
        out += c;
        if (quint8(c) == IAC)
            out += c;
    }
    return out + bytes({IAC, SE});
}

// The server taking 9600 8N1 as asked.
const QByteArray Acks = ack(1, bytes({0, 0, 0x25, 0x80})) + ack(2, bytes({8})) + ack(3, bytes({1})) + ack(4, bytes({1}));

QByteArray settingsRequests()
{
    const auto req = [](int command, const QByteArray &value) { return bytes({IAC, SB, 44, command}) + value + bytes({IAC, SE}); };
    return req(1, bytes({0, 0, 0x25, 0x80})) + req(2, bytes({8})) + req(3, bytes({1})) + req(4, bytes({1}))
           + req(5, bytes({1})) + req(5, bytes({8})) + req(5, bytes({11}));
}

// A codec that has said its first words and heard the greeting.
TelnetCodec negotiated()
{
    TelnetCodec codec;
    codec.start();
    codec.feed(Greeting);
    return codec;
}

TelnetCodec::Output feedSplit(TelnetCodec &codec, const QByteArray &input, const QList<int> &cuts)
{
    TelnetCodec::Output all;
    int from = 0;
    QList<int> ends = cuts;
    ends << input.size();
    for (int to : ends) {
        const TelnetCodec::Output part = codec.feed(input.mid(from, to - from));
        all.data += part.data;
        all.reply += part.reply;
        from = to;
    }
    return all;
}

} // namespace

class TestTelnetCodec : public QObject
{
    Q_OBJECT

private slots:
    void negotiationAsksBinaryAndComPortThenSendsTheSettingsOnce()
    {
        TelnetCodec codec;
        QCOMPARE(codec.start(), bytes({IAC, WILL, 0, IAC, DO, 0, IAC, WILL, 44}));
        const TelnetCodec::Output out = codec.feed(Greeting);
        QVERIFY(out.data.isEmpty());
        // Suppress-go-ahead accepted from the server, refused for us; echo
        // refused; the answers to our own offers need no reply; the
        // settings follow the server's yes to the com-port option.
        QCOMPARE(out.reply, bytes({IAC, DO, 3, IAC, WONT, 3, IAC, DONT, 1}) + settingsRequests());
        QVERIFY(codec.binaryIn());
        QVERIFY(codec.binaryOut());
        QCOMPARE(codec.settings(), TelnetCodec::Settings::Pending);
        // The server saying it again changes nothing and starts no loop.
        const TelnetCodec::Output again = codec.feed(bytes({IAC, DO, 44, IAC, DO, 0, IAC, WILL, 0, IAC, WILL, 3}));
        QVERIFY(again.reply.isEmpty());
        QVERIFY(again.data.isEmpty());
    }

    void optionsWeDoNotSpeakAreRefused_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("do terminal type") << bytes({IAC, DO, 24}) << bytes({IAC, WONT, 24});
        QTest::newRow("will linemode") << bytes({IAC, WILL, 34}) << bytes({IAC, DONT, 34});
        QTest::newRow("will com-port from the server") << bytes({IAC, WILL, 44}) << bytes({IAC, DONT, 44});
        QTest::newRow("wont of what is off") << bytes({IAC, WONT, 24}) << QByteArray();
        QTest::newRow("dont of what is off") << bytes({IAC, DONT, 24}) << QByteArray();
        QTest::newRow("binary withdrawn") << bytes({IAC, WONT, 0, IAC, DONT, 0}) << bytes({IAC, DONT, 0, IAC, WONT, 0});
    }

    void optionsWeDoNotSpeakAreRefused()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, reply);
        TelnetCodec codec = negotiated();
        const TelnetCodec::Output out = codec.feed(input);
        QCOMPARE(out.reply, reply);
        QVERIFY(out.data.isEmpty());
    }

    void settingsAreTakenOnlyAsSent_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<TelnetCodec::Settings>("settings");
        QTest::newRow("all four acknowledged") << Acks << TelnetCodec::Settings::Accepted;
        QTest::newRow("in another order, notifications between")
            << ack(4, bytes({1})) + ack(7, bytes({0x30})) + ack(3, bytes({1})) + ack(2, bytes({8}))
                   + ack(6, bytes({0x60})) + ack(1, bytes({0, 0, 0x25, 0x80}))
            << TelnetCodec::Settings::Accepted;
        QTest::newRow("three of four") << ack(1, bytes({0, 0, 0x25, 0x80})) + ack(2, bytes({8})) + ack(3, bytes({1}))
                                       << TelnetCodec::Settings::Pending;
        QTest::newRow("another speed") << ack(1, bytes({0, 0, 0x12, 0xc0})) + ack(2, bytes({8})) + ack(3, bytes({1}))
                                              + ack(4, bytes({1}))
                                       << TelnetCodec::Settings::Refused;
        QTest::newRow("seven data bits") << ack(2, bytes({7})) << TelnetCodec::Settings::Refused;
        QTest::newRow("even parity") << ack(3, bytes({3})) << TelnetCodec::Settings::Refused;
        QTest::newRow("two stop bits") << ack(4, bytes({2})) << TelnetCodec::Settings::Refused;
        QTest::newRow("speed cut short") << ack(1, bytes({0x25, 0x80})) << TelnetCodec::Settings::Refused;
        QTest::newRow("com-port option refused") << bytes({IAC, DONT, 44}) << TelnetCodec::Settings::Refused;
        QTest::newRow("control answers alone") << ack(5, bytes({1})) + ack(5, bytes({8})) << TelnetCodec::Settings::Pending;
        QTest::newRow("a refusal after acceptance changes nothing")
            << Acks + ack(1, bytes({0, 0, 0x12, 0xc0})) << TelnetCodec::Settings::Accepted;
    }

    void settingsAreTakenOnlyAsSent()
    {
        QFETCH(QByteArray, answer);
        QFETCH(TelnetCodec::Settings, settings);
        TelnetCodec codec = negotiated();
        const TelnetCodec::Output out = codec.feed(answer);
        QCOMPARE(codec.settings(), settings);
        QVERIFY(out.data.isEmpty());
    }

    void settingsBeforeTheServerAgreesAreNotSent()
    {
        TelnetCodec codec;
        codec.start();
        // The server answers binary only; the com-port option is not yet agreed.
        QCOMPARE(codec.feed(bytes({IAC, DO, 0, IAC, WILL, 0})).reply, QByteArray());
        QCOMPARE(codec.feed(bytes({IAC, DO, 44})).reply, settingsRequests());
    }

    void onlyTheLinesBytesReachTheFrameReader_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("plain") << QByteArray(">cD02<42\r\n") << QByteArray(">cD02<42\r\n");
        QTest::newRow("escape byte doubled") << QByteArray("K\xff\xffpf") << QByteArray("K\xffpf");
        QTest::newRow("two escape bytes") << QByteArray("\xff\xff\xff\xff") << QByteArray("\xff\xff");
        QTest::newRow("commands between data")
            << QByteArray("a") + bytes({IAC, 241}) + "b" + bytes({IAC, 242, IAC, 249, IAC, 246}) + "c"
            << QByteArray("abc");
        QTest::newRow("modem and line notifications")
            << QByteArray("ok") + ack(7, bytes({0xb0})) + ack(6, bytes({0x60})) + QByteArray("\r\n")
            << QByteArray("ok\r\n");
        QTest::newRow("escape byte inside a notification")
            << QByteArray("x") + ack(7, bytes({0xff})) + QByteArray("y") << QByteArray("xy");
        QTest::newRow("option talk between data")
            << QByteArray("1") + bytes({IAC, DO, 24}) + "2" + bytes({IAC, WILL, 3}) + "3" << QByteArray("123");
        QTest::newRow("signature subnegotiation")
            << QByteArray("s") + bytes({IAC, SB, 44, 100}) + QByteArray(200, 'z') + bytes({IAC, SE}) + "t"
            << QByteArray("st");
        QTest::newRow("malformed subnegotiation ends at its command")
            << QByteArray("a") + bytes({IAC, SB, 44, 107, 1, IAC, 241}) + "b" << QByteArray("ab");
        QTest::newRow("CR NUL kept in binary mode") << QByteArray("\r\0x", 3) << QByteArray("\r\0x", 3);
    }

    void onlyTheLinesBytesReachTheFrameReader()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, data);
        // Whole, cut once at every place, and a byte at a time.
        for (int cut = 0; cut <= input.size(); ++cut) {
            TelnetCodec codec = negotiated();
            QCOMPARE(feedSplit(codec, input, {cut}).data, data);
        }
        QList<int> every;
        for (int i = 1; i < input.size(); ++i)
            every << i;
        TelnetCodec codec = negotiated();
        QCOMPARE(feedSplit(codec, input, every).data, data);
    }

    void settingsCountWhereverTheBytesAreCut()
    {
        const QByteArray input = Greeting + QByteArray("early") + Acks + QByteArray("\xff\xff");
        for (int cut = 0; cut <= input.size(); ++cut) {
            for (int second = cut; second <= input.size(); second += 7) {
                TelnetCodec codec;
                codec.start();
                const TelnetCodec::Output out = feedSplit(codec, input, {cut, second});
                QCOMPARE(out.data, QByteArray("early\xff"));
                QCOMPARE(out.reply, bytes({IAC, DO, 3, IAC, WONT, 3, IAC, DONT, 1}) + settingsRequests());
                QCOMPARE(codec.settings(), TelnetCodec::Settings::Accepted);
            }
        }
    }

    void outsideBinaryModeCarriageReturnsTravelAsCrNul()
    {
        TelnetCodec codec;
        codec.start();
        codec.feed(bytes({IAC, DONT, 0, IAC, WONT, 0}));
        QVERIFY(!codec.binaryIn());
        QCOMPARE(codec.feed(QByteArray("a\r\0b\r\n", 6)).data, QByteArray("a\rb\r\n"));
        QCOMPARE(codec.encode("x\ry\r\n"), QByteArray("x\r\0y\r\n", 6));
        QCOMPARE(codec.encode("z\r"), QByteArray("z\r\0", 3));
    }

    void theEscapeByteIsDoubledOnTheWayOut_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("none") << QByteArray(">C0P01<2D\r\n") << QByteArray(">C0P01<2D\r\n");
        QTest::newRow("one in a printer head") << QByteArray(">C1D02Gr\xfc\xdf Gott \xff<x") << QByteArray(">C1D02Gr\xfc\xdf Gott \xff\xff<x");
        QTest::newRow("only escape bytes") << QByteArray("\xff\xff\xff") << QByteArray("\xff\xff\xff\xff\xff\xff");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }

    void theEscapeByteIsDoubledOnTheWayOut()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, sent);
        TelnetCodec codec = negotiated();
        QCOMPARE(codec.encode(data), sent);
        // What the server undoubles is what was meant.
        TelnetCodec server = negotiated();
        QCOMPARE(server.feed(sent).data, data);
    }
};

QTEST_GUILESS_MAIN(TestTelnetCodec)
#include "tst_telnetcodec.moc"
