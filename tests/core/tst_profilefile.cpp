#include "core/ProfileFile.h"

#include <QtTest>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void readSurvivesGarbage();
    void writeValue_data();
    void writeValue();
};

void TestProfileFile::readValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");

    const QByteArray none;
    // line ends
    QTest::newRow("empty") << QByteArray("") << QByteArray("S") << QByteArray("k") << false << none;
    QTest::newRow("crlf") << QByteArray("[S]\r\nk=v\r\n") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("lf only") << QByteArray("[A]\nk=1\n[S]\nk=v\n") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("cr only") << QByteArray("[A]\rk=1\r[S]\rk=v\r") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("no end at eof") << QByteArray("[S]\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    // headers
    QTest::newRow("indented header") << QByteArray(" \t[S]\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("blanks in brackets") << QByteArray("[ S\t]\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("name ends at first ]") << QByteArray("[S]x] ; note\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("no ] is no header") << QByteArray("[S]\r\n[T\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("no ] opens nothing") << QByteArray("[T\r\nk=v") << QByteArray("T") << QByteArray("k") << false << none;
    QTest::newRow("key before any section") << QByteArray("k=1\r\n[S]\r\n") << QByteArray("S") << QByteArray("k") << false << none;
    // keys and values
    QTest::newRow("blanks around =") << QByteArray("[S]\r\n \tk \t= \t v w \t\r\n") << QByteArray("S") << QByteArray("k") << true << QByteArray("v w");
    QTest::newRow("asked name trimmed") << QByteArray("[S]\r\nk=v") << QByteArray(" S ") << QByteArray(" k") << true << QByteArray("v");
    QTest::newRow("empty value") << QByteArray("[S]\r\nk=  \r\n") << QByteArray("S") << QByteArray("k") << true << QByteArray("");
    QTest::newRow("double quotes") << QByteArray("[S]\r\nk= \"  a b \" ") << QByteArray("S") << QByteArray("k") << true << QByteArray("  a b ");
    QTest::newRow("single quotes") << QByteArray("[S]\r\nk='x'") << QByteArray("S") << QByteArray("k") << true << QByteArray("x");
    QTest::newRow("only one pair") << QByteArray("[S]\r\nk=\"\"x\"\"") << QByteArray("S") << QByteArray("k") << true << QByteArray("\"x\"");
    QTest::newRow("unmatched quotes") << QByteArray("[S]\r\nk=\"abc'") << QByteArray("S") << QByteArray("k") << true << QByteArray("\"abc'");
    QTest::newRow("lone quote") << QByteArray("[S]\r\nk=\"") << QByteArray("S") << QByteArray("k") << true << QByteArray("\"");
    QTest::newRow("second = in value") << QByteArray("[S]\r\nk=a=b") << QByteArray("S") << QByteArray("k") << true << QByteArray("a=b");
    QTest::newRow("comments") << QByteArray("[S]\r\n;k=1\r\n  ;k=2\r\nk=3") << QByteArray("S") << QByteArray("k") << true << QByteArray("3");
    QTest::newRow("line without =") << QByteArray("[S]\r\nk\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("first duplicate key") << QByteArray("[S]\r\nk=1\r\nk=2") << QByteArray("S") << QByteArray("k") << true << QByteArray("1");
    QTest::newRow("first duplicate section") << QByteArray("[S]\r\na=1\r\n[s]\r\nk=2") << QByteArray("S") << QByteArray("k") << false << none;
    // case
    QTest::newRow("ascii case") << QByteArray("[sEcTiOn]\r\nKeY=v") << QByteArray("SECTION") << QByteArray("key") << true << QByteArray("v");
    QTest::newRow("umlaut case") << QByteArray("[\xC4rger]\r\n\xDC=\xE4") << QByteArray("\xE4rger") << QByteArray("\xFC") << true << QByteArray("\xE4");
    QTest::newRow("S caron case") << QByteArray("[\x8A]\r\n\x9F=v") << QByteArray("\x9A") << QByteArray("\xFF") << true << QByteArray("v");
    QTest::newRow("times is no letter") << QByteArray("[\xD7]\r\nk=v") << QByteArray("\xF7") << QByteArray("k") << false << none;
    // length
    QTest::newRow("5000 characters") << QByteArray("[S]\r\nk=" + QByteArray(5000, 'x')) << QByteArray("S") << QByteArray("k") << true << QByteArray(2047, 'x');
    QTest::newRow("cut after quotes") << QByteArray("[S]\r\nk=\"" + QByteArray(5000, 'y') + '"') << QByteArray("S") << QByteArray("k") << true << QByteArray(2047, 'y');
    // UTF-8
    QTest::newRow("bom") << QByteArray(Bom + "[S]\r\nk=v") << QByteArray("S") << QByteArray("k") << true << QByteArray("v");
    QTest::newRow("bom umlaut case") << QByteArray(Bom + "[\xC3\x84rger]\r\nk=v") << QByteArray("\xC3\xA4rger") << QByteArray("k") << true << QByteArray("v");
    // Byte-wise Windows-1252 folding would take U+014A and U+015A for one letter.
    QTest::newRow("bom distinct letters") << QByteArray(Bom + "[\xC5\x8A]\r\nk=v") << QByteArray("\xC5\x9A") << QByteArray("k") << false << none;
    QTest::newRow("bom cut in characters") << QByteArray(Bom + "[S]\r\nk=" + QByteArray("\xC3\xA4").repeated(3000)) << QByteArray("S") << QByteArray("k") << true << QByteArray("\xC3\xA4").repeated(2047);
    QTest::newRow("bom only at start") << QByteArray("[A]\r\n" + Bom + "[S]\r\nk=v") << QByteArray("S") << QByteArray("k") << false << none;
}

void TestProfileFile::readValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);

    const auto result = ProfileFile::readValue(content, section, key);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, value);
}

