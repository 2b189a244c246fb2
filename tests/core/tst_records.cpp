// The rules a write of a file follows: which values fit their field, which
// file can be written as it stands, what a missing key sends, and how values
// compare with what the gateway holds; and how each firmware's records go
// from a reply to a record to a request and back.

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/Records.h"
#include "core/WorkingFile.h"

#include <QtTest>

namespace {

const QByteArray Complete311 = "[SOURCE]\r\nFirmware=3.11\r\nComplete=yes\r\nRecords=46\r\n";

WorkingFile::Snapshot snapshotOf(const QByteArray &content)
{
    return WorkingFile::held(content).snapshot();
}

// `content` without the first `line` behind `anchor`.
QByteArray without(QByteArray content, const QByteArray &line, const QByteArray &anchor = {})
{
    const qsizetype at = content.indexOf(line, anchor.isEmpty() ? 0 : content.indexOf(anchor));
    Q_ASSERT(at >= 0);
    return content.remove(at, line.size());
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    // Every form with the values at its edges; "03" and " 3" are the
    // interface index 3, and a null value is a missing key.
    void valuesAgainstTheirFields_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("misfit"); // -1: fits
        QTest::addColumn<bool>("doubted");
        const int points = int(RecordKind::Points);
        const int product = int(RecordKind::Product);
        const int printer = int(RecordKind::Printer);
        const int interface = int(RecordKind::Interface);
        QTest::newRow("quality 07") << points << "Qualitaet1" << "07" << -1 << false;
        QTest::newRow("quality A1") << points << "Qualitaet1" << "A1" << -1 << true;
        QTest::newRow("quality of one digit") << points << "EDV2" << "7" << int(Misfit::Form) << false;
        QTest::newRow("missing quality") << points << "EDV2" << QString() << int(Misfit::Missing) << false;
        QTest::newRow("empty name") << product << "Name" << "" << -1 << false;
        QTest::newRow("name of 10") << product << "Name" << "Weizenbier" << -1 << false;
        QTest::newRow("name of 11") << product << "Name" << "Weizenbiere" << int(Misfit::Form) << false;
        QTest::newRow("name with a lone CR") << product << "Name" << "a\rb" << int(Misfit::ControlCharacter) << false;
        QTest::newRow("name with NUL") << product << "Name" << QString::fromLatin1("a\0b", 3) << int(Misfit::ControlCharacter) << false;
        QTest::newRow("name with U+0085") << product << "Name" << "a\u0085" << int(Misfit::ControlCharacter) << false;
        QTest::newRow("name with <") << product << "Name" << "<3" << int(Misfit::FrameCharacter) << false;
        QTest::newRow("name with Ł") << product << "Name" << "Łódź" << int(Misfit::NoWindows1252) << false;
        QTest::newRow("header of 40") << printer << "Head" << QString(40, u'x') << -1 << false;
        QTest::newRow("header of 41") << printer << "Head" << QString(41, u'x') << int(Misfit::Form) << false;
        QTest::newRow("model 3") << printer << "Modell" << "3" << -1 << false;
        QTest::newRow("model 03") << printer << "Modell" << "03" << -1 << false;
        QTest::newRow("model 4") << printer << "Modell" << "4" << int(Misfit::Form) << false;
        QTest::newRow("interface 5") << interface << "BaudrateRS232" << "5" << -1 << false;
        QTest::newRow("interface 03") << interface << "BaudrateRS485" << "03" << -1 << false;
        QTest::newRow("interface blank 3") << interface << "BaudrateRS485" << " 3" << -1 << false;
        QTest::newRow("interface 6") << interface << "BaudrateRS232" << "6" << int(Misfit::Form) << false;
        QTest::newRow("interface -1") << interface << "BaudrateRS232" << "-1" << int(Misfit::Form) << false;
        QTest::newRow("interface +3") << interface << "BaudrateRS232" << "+3" << int(Misfit::Form) << false;
        QTest::newRow("interface empty") << interface << "BaudrateRS232" << "" << int(Misfit::Form) << false;
    }
    void valuesAgainstTheirFields()
    {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, misfit);
        QFETCH(bool, doubted);
        const ValueForm form = ConfigLayout::formOf(RecordKind(kind), key);
        const std::optional<ValueProblem> problem = ConfigLayout::check("S", key, value, form);
        QCOMPARE(problem ? int(problem->misfit) : -1, misfit);
        QCOMPARE(bool(ConfigLayout::doubt("S", key, value, form)), doubted);
    }

    // A reply of the firmware's layout becomes the record it stores, the
    // record becomes the request that writes it back, and the gateway's echo
    // of that request is the same record again. A record of another
    // firmware's length is malformed. Points 1-4 send their qualities, then
    // their EDV numbers; from point 5 on, each quality is followed by its EDV
    // number: every value below is distinct so that a swapped field shows.
    void repliesRecordsAndRequests_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QByteArray>("reply");   // without its frame
        QTest::addColumn<QString>("section");    // empty: malformed
        QTest::addColumn<QStringList>("values"); // in the order they are stored
        QTest::addColumn<QByteArray>("request"); // the record's write request
        QTest::addColumn<QByteArray>("read");    // the record's read request

        const QByteArray four = "1112131421222324";
        const QStringList fourValues = {"Qualitaet1=11", "Qualitaet2=12", "Qualitaet3=13", "Qualitaet4=14",
                                        "EDV1=21",       "EDV2=22",       "EDV3=23",       "EDV4=24"};
        QStringList fiveValues = fourValues;
        fiveValues.insert(4, "Qualitaet5=35");
        fiveValues.append("EDV5=55");
        QStringList tenQualities, tenEdv;
        QByteArray ten = four;
        for (int k = 5; k <= 10; ++k) {
            ten += QByteArray::number(30 + k) + QByteArray::number(50 + k);
            tenQualities << QStringLiteral("Qualitaet%1=%2").arg(k).arg(30 + k);
            tenEdv << QStringLiteral("EDV%1=%2").arg(k).arg(50 + k);
        }
        const QStringList tenValues = fourValues.mid(0, 4) + tenQualities + fourValues.mid(4) + tenEdv;
        const QByteArray five = ten.left(20);
        const QByteArray header = QByteArray("Kasse 1").leftJustified(40, ' ');

        QTest::newRow("1.06 points") << "1.06" << "cZB" + four << "QVR11" << fourValues << "C1ZB" + four << QByteArray("C0ZB");
        QTest::newRow("1.06 points of five") << "1.06" << "cZB" + five << "" << QStringList() << QByteArray() << QByteArray("C0ZB");
        QTest::newRow("1.06 product") << "1.06" << QByteArray("cP0712    Weizen") << "PRODUKT7"
                                      << QStringList{"Qualitaet=12", "Name=    Weizen"} << QByteArray("C1P0712    Weizen")
                                      << QByteArray("C0P07");
        QTest::newRow("1.06 printer") << "1.06" << "cD03" + header << "PRINTER" << QStringList{"Modell=03", "Head=Kasse 1"}
                                      << "C1D03" + header << QByteArray("C0D");

        QTest::newRow("2.08 points") << "2.08" << "cZ0" + four << "QVR0" << fourValues << "C1Z0" + four << QByteArray("C0Z0");
        QTest::newRow("2.08 points of five") << "2.08" << "cZ0" + five << "" << QStringList() << QByteArray() << QByteArray("C0Z0");
        QTest::newRow("2.08 product 20") << "2.08" << QByteArray("cP2099Bier 20   ") << "PRODUKT20"
                                         << QStringList{"Qualitaet=99", "Name=Bier 20   "} << QByteArray("C1P2099Bier 20   ")
                                         << QByteArray("C0P20");
        QTest::newRow("2.08 blank header") << "2.08" << "cD00" + QByteArray(40, ' ') << "PRINTER"
                                           << QStringList{"Modell=00", "Head="} << "C1D00" + QByteArray(40, ' ')
                                           << QByteArray("C0D");

        QTest::newRow("3.10 points") << "3.10" << "cZN" + five << "QVR23" << fiveValues << "C1ZN" + five << QByteArray("C0ZN");
        QTest::newRow("3.10 points of four") << "3.10" << "cZN" + four << "" << QStringList() << QByteArray() << QByteArray("C0ZN");
        QTest::newRow("3.10 points of ten") << "3.10" << "cZN" + ten << "" << QStringList() << QByteArray() << QByteArray("C0ZN");
        // The header is stored without its blanks and control characters at
        // both ends, and sent filled with blanks.
        QTest::newRow("3.10 header trimmed") << "3.10" << "cD01" + QByteArray("  Tor 3\t").leftJustified(40, ' ')
                                             << "PRINTER" << QStringList{"Modell=01", "Head=Tor 3"}
                                             << "C1D01" + QByteArray("Tor 3").leftJustified(40, ' ') << QByteArray("C0D");
        QTest::newRow("3.10 product of 15") << "3.10" << QByteArray("cP1512 Weizen") << "" << QStringList() << QByteArray()
                                            << QByteArray("C0P15");

        QTest::newRow("3.11 points") << "3.11" << "cZZ" + ten << "QVR35" << tenValues << "C1ZZ" + ten << QByteArray("C0ZZ");
        QTest::newRow("3.11 points of five") << "3.11" << "cZZ" + five << "" << QStringList() << QByteArray() << QByteArray("C0ZZ");
        QTest::newRow("3.11 interface") << "3.11" << QByteArray("cI0523") << "INTERFACE"
                                        << QStringList{"BaudrateRS232=0", "ParameterRS232=5", "BaudrateRS485=2", "ParameterRS485=3"}
                                        << QByteArray("C1I0523") << QByteArray("C0I");
        QTest::newRow("3.11 interface of five") << "3.11" << QByteArray("cI05231") << "" << QStringList() << QByteArray()
                                                << QByteArray("C0I");
        QTest::newRow("3.11 product") << "3.11" << QByteArray("cP0101Produkt  1") << "PRODUKT1"
                                      << QStringList{"Qualitaet=01", "Name=Produkt  1"} << QByteArray("C1P0101Produkt  1")
                                      << QByteArray("C0P01");
    }
    void repliesRecordsAndRequests()
    {
        QFETCH(QString, firmware);
        QFETCH(QByteArray, reply);
        QFETCH(QString, section);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, read);
        const FirmwareFeatures features = *ConfigLayout::featuresOfVersion(firmware);

        Record record;
        const Record::Reply result = Record::fromReply(BuildRequestFrame(reply) + "\r\n", features, &record);
        QCOMPARE(ReadRequest(record.id()), read);
        if (section.isEmpty()) {
            QCOMPARE(result, Record::Reply::Malformed);
            QVERIFY(record.values.isEmpty());
            return;
        }
        QCOMPARE(result, Record::Reply::Valid);
        QCOMPARE(record.section, section);
        QStringList stored;
        for (const auto &[key, value] : record.values)
            stored << key + u'=' + value;
        QCOMPARE(stored, values);
        QCOMPARE(stored.size(), ConfigLayout::keys(record.kind, ConfigLayout::pointCount(features)).size());
        QVERIFY(record.problems().isEmpty());
        QCOMPARE(record.toRequest(), request);

        // The gateway echoes a write with the record it now holds.
        Record echo;
        QCOMPARE(Record::fromReply(BuildRequestFrame("c" + request.mid(2)) + "\r\n", features, &echo),
                 Record::Reply::Valid);
        QCOMPARE(echo.id(), record.id());
        QCOMPARE(echo.values, record.values);
        QVERIFY(record.differencesTo(echo).isEmpty());
    }

    // The fields of each record follow each other without a gap or an
    // overlap, behind the record's number, for every count of points.
    void fieldsTileTheirRecord_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("length");
        QTest::newRow("4 points") << int(RecordKind::Points) << 4 << 17;
        QTest::newRow("5 points") << int(RecordKind::Points) << 5 << 21;
        QTest::newRow("10 points") << int(RecordKind::Points) << 10 << 41;
        QTest::newRow("product") << int(RecordKind::Product) << 10 << 14;
        QTest::newRow("printer") << int(RecordKind::Printer) << 10 << 42;
        QTest::newRow("interface") << int(RecordKind::Interface) << 10 << 4;
    }
    void fieldsTileTheirRecord()
    {
        QFETCH(int, kind);
        QFETCH(int, points);
        QFETCH(int, length);
        const RecordKind k = RecordKind(kind);
        int end = ConfigLayout::numberWidth(k);
        QSet<QString> keys;
        for (const Field &f : ConfigLayout::wireFields(k, points)) {
            QCOMPARE(f.offset, end);
            QVERIFY(f.width > 0);
            QVERIFY2(!keys.contains(f.key), qPrintable(f.key));
            keys.insert(f.key);
            QCOMPARE(ConfigLayout::field(k, f.key)->offset, f.offset);
            end = f.offset + f.width;
        }
        QCOMPARE(end, length);
        QCOMPARE(ConfigLayout::recordLength(k, points), length);
    }

    // A value compares with its echo or read-back as the gateway holds it.
    void valuesAsTheGatewayHoldsThem_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("held");
        QTest::newRow("name right-aligned") << int(RecordKind::Product) << "Name" << "Pils" << "      Pils";
        QTest::newRow("name's own blanks kept") << int(RecordKind::Product) << "Name" << "  Super  " << "   Super  ";
        QTest::newRow("model in two digits") << int(RecordKind::Printer) << "Modell" << "1" << "01";
        QTest::newRow("header trimmed") << int(RecordKind::Printer) << "Head" << "  Tor 3 \t" << "Tor 3";
        QTest::newRow("interface as its digit") << int(RecordKind::Interface) << "BaudrateRS232" << "03" << "3";
        QTest::newRow("quality as it is") << int(RecordKind::Points) << "EDV1" << " 7" << " 7";
    }
    void valuesAsTheGatewayHoldsThem()
    {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, held);
        QCOMPARE(ConfigLayout::heldForm(RecordKind(kind), key, value), held);
    }

    void versionsInEitherForm_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("3.11 and 311") << "3.11" << "311" << true;
        QTest::newRow("blanks") << " 3.11 " << "3.11" << true;
        QTest::newRow("1.06 and 106") << "1.06" << "106" << true;
        QTest::newRow("3.11 and 3.10") << "3.11" << "3.10" << false;
        QTest::newRow("no version") << "unbekannt" << "311" << false;
        QTest::newRow("the same non-version") << "unbekannt" << "unbekannt" << true;
    }
    void versionsInEitherForm()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(ConfigLayout::sameVersion(a, b), same);
        QCOMPARE(ConfigLayout::sameVersion(b, a), same);
    }

    // A file is written as it stands only when it is a complete read of a
    // gateway of the same firmware, with every key and nothing typed in
    // another encoding.
    void whichFilesAreVouchedFor_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<bool>("vouched");
        QTest::addColumn<int>("missing");
        const QByteArray complete = DefaultIniContent() + Complete311;
        QTest::newRow("complete read") << complete << "3.11" << true << 0;
        QTest::newRow("firmware as a number") << DefaultIniContent() + "[SOURCE]\r\nFirmware=311\r\n" << "3.11" << true << 0;
        QTest::newRow("no source") << DefaultIniContent() << "3.11" << false << 0;
        QTest::newRow("other firmware") << complete << "3.10" << false << 0;
        QByteArray cut = complete;
        cut.replace("Complete=yes", "Complete=no");
        QTest::newRow("read cut short") << cut << "3.11" << false << 0;
        QTest::newRow("a key missing") << without(complete, "EDV1=01\r\n") << "3.11" << false << 1;
        QTest::newRow("a record missing") << without(complete, "[PRINTER]\r\nModell=00\r\nHead=Deutsche Brantel\r\n")
                                          << "3.11" << false << 2;
        QByteArray typed = complete;
        typed.replace("Name=Produkt  5", "Name=Gr\xC3\xBC" "n");
        typed.replace("Head=Deutsche Brantel", "Head=K\xF6ln");
        QTest::newRow("typed as UTF-8 in Windows-1252") << typed << "3.11" << false << 0;
        QByteArray utf8 = complete;
        utf8.replace("Name=Produkt  5", "Name=Gr\xC3\xBC" "n");
        QTest::newRow("a UTF-8 file") << utf8 << "3.11" << true << 0;
        // The keys of points 5 to 10 are no keys of a 4-point gateway.
        QTest::newRow("1.06 file for 1.06") << QByteArray(complete).replace("Firmware=3.11", "Firmware=1.06")
                                            << "1.06" << true << 0;
    }
    void whichFilesAreVouchedFor()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, gateway);
        QFETCH(bool, vouched);
        QFETCH(int, missing);
        const WriteCheck check =
            CheckWrite(snapshotOf(content), *ConfigLayout::featuresOfVersion(gateway), gateway);
        QCOMPARE(check.vouchedFor(), vouched);
        QCOMPARE(check.missing.size(), missing);
        QVERIFY(check.problems.isEmpty());
    }

    // A CR inside a value of a file with LF line ends is named with the
    // value it splits; a file whose lines end in CR alone is no such file.
    void loneCarriageReturnsAreNamed()
    {
        const FirmwareFeatures features = *ConfigLayout::featuresOfVersion("3.11");
        const QList<ValueProblem> split =
            SplitValues(snapshotOf("[produkt4]\r\nname = a\rb\r\nQualitaet=1\r2\r\n[Site]\r\nNote=x\ry\r\n"), features);
        QCOMPARE(split.size(), 2);
        QCOMPARE(split.at(0).section, QStringLiteral("PRODUKT4"));
        QCOMPARE(split.at(0).key, QStringLiteral("Name"));
        QCOMPARE(split.at(0).value, QStringLiteral("a\rb"));
        QCOMPARE(split.at(0).misfit, Misfit::ControlCharacter);
        QCOMPARE(split.at(1).key, QStringLiteral("Qualitaet"));
        QVERIFY(SplitValues(snapshotOf("[PRODUKT4]\rName=ab\rQualitaet=12\r"), features).isEmpty());
        QVERIFY(SplitValues(snapshotOf("[PRODUKT4]\nName=ab\n"), features).isEmpty());
    }

    // A key the file lacks takes the gateway's value, never a default; the
    // interface's "03" goes as the digit 3; the comparison lists only what
    // changes.
    void aWriteSendsTheFileAndKeepsTheGatewaysValues()
    {
        const FirmwareFeatures features = *ConfigLayout::featuresOfVersion("3.11");
        QByteArray content = without(DefaultIniContent() + Complete311, "BaudrateRS232=3\r\n");
        content.replace("BaudrateRS485=3", "BaudrateRS485=03");
        content.replace("[QVR8]\r\nQualitaet1=01", "[QVR8]\r\nQualitaet1=77");
        content = without(content, "EDV1=01\r\n", "[QVR8]");
        const WorkingFile::Snapshot file = snapshotOf(content);

        Record gatewayInterface;
        gatewayInterface.kind = RecordKind::Interface;
        gatewayInterface.section = "INTERFACE";
        gatewayInterface.values = {{"BaudrateRS232", "4"}, {"ParameterRS232", "3"}, {"BaudrateRS485", "3"}, {"ParameterRS485", "5"}};
        QCOMPARE(Record::fromFile(file, {RecordKind::Interface, 0}, features, &gatewayInterface).toRequest(),
                 QByteArray("C1I4333"));
        const Record alone = Record::fromFile(file, {RecordKind::Interface, 0}, features);
        QCOMPARE(alone.problems().size(), 1);
        QCOMPARE(alone.problems().constFirst().misfit, Misfit::Missing);
        // BaudrateRS232 is missing and ParameterRS485 differs; "03" is 3.
        QCOMPARE(alone.differencesTo(gatewayInterface).size(), 2);

        Record gatewayPoints = Record::fromFile(snapshotOf(DefaultIniContent()), {RecordKind::Points, 8}, features);
        gatewayPoints.setValue("EDV1", "58");
        gatewayPoints.setValue("Qualitaet1", "01");
        const WriteCheck check = CheckWrite(file, features, "3.11");
        QVERIFY(!check.vouchedFor());
        QCOMPARE(check.missing.size(), 2);
        const WriteComparison comparison = CompareWrite(file, features, check, {gatewayPoints, gatewayInterface});
        QCOMPARE(comparison.changedRecords, 2);
        QCOMPARE(comparison.records, 46);
        QCOMPARE(comparison.changes.size(), 2);
        QCOMPARE(comparison.changes.at(0).section, QStringLiteral("QVR8"));
        QCOMPARE(comparison.changes.at(0).key, QStringLiteral("Qualitaet1"));
        QCOMPARE(comparison.changes.at(0).first, QStringLiteral("01")); // the gateway's
        QCOMPARE(comparison.changes.at(0).second, QStringLiteral("77")); // the file's
        QCOMPARE(comparison.changes.at(1).key, QStringLiteral("ParameterRS485"));
        QCOMPARE(comparison.changes.at(1).first, QStringLiteral("5"));
        const Record points = Record::fromFile(file, {RecordKind::Points, 8}, features, &gatewayPoints);
        QVERIFY(points.toRequest().startsWith("C1Z877020304" "58"));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
