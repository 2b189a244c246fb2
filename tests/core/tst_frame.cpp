// Request framing and reply checking of the gateway protocol.

#include "core/Frame.h"

#include <QtTest>

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void buildsRequestFrames_data();
    void buildsRequestFrames();
    void builtFramesPassTheCheck_data();
    void builtFramesPassTheCheck();
    void checksReplyFrames_data();
    void checksReplyFrames();
    void hexWord_data();
    void hexWord();
    void padLeft_data();
    void padLeft();
};

void TestFrame::buildsRequestFrames_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("version") << QByteArray("S0V") << QByteArray(">S0V<53");
    QTest::newRow("poll") << QByteArray("C0P01") << QByteArray(">C0P01<9E");
    QTest::newRow("record") << QByteArray("cZB1122334401020304")
                            << QByteArray(">cZB1122334401020304<97");
    QTest::newRow("empty") << QByteArray() << QByteArray("><7A");
    QTest::newRow("lower case kept") << QByteArray("c") << QByteArray(">c<DD");
    QTest::newRow("umlaut byte counts") << QByteArray("\xe4") << QByteArray(">\xe4<5E");
    QTest::newRow("blanks kept") << QByteArray(" a ") << QByteArray("> a <1B");
}

void TestFrame::buildsRequestFrames()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, frame);
    QCOMPARE(BuildRequestFrame(command), frame);
}

void TestFrame::builtFramesPassTheCheck_data()
{
    QTest::addColumn<QByteArray>("command");

    QTest::newRow("ascii") << QByteArray("WP01Diesel    ");
    QTest::newRow("high bytes") << QByteArray("\x80\xff\xe4\xf6\xfc");
    QTest::newRow("sum beyond 16 bits") << QByteArray(400, '\xff');
}

void TestFrame::builtFramesPassTheCheck()
{
    QFETCH(QByteArray, command);
    const QByteArray frame = BuildRequestFrame(command);
    QVERIFY(CheckReplyFrame(frame));
    QVERIFY(CheckReplyFrame(frame + "\r\n"));
    QByteArray broken = frame;
    broken[1] = char(broken[1] + 1);
    QVERIFY(!CheckReplyFrame(broken));
}

void TestFrame::checksReplyFrames_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    const QByteArray record(">cZB1122334401020304<97");
    QTest::newRow("bare") << record << true;
    QTest::newRow("LF") << record + "\n" << true;
    QTest::newRow("CR LF") << record + "\r\n" << true;
    QTest::newRow("bytes in front") << QByteArray("\x00\xff<x<", 5) + record + "\r\n" << true;
    QTest::newRow("wrong sum") << QByteArray(">cZB1122334401020304<98\n") << false;
    QTest::newRow("not hex") << QByteArray(">cZB1122334401020304<9G\n") << false;
    QTest::newRow("one digit") << QByteArray(">cZB1122334401020304<9\n") << false;
    QTest::newRow("no digits") << QByteArray(">cZB1122334401020304<") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("lower-case digits") << QByteArray(">C0P01<9e") << true;
    QTest::newRow("sign is no digit") << QByteArray(">C0P01<-1") << false;
    QTest::newRow("blank is no digit") << QByteArray("> <  ") << false;
    // The record is cut at its own "<"; it fails unless the two characters
    // behind that "<" happen to be the sum so far.
    QTest::newRow("inner < fails") << QByteArray(">cAB<CD<58\r\n") << false;
    QTest::newRow("inner < judged early") << QByteArray(">cAB<60xyz<00\r\n") << true;
    QTest::newRow("no markers, 00") << QByteArray("00 anything\n") << true;
    QTest::newRow("no markers, other") << QByteArray("01 anything\n") << false;
    QTest::newRow("single character") << QByteArray("0") << false;
    QTest::newRow("only opening") << QByteArray(">") << false;
    QTest::newRow("100 after digits") << QByteArray(">C0P01<9E") + QByteArray(98, 'x') + "\r\n"
                                      << true;
    QTest::newRow("excess judged by its end")
        << QByteArray(">C0P01<9E") + QByteArray(100, 'x') + "1c" << true;
    QTest::newRow("excess fails otherwise")
        << QByteArray(">C0P01<9E") + QByteArray(100, 'x') + "\r\n" << false;
}

void TestFrame::checksReplyFrames()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    QCOMPARE(CheckReplyFrame(line), accepted);
}

void TestFrame::hexWord_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("digits");

    QTest::newRow("zero") << 0 << QByteArray("0000");
    QTest::newRow("339") << 339 << QByteArray("0153");
    QTest::newRow("max") << 65535 << QByteArray("FFFF");
    QTest::newRow("upper case, order") << 0xABC1 << QByteArray("ABC1");
}

void TestFrame::hexWord()
{
    QFETCH(int, value);
    QFETCH(QByteArray, digits);
    QCOMPARE(HexWord(quint16(value)), digits);
}

void TestFrame::padLeft_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QByteArray>("padded");

    QTest::newRow("one digit") << QByteArray("7") << 2 << '0' << QByteArray("07");
    QTest::newRow("longer kept") << QByteArray("123") << 2 << '0' << QByteArray("123");
    QTest::newRow("exact width") << QByteArray("12") << 2 << '0' << QByteArray("12");
    QTest::newRow("empty") << QByteArray() << 2 << '0' << QByteArray("00");
    QTest::newRow("name") << QByteArray("Super") << 10 << ' ' << QByteArray("     Super");
    QTest::newRow("negative width") << QByteArray("ab") << -3 << ' ' << QByteArray("ab");
}

void TestFrame::padLeft()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(char, fill);
    QFETCH(QByteArray, padded);
    QCOMPARE(PadLeft(text, width, fill), padded);
}

QTEST_APPLESS_MAIN(TestFrame)
#include "tst_frame.moc"