void TestProfileFile::readSurvivesGarbage()
{
    QRandomGenerator random(1234);
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    // Headers, '=' and NUL bytes among the noise; the section after it still counts.
    static const char noise[] = "\r\n[\x00\x01=\xFF]\r\n[=\r\n=\r\n]=[\0\0";
    garbage += QByteArray(noise, sizeof noise - 1);
    QVERIFY(!ProfileFile::readValue(garbage, "S", "k"));
    const QByteArray content = garbage + "\r\n[S]\r\nk=a" + QByteArray(1, '\0') + "b";
    QCOMPARE(ProfileFile::readValue(content, "S", "k"), std::optional<QByteArray>(QByteArray("a\0b", 3)));
    QVERIFY(!ProfileFile::writeValue(garbage, "S", "k", "v").isEmpty());
}

void TestProfileFile::writeValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QByteArray("S") << QByteArray("k") << QByteArray("v")
                              << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("new section at end") << QByteArray("[A]\r\na=1\r\n\r\n; end\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                        << QByteArray("[A]\r\na=1\r\n\r\n; end\r\n[S]\r\nk=v\r\n");
    QTest::newRow("new section, last line open") << QByteArray("[A]\r\na=1") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                                 << QByteArray("[A]\r\na=1\r\n[S]\r\nk=v\r\n");
    QTest::newRow("keys before any section") << QByteArray("k=1\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                             << QByteArray("k=1\r\n[S]\r\nk=v\r\n");
    QTest::newRow("new key after last key line") << QByteArray("[S]\r\na=1\r\nodd line\r\n\r\n; c\r\n[T]\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                                 << QByteArray("[S]\r\na=1\r\nk=v\r\nodd line\r\n\r\n; c\r\n[T]\r\n");
    QTest::newRow("new key in keyless section") << QByteArray("[S]\r\n\r\n;k=1\r\n[T]\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                                << QByteArray("[S]\r\nk=v\r\n\r\n;k=1\r\n[T]\r\n");
    QTest::newRow("new key, last line open") << QByteArray("[S]\r\na=1") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                             << QByteArray("[S]\r\na=1\r\nk=v\r\n");
    QTest::newRow("new key, header open") << QByteArray("[S]") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                          << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("new key in lf file") << QByteArray("[S]\na=1\n[T]\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                        << QByteArray("[S]\na=1\nk=v\r\n[T]\n");
    QTest::newRow("replace in place") << QByteArray("; top\r\n\t[s]\n  KEY \t= old \nx = 1\r\n") << QByteArray("S") << QByteArray("key") << QByteArray("v")
                                      << QByteArray("; top\r\n\t[s]\nKEY=v\nx = 1\r\n");
    QTest::newRow("replace, cr only") << QByteArray("[S]\rk=1\ra=2\r") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                      << QByteArray("[S]\rk=v\ra=2\r");
    QTest::newRow("replace, last line open") << QByteArray("[S]\r\nk=1") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                             << QByteArray("[S]\r\nk=v");
    QTest::newRow("replace first duplicate key") << QByteArray("[S]\r\nk=1\r\nk=2\r\n") << QByteArray("S") << QByteArray("K") << QByteArray("v")
                                                 << QByteArray("[S]\r\nk=v\r\nk=2\r\n");
    QTest::newRow("first duplicate section") << QByteArray("[S]\r\na=1\r\n[T]\r\n[S]\r\nk=1\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
                                             << QByteArray("[S]\r\na=1\r\nk=v\r\n[T]\r\n[S]\r\nk=1\r\n");
    QTest::newRow("cr and lf in value") << QByteArray("[S]\r\nk=1\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("a\r\nb\rc\nd")
                                        << QByteArray("[S]\r\nk=a  b c d\r\n");
    QTest::newRow("value as given") << QByteArray() << QByteArray("S") << QByteArray("k") << QByteArray(" \"q\" ")
                                    << QByteArray("[S]\r\nk= \"q\" \r\n");
    QTest::newRow("bom alone") << Bom << QByteArray("S") << QByteArray("k") << QByteArray("v")
                               << QByteArray(Bom + "[S]\r\nk=v\r\n");
    QTest::newRow("bom kept on replace") << QByteArray(Bom + "[S]\r\nk=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("v")
                                         << QByteArray(Bom + "[S]\r\nk=v\r\n");
}

void TestProfileFile::writeValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);

    QCOMPARE(ProfileFile::writeValue(before, section, key, value), after);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
