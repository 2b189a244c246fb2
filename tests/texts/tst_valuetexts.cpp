// The words of values that do not fit, that are missing or doubtful, and of
// the comparison before a write, in both languages.

#include "core/Records.h"
#include "texts/Texts.h"

#include <QtTest>

class TestValueTexts : public QObject
{
    Q_OBJECT
private slots:
    // Nothing unprintable reaches a line as it is.
    void quotedValuesShowEveryCharacter_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "Tor 3" << "\"Tor 3\"";
        QTest::newRow("quote and backslash") << "a\"b\\c" << "\"a\\\"b\\\\c\"";
        QTest::newRow("line ends and tab") << "a\rb\nc\td" << "\"a\\rb\\nc\\td\"";
        QTest::newRow("NUL and ESC") << QString::fromLatin1("\0\x1b", 2) << "\"\\x00\\x1b\"";
        QTest::newRow("C1 controls") << QString::fromUtf8("a\u0081\u0085") << "\"a\\x81\\x85\"";
        QTest::newRow("line separator") << QString::fromUtf8("a\u2028b\u200E") << "\"a\\u2028b\\u200e\"";
        QTest::newRow("letters beyond ASCII") << QString::fromUtf8("Öl €5 🍺") << QString::fromUtf8("\"Öl €5 🍺\"");
    }
    void quotedValuesShowEveryCharacter()
    {
        QFETCH(QString, value);
        QFETCH(QString, quoted);
        QCOMPARE(QuotedValue(value), quoted);
    }

    void problemsAndDoubts_data()
    {
        QTest::addColumn<int>("misfit");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");
        QTest::newRow("missing") << int(Misfit::Missing) << QString() << "[QVR8] EDV1: fehlt" << "[QVR8] EDV1: is missing";
        QTest::newRow("not two digits") << int(Misfit::NotTwoDigits) << "A1"
                                        << "[QVR8] EDV1: \"A1\" ist nicht zweistellig (00 bis 99)"
                                        << "[QVR8] EDV1: \"A1\" is not two digits (00 to 99)";
        QTest::newRow("typed as UTF-8") << int(Misfit::TypedAsUtf8) << QString::fromUtf8("Ã–l")
                                        << QString::fromUtf8("[QVR8] EDV1: \"Ã–l\" sieht nach UTF-8 aus (\"Öl\") in einer Windows-1252-Datei")
                                        << QString::fromUtf8("[QVR8] EDV1: \"Ã–l\" looks typed as UTF-8 (\"Öl\") in a Windows-1252 file");
    }
    void problemsAndDoubts()
    {
        QFETCH(int, misfit);
        QFETCH(QString, value);
        QFETCH(QString, german);
        QFETCH(QString, english);
        const ValueProblem problem{"QVR8", "EDV1", value, ValueForm::TwoCharacters, Misfit(misfit), QString()};
        QCOMPARE(ValueProblemText(problem, Language::German), german);
        QCOMPARE(ValueProblemText(problem, Language::English), english);
    }

    // A value that does not fit its field, as the command line lists it;
    // the window's message opens with its heading.
    void valuesThatDoNotFit_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("misfit");
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("english");
        using F = ValueForm;
        using M = Misfit;
        QTest::newRow("quality too long") << "QVR0" << "Qualitaet1" << "123" << int(F::TwoCharacters) << int(M::Form)
                                          << "" << "[QVR0] Qualitaet1: \"123\" is not two characters";
        QTest::newRow("name too long") << "PRODUKT3" << "Name" << "Superbenzin Neu" << int(F::Name) << int(M::Form)
                                       << "" << "[PRODUKT3] Name: \"Superbenzin Neu\" is longer than 10 characters";
        QTest::newRow("header too long") << "PRINTER" << "Head" << QString(41, u'h') << int(F::Header) << int(M::Form)
                                         << "" << "[PRINTER] Head: \"" + QString(41, u'h') + "\" is longer than 40 characters";
        QTest::newRow("printer model out of range") << "PRINTER" << "Modell" << "7" << int(F::PrinterModel)
                                                    << int(M::Form) << ""
                                                    << "[PRINTER] Modell: \"7\" is not a printer model from 0 to 3";
        QTest::newRow("interface index out of range") << "INTERFACE" << "ParameterRS485" << "-1"
                                                      << int(F::InterfaceIndex) << int(M::Form) << ""
                                                      << "[INTERFACE] ParameterRS485: \"-1\" is not a digit from 0 to 5";
        QTest::newRow("frame character") << "PRODUKT1" << "Name" << "a<b" << int(F::Name) << int(M::FrameCharacter)
                                         << "<" << "[PRODUKT1] Name: \"a<b\" holds \"<\", which no request can carry";
        QTest::newRow("control character") << "PRINTER" << "Head" << "a\x01" "b" << int(F::Header)
                                           << int(M::ControlCharacter) << "\x01"
                                           << "[PRINTER] Head: \"a\\x01b\" holds the control character \"\\x01\"";
        QTest::newRow("no windows-1252 form") << "PRODUKT2" << "Name" << "Łódź" << int(F::Name)
                                              << int(M::NoWindows1252) << "Ł"
                                              << "[PRODUKT2] Name: \"Łódź\" holds \"Ł\", which has no Windows-1252 form";
    }
    void valuesThatDoNotFit()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, form);
        QFETCH(int, misfit);
        QFETCH(QString, character);
        QFETCH(QString, english);
        const ValueProblem problem{section, key, value, ValueForm(form), Misfit(misfit), character};
        QCOMPARE(ValueProblemText(problem, Language::English), english);
        QVERIFY(ValueProblemsText({problem}, Language::German)
                    .startsWith(QStringLiteral("Nichts wurde zum Velmora übertragen")));
    }

    // A record missing whole is one line; a record missing some keys names them.
    void missingKeysGroupedByRecord()
    {
        QList<ValueProblem> missing;
        const auto add = [&missing](const QString &section, const QStringList &keys) {
            for (const QString &key : keys)
                missing.append({section, key, QString(), ValueForm::TwoCharacters, Misfit::Missing, QString()});
        };
        add("QVR3", ConfigLayout::keys(RecordKind::Points, 5));
        add("QVR4", {"Qualitaet1", "EDV1"});
        add("PRINTER", {"Modell", "Head"});
        add("PRODUKT2", {"Name"});
        QCOMPARE(MissingLines(missing, Language::English),
                 QStringList({"[QVR3]: is missing (10 values)", "[QVR4] Qualitaet1: is missing", "[QVR4] EDV1: is missing",
                              "[PRINTER]: is missing (2 values)", "[PRODUKT2] Name: is missing"}));
        QCOMPARE(MissingLines(missing, Language::German).constFirst(), QStringLiteral("[QVR3]: fehlt (10 Werte)"));
    }

    // Why a write compares first, and what it would change.
    void comparisonTexts()
    {
        WriteComparison comparison;
        comparison.records = 46;
        comparison.changedRecords = 1;
        comparison.changes = {{"QVR8", "EDV1", "58", "08"}};
        comparison.check.recordedFirmware = "1.06";
        comparison.check.gatewayFirmware = "3.11";
        comparison.check.recordedComplete = false;
        comparison.check.recordedRecords = 20;
        comparison.check.skipped = {"QVR30"};
        QCOMPARE(WhyComparedLines(comparison.check, Language::English),
                 QStringList({"The configuration was read from firmware 1.06; the Velmora has firmware 3.11.",
                              "The read that made it was cut short (20 records stored).",
                              "Not written, as the firmware lacks them: QVR30"}));
        QCOMPARE(WhyComparedLines(comparison.check, Language::German).at(1),
                 QString::fromUtf8("Das Lesen, aus dem sie stammt, wurde abgebrochen (20 Datensätze gespeichert)."));
        QCOMPARE(ComparisonSummaryText(comparison, Language::English),
                 QStringLiteral("Writing changes 1 value in 1 of 46 records of the Velmora."));
        QCOMPARE(ComparisonLineText(comparison.changes.constFirst(), Language::German),
                 QStringLiteral("[QVR8] EDV1: Velmora \"58\", Datei \"08\""));
        comparison.changes.clear();
        QCOMPARE(ComparisonSummaryText(comparison, Language::German),
                 QString::fromUtf8("Die Übertragung ändert keinen Wert im Velmora."));
        comparison.check.recordedFirmware.clear();
        QCOMPARE(WhyComparedLines(comparison.check, Language::English).constFirst(),
                 QStringLiteral("The configuration names no firmware it was read from."));
    }
};

QTEST_GUILESS_MAIN(TestValueTexts)
#include "tst_valuetexts.moc"
