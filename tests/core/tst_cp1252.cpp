#include "core/Cp1252.h"

#include <QtTest>

class TestCp1252 : public QObject
{
    Q_OBJECT

private slots:
    void decodesBytes_data();
    void decodesBytes();
    void everyByteRoundTrips();
    void encodeMarksMissingCharacters_data();
    void encodeMarksMissingCharacters();
};

void TestCp1252::decodesBytes_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("character");

    QTest::newRow("ascii") << 0x41 << 0x41;
    QTest::newRow("nul") << 0x00 << 0x00;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("undefined 0x81") << 0x81 << 0x81;
    QTest::newRow("undefined 0x9d") << 0x9D << 0x9D;
    QTest::newRow("S caron") << 0x8A << 0x0160;
    QTest::newRow("right double quote") << 0x94 << 0x201D;
    QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("no-break space") << 0xA0 << 0xA0;
    QTest::newRow("a umlaut") << 0xE4 << 0xE4;
    QTest::newRow("y diaeresis") << 0xFF << 0xFF;
}

void TestCp1252::decodesBytes()
{
    QFETCH(int, byte);
    QFETCH(int, character);
    const QString text = Cp1252::decode(QByteArray(1, char(byte)));
    QCOMPARE(text.size(), 1);
    QCOMPARE(int(text.at(0).unicode()), character);
}

void TestCp1252::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    bool lossless = false;
    QCOMPARE(Cp1252::encode(Cp1252::decode(all), &lossless), all);
    QVERIFY(lossless);
    QVERIFY(Cp1252::canEncode(Cp1252::decode(all)));
}

void TestCp1252::encodeMarksMissingCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("umlauts and euro") << QStringLiteral("Müller €") << QByteArray("M\xFCller \x80") << true;
    QTest::newRow("cjk") << QStringLiteral("a中b") << QByteArray("a?b") << false;
    // A character outside the BMP is one character, so one '?'.
    QTest::newRow("emoji") << QStringLiteral("x😀y") << QByteArray("x?y") << false;
    // U+0080 is no Windows-1252 character: the byte 0x80 is the euro sign.
    QTest::newRow("C1 control taken by euro") << QStringLiteral("\u0080") << QByteArray("?") << false;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << false;
}

void TestCp1252::encodeMarksMissingCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lossless);
    bool ok = !lossless;
    QCOMPARE(Cp1252::encode(text, &ok), bytes);
    QCOMPARE(ok, lossless);
    QCOMPARE(Cp1252::canEncode(text), lossless);
}

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
