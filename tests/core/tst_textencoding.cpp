#include "core/TextEncoding.h"

#include <QtTest>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

const char *nameOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ansi:
        return "windows-1252";
    case TextEncoding::Utf8:
        return "utf-8";
    case TextEncoding::Utf16Le:
        return "utf-16 le";
    case TextEncoding::Utf16Be:
        return "utf-16 be";
    }
    return "?";
}

} // namespace

class TestTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void utf8Sequences_data();
    void utf8Sequences();
    void encodingOf_data();
    void encodingOf();
};

void TestTextEncoding::utf8Sequences_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8BeyondAscii"); // all of it valid UTF-8, not only ASCII
    QTest::addColumn<bool>("looksLikeUtf8");   // at least one well-formed sequence

    QTest::newRow("empty") << QByteArray("") << false << false;
    QTest::newRow("ascii") << QByteArray("Speech=0") << false << false;
    QTest::newRow("windows-1252 umlaut") << QByteArray("M\xFCller") << false << false;
    QTest::newRow("umlaut typed as utf-8") << QByteArray("M\xC3\xBCller") << true << true;
    QTest::newRow("windows-1252 D6 80") << QByteArray("\xD6\x80") << true << true;
    QTest::newRow("utf-8 beside windows-1252") << QByteArray("\xC3\xBC \xFC") << false << true;
    QTest::newRow("sequence behind a broken lead") << QByteArray("\xE2\xC3\xBC") << false << true;
    QTest::newRow("stray continuation after a sequence") << QByteArray("\xC3\xBC\xBC") << false << true;
    // Long ASCII runs are passed over a word at a time.
    QTest::newRow("long line, windows-1252 then utf-8") << QByteArray("Name=M\xFCller und \xC3\xBC") << false << true;
    QTest::newRow("long line, utf-8 at the end") << QByteArray("Qualitaet10=01\r\nName=\xC3\xBC") << true << true;
    QTest::newRow("long line, lead at the end") << QByteArray("Qualitaet10=01\r\nName=\xC3") << false << false;
    QTest::newRow("continuations alone") << QByteArray("\x80\xBF") << false << false;
    QTest::newRow("lead before a blank") << QByteArray("\xC3 x") << false << false;
    QTest::newRow("lead at the end") << QByteArray("x\xC3") << false << false;
    QTest::newRow("nul inside") << QByteArray("a\0\xC3\xBC", 4) << true << true;
    QTest::newRow("mark inside") << QByteArray("a\xEF\xBB\xBF") << true << true;
    QTest::newRow("lowest of two bytes") << QByteArray("\xC2\x80") << true << true;
    QTest::newRow("overlong two bytes") << QByteArray("\xC1\xBF") << false << false;
    QTest::newRow("euro sign") << QByteArray("\xE2\x82\xAC") << true << true;
    QTest::newRow("cut three bytes") << QByteArray("\xE2\x82") << false << false;
    QTest::newRow("lowest of three bytes") << QByteArray("\xE0\xA0\x80") << true << true;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x9F\xBF") << false << false;
    QTest::newRow("last before the surrogates") << QByteArray("\xED\x9F\xBF") << true << true;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false << false;
    QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBF") << true << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true << true;
    QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << false << false;
    QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true << true;
    QTest::newRow("beyond the highest") << QByteArray("\xF4\x90\x80\x80") << false << false;
    QTest::newRow("lead F5") << QByteArray("\xF5\x80\x80\x80") << false << false;
    QTest::newRow("four bytes, third no continuation") << QByteArray("\xF0\x9F\x28\x80") << false << false;
}

void TestTextEncoding::utf8Sequences()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8BeyondAscii);
    QFETCH(bool, looksLikeUtf8);

    QCOMPARE(IsUtf8BeyondAscii(bytes), utf8BeyondAscii);
    QCOMPARE(LooksLikeUtf8(bytes), looksLikeUtf8);
}

void TestTextEncoding::encodingOf_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("encoding");

    const QByteArray utf8Value("[S]\r\nk=\xC3\xBC\r\n");
    QTest::newRow("ascii") << QByteArray("[S]\r\nk=1\r\n") << "windows-1252";
    QTest::newRow("windows-1252") << QByteArray("[S]\r\nk=\xFC\r\n") << "windows-1252";
    QTest::newRow("utf-8 without bom") << utf8Value << "utf-8";
    QTest::newRow("utf-8 with bom") << Bom + "[S]\r\nk=1\r\n" << "utf-8";
    QTest::newRow("utf-16 le") << QByteArray("\xFF\xFE[\0", 4) << "utf-16 le";
    QTest::newRow("utf-16 be") << QByteArray("\xFE\xFF\0[", 4) << "utf-16 be";
    // Bytes that read as UTF-8 but are marked as Windows-1252.
    QTest::newRow("marked") << utf8Value + "[SOURCE]\r\nEncoding=windows-1252\r\n" << "windows-1252";
    QTest::newRow("marked, case and blanks")
        << QByteArray("[ source ]\r\n\tENCODING = Windows-1252 \r\n") + utf8Value << "windows-1252";
    QTest::newRow("marked, no line end") << utf8Value + "[SOURCE]\r\nEncoding=windows-1252" << "windows-1252";
    QTest::newRow("other encoding named") << QByteArray("[SOURCE]\r\nEncoding=utf-8\r\n") + utf8Value << "utf-8";
    QTest::newRow("longer name") << QByteArray("[SOURCE]\r\nEncoding=windows-12520\r\n") + utf8Value << "utf-8";
    QTest::newRow("mark in another section") << QByteArray("[S2]\r\nEncoding=windows-1252\r\n") + utf8Value << "utf-8";
    QTest::newRow("bom wins over the mark") << Bom + "[SOURCE]\r\nEncoding=windows-1252\r\n" + utf8Value << "utf-8";
}

void TestTextEncoding::encodingOf()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, encoding);

    QCOMPARE(QString::fromLatin1(nameOf(EncodingOf(content))), encoding);
}

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
