#include "texts/Texts.h"

#include "core/Cp1252.h"
#include "core/Records.h"

#include <QStringList>
#include <iterator>

namespace {

// In the order of Caption: German, English (UTF-8).
constexpr const char *CaptionWords[][2] = {
    {"Konfiguration", "Configuration"},
    {"Speichern / Laden", "Save / Load"},
    {"Drucker", "Printer"},
    {"Interface", "Interface"},
    {"Drucker", "Printer"},
    {"Zapfstelle: ", "Device: "},
    {"Produktdaten: ", "Product data: "},
    {"Verbinden", "Connect"},
    {"Trennen", "Disconnect"},
    {"Baudrate RS232 - EDV", "Baud rate RS232 - EDV"},
    {"Baudrate RS485 - QVR", "Baud rate RS485 - QVR"},
    {"Kopfzeile für Ausdruck", "Headline for printout"},
    {"(max. 40 Zeichen)", "(max. 40 characters)"},
    {"Produkt", "Product"},
    {"Möchten Sie das Programm jetzt beenden ?", "Quit application now ?"},
    {"Der COM Port lässt sich nicht öffnen !", "Cannot open COM port !"},
};

static_assert(std::size(CaptionWords) == std::size_t(Caption::CannotOpenPort) + 1);

struct NumberedText
{
    int number;
    const char *text; // UTF-8
};

// Tag n shows text n in German and text n + 1000 in English. Text 22/1022
// belongs to no control.
constexpr int EnglishTagOffset = 1000;
constexpr NumberedText TaggedCaptions[] = {
    {1, "Verbinden"},
    {2, "COM Port auswählen:"},
    {3, "QVR Adresse"},
    {4, "Zapfpunkt"},
    {5, "Produktqualität"},
    {6, "EDV Nummer"},
    {7, "Lesen"},
    {8, "Schreiben"},
    {9, "Produkt Nr"},
    {10, "Qualität"},
    {11, "Produktname"},
    {12, "( max. 10 Zeichen )"},
    {13, "Alle Daten aus dem Velmora zum Bearbeiten auslesen:"},
    {14, "Eine gespeicherte Konfiguration zum Bearbeiten laden:"},
    {15, "Die aktuell geöffnete Konfiguration speichern:"},
    {16, "Datei öffnen"},
    {17, "Datei speichern"},
    {18, "Die geöffnete, aktuell angezeigte Konfiguration zum Velmora übertragen:"},
    {19, "Konfiguration"},
    {20, "Daten übertragen"},
    {21, "Druckermodell"},
    {22, "Kopfzeile für Ausdruck (max. 40 Zeichen)"},
    {1001, "Connect"},
    {1002, "Select COM port:"},
    {1003, "QVR address"},
    {1004, "Point of disp."},
    {1005, "Product quality"},
    {1006, "EDP number"},
    {1007, "read"},
    {1008, "write"},
    {1009, "Product no"},
    {1010, "quality"},
    {1011, "product name"},
    {1012, "( max. 10 characters )"},
    {1013, "Get all data to edit from the Velmora:"},
    {1014, "Load a stored configuration to edit:"},
    {1015, "Save the currently opened configuration:"},
    {1016, "Open file"},
    {1017, "Save file"},
    {1018, "Send the actual opened configuration to the Velmora:"},
    {1019, "Configuration"},
    {1020, "Transfer data"},
    {1021, "Printer model"},
    {1022, "Headline for the printout (max. 40 characters)"},
};

} // namespace

QString TaggedCaptionText(int tag, Language language)
{
    const int number = tag + (language == Language::German ? 0 : EnglishTagOffset);
    for (const NumberedText &entry : TaggedCaptions) {
        if (entry.number == number)
            return QString::fromUtf8(entry.text);
    }
    return QString();
}

QString CaptionText(Caption caption, Language language)
{
    return QString::fromUtf8(CaptionWords[int(caption)][IndexOfLanguage(language)]);
}

QString LostConnectionText(Language language)
{
    return language == Language::German
               ? QStringLiteral("Die Verbindung zum Velmora ist unterbrochen: der serielle Anschluss ist "
                                "nicht mehr vorhanden (Adapter abgezogen?).")
               : QStringLiteral("The connection to the Velmora was lost: the serial port is gone "
                                "(adapter unplugged?).");
}

QString PermissionHintText(Language language)
{
    return language == Language::German
               ? QStringLiteral("Der Benutzer muss eventuell Mitglied der Gruppe \u201Edialout\u201C sein, "
                                "oder ein anderes Programm belegt den Anschluss.")
               : QStringLiteral("You may need to be a member of the \u201Cdialout\u201D group, or another "
                                "program may hold the port.");
}

QString NoReplyText(Language language)
{
    return language == Language::German ? QStringLiteral("Keine Antwort vom Velmora \u2013 Übertragung abgebrochen")
                         : QStringLiteral("No reply from the Velmora \u2013 transfer stopped");
}

QString RunStoredText(Language language, int stored, int total)
{
    return language == Language::German
               ? QStringLiteral("%1 von %2 Datensätzen gespeichert, die übrigen sind unverändert.").arg(stored).arg(total)
               : QStringLiteral("%1 of %2 records stored, the others are unchanged.").arg(stored).arg(total);
}

QString NotAnsweringText(Language language, const QString &port, const QString &device)
{
    const QString where = device.isEmpty() ? port : QStringLiteral("%1 (%2)").arg(port, device);
    return language == Language::German
               ? QStringLiteral("Keine Antwort vom Velmora an %1 \u2013 Kabel, Stromversorgung und "
                                "gewählten Anschluss prüfen.").arg(where)
               : QStringLiteral("No answer from the Velmora on %1 \u2013 check the cable, its power and "
                                "the port chosen.").arg(where);
}

namespace {

QString formText(ValueForm form, Language language)
{
    const bool de = language == Language::German;
    switch (form) {
    case ValueForm::TwoCharacters:
        return de ? QStringLiteral("ist nicht zwei Zeichen lang") : QStringLiteral("is not two characters");
    case ValueForm::Name:
        return de ? QStringLiteral("ist länger als 10 Zeichen") : QStringLiteral("is longer than 10 characters");
    case ValueForm::Header:
        return de ? QStringLiteral("ist länger als 40 Zeichen") : QStringLiteral("is longer than 40 characters");
    case ValueForm::PrinterModel:
        return de ? QStringLiteral("ist kein Druckermodell von 0 bis 3")
                  : QStringLiteral("is not a printer model from 0 to 3");
    case ValueForm::InterfaceIndex:
        return de ? QStringLiteral("ist keine Ziffer von 0 bis 5") : QStringLiteral("is not a digit from 0 to 5");
    }
    return QString();
}

QString sectionList(const QStringList &sections)
{
    return sections.join(QStringLiteral(", "));
}

} // namespace

QString StatusLightName(Language language)
{
    return language == Language::German ? QStringLiteral("Statusanzeige") : QStringLiteral("Status light");
}

QString StatusLightText(bool lit, Language language)
{
    if (lit)
        return language == Language::German ? QStringLiteral("Rot: vom Velmora noch nicht bestätigt")
                             : QStringLiteral("Red: not yet confirmed by the Velmora");
    return language == Language::German ? QStringLiteral("Grün: vom Velmora bestätigt")
                         : QStringLiteral("Green: confirmed by the Velmora");
}

namespace {

// Controls, format characters and line or paragraph separators would break or
// hide in a one-line listing.
bool unprintable(char32_t code)
{
    const QChar::Category category = QChar::category(code);
    return !QChar::isPrint(code) || category == QChar::Separator_Line || category == QChar::Separator_Paragraph
           || category == QChar::Other_Format;
}

} // namespace

QString QuotedValue(const QString &value)
{
    QString out = QStringLiteral("\"");
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < n && value.at(i + 1).isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(c, value.at(i + 1)) : c.unicode();
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (code < 0x100 && unprintable(code))
            out += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else if (unprintable(code) && !pair)
            out += QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
        else if (unprintable(code))
            out += QStringLiteral("\\U%1").arg(uint(code), 8, 16, QLatin1Char('0'));
        else
            out += pair ? value.mid(i, 2) : QString(c);
        if (pair)
            ++i;
    }
    return out + u'"';
}

QString ValueProblemText(const ValueProblem &p, Language language)
{
    const bool de = language == Language::German;
    QString reason;
    switch (p.misfit) {
    case Misfit::Form:
        reason = formText(p.form, language);
        break;
    case Misfit::FrameCharacter:
        reason = de ? QStringLiteral("enthält %1, das keine Anfrage übertragen kann").arg(QuotedValue(p.character))
                    : QStringLiteral("holds %1, which no request can carry").arg(QuotedValue(p.character));
        break;
    case Misfit::ControlCharacter:
        reason = de ? QStringLiteral("enthält das Steuerzeichen %1").arg(QuotedValue(p.character))
                    : QStringLiteral("holds the control character %1").arg(QuotedValue(p.character));
        break;
    case Misfit::NoWindows1252:
        reason = de ? QStringLiteral("enthält %1, das es in Windows-1252 nicht gibt").arg(QuotedValue(p.character))
                    : QStringLiteral("holds %1, which has no Windows-1252 form").arg(QuotedValue(p.character));
        break;
    case Misfit::Missing:
        return de ? QStringLiteral("[%1] %2: fehlt").arg(p.section, p.key)
                  : QStringLiteral("[%1] %2: is missing").arg(p.section, p.key);
    case Misfit::NotTwoDigits:
        reason = de ? QStringLiteral("ist nicht zweistellig (00 bis 99)") : QStringLiteral("is not two digits (00 to 99)");
        break;
    case Misfit::TypedAsUtf8:
        reason = (de ? QStringLiteral("sieht nach UTF-8 aus (%1) in einer Windows-1252-Datei")
                     : QStringLiteral("looks typed as UTF-8 (%1) in a Windows-1252 file"))
                     .arg(QuotedValue(QString::fromUtf8(Cp1252::encode(p.value))));
        break;
    }
    return QStringLiteral("[%1] %2: %3 %4").arg(p.section, p.key, QuotedValue(p.value), reason);
}

QString ValueProblemsText(const QList<ValueProblem> &problems, Language language)
{
    QStringList lines;
    lines << (language == Language::German ? QStringLiteral("Nichts wurde zum Velmora übertragen: diese Werte passen nicht in ihr Feld.")
                            : QStringLiteral("Nothing was sent to the Velmora: these values do not fit their field."));
    for (const ValueProblem &p : problems)
        lines << ValueProblemText(p, language);
    return lines.join(u'\n');
}

QString SaveOntoItselfText(Language language)
{
    return language == Language::German ? QStringLiteral("Das Ziel ist die geöffnete Konfiguration selbst.")
                                        : QStringLiteral("The target is the opened configuration itself.");
}

QString MissingFileText(const QString &file, Language language)
{
    return (language == Language::German ? QStringLiteral("%1 gibt es nicht.") : QStringLiteral("%1 does not exist."))
        .arg(file);
}

QString NotOpenableText(const QString &file, Language language)
{
    return (language == Language::German
                ? QStringLiteral("%1 ist keine gewöhnliche Datei und kann nicht geöffnet werden.")
                : QStringLiteral("%1 is not a regular file and cannot be opened."))
        .arg(file);
}

QString SaveFailedText(const QString &target, Language language)
{
    return (language == Language::German ? QStringLiteral("Die Konfiguration konnte nicht nach %1 gespeichert werden.")
                                         : QStringLiteral("The configuration could not be saved to %1."))
        .arg(target);
}

QString NoRecordsText(const QString &file, Language language)
{
    return language == Language::German
               ? QStringLiteral("%1 enthält keine Einstellungen des Velmora; nichts wurde übertragen.").arg(file)
               : QStringLiteral("%1 holds no settings of the Velmora; nothing was sent.").arg(file);
}

QStringList WhyComparedLines(const WriteCheck &check, Language language)
{
    const bool de = language == Language::German;
    QStringList lines;
    if (check.recordedFirmware.isEmpty())
        lines << (de ? QStringLiteral("Die Konfiguration nennt keine Firmware, von der sie gelesen wurde.")
                     : QStringLiteral("The configuration names no firmware it was read from."));
    else if (check.firmwareDiffers())
        lines << (de ? QStringLiteral("Die Konfiguration wurde von Firmware %1 gelesen, der Velmora hat Firmware %2.")
                     : QStringLiteral("The configuration was read from firmware %1; the Velmora has firmware %2."))
                         .arg(check.recordedFirmware, check.gatewayFirmware);
    if (!check.recordedFirmware.isEmpty() && !check.recordedComplete) {
        if (check.recordedRecords >= 0)
            lines << (de ? QStringLiteral("Das Lesen, aus dem sie stammt, wurde abgebrochen (%1 Datensätze gespeichert).")
                         : QStringLiteral("The read that made it was cut short (%1 records stored)."))
                             .arg(check.recordedRecords);
        else
            lines << (de ? QStringLiteral("Das Lesen, aus dem sie stammt, wurde abgebrochen.")
                         : QStringLiteral("The read that made it was cut short."));
    }
    if (check.missing.size() == 1)
        lines << (de ? QStringLiteral("Ihr fehlt 1 Wert; der Velmora behält dafür seinen eigenen.")
                     : QStringLiteral("It lacks 1 value; the Velmora keeps its own for it."));
    else if (!check.missing.isEmpty())
        lines << (de ? QStringLiteral("Ihr fehlen %1 Werte; der Velmora behält dafür seine eigenen.")
                     : QStringLiteral("It lacks %1 values; the Velmora keeps its own for them."))
                         .arg(check.missing.size());
    const auto typed = std::count_if(check.doubts.begin(), check.doubts.end(),
                                     [](const ValueProblem &d) { return d.misfit == Misfit::TypedAsUtf8; });
    if (typed == 1)
        lines << (de ? QStringLiteral("1 Wert sieht aus, als wäre er in einer anderen Zeichenkodierung (UTF-8) "
                                      "eingegeben worden.")
                     : QStringLiteral("1 value looks typed in another encoding (UTF-8)."));
    else if (typed > 1)
        lines << (de ? QStringLiteral("%1 Werte sehen aus, als wären sie in einer anderen Zeichenkodierung (UTF-8) "
                                      "eingegeben worden.")
                     : QStringLiteral("%1 values look typed in another encoding (UTF-8)."))
                         .arg(typed);
    if (!check.skipped.isEmpty())
        lines << SkippedRecordsText(check.skipped, language);
    return lines;
}

QString SkippedRecordsText(const QStringList &sections, Language language)
{
    return (language == Language::German ? QStringLiteral("Nicht geschrieben, da die Firmware sie nicht hat: %1")
                                         : QStringLiteral("Not written, as the firmware lacks them: %1"))
        .arg(sectionList(sections));
}

QStringList MissingLines(const QList<ValueProblem> &missing, Language language)
{
    const bool de = language == Language::German;
    QStringList lines;
    for (qsizetype i = 0; i < missing.size();) {
        qsizetype end = i;
        while (end < missing.size() && missing.at(end).section == missing.at(i).section)
            ++end;
        const std::optional<RecordId> record = ConfigLayout::recordOfSection(missing.at(i).section);
        QStringList keys;
        for (qsizetype k = i; k < end; ++k)
            keys << missing.at(k).key;
        // A record missing whole is one line; otherwise one line a key.
        const int points = int(keys.size()) / 2;
        const bool layout = !record || record->kind != RecordKind::Points || points == 4 || points == 5 || points == 10;
        if (record && layout && keys == ConfigLayout::keys(record->kind, points)) {
            lines << (de ? QStringLiteral("[%1]: fehlt (%2 Werte)") : QStringLiteral("[%1]: is missing (%2 values)"))
                             .arg(missing.at(i).section)
                             .arg(end - i);
        } else {
            for (qsizetype k = i; k < end; ++k)
                lines << ValueProblemText(missing.at(k), language);
        }
        i = end;
    }
    return lines;
}

QString ComparisonSummaryText(const WriteComparison &comparison, Language language)
{
    const bool de = language == Language::German;
    if (comparison.changesNothing())
        return de ? QStringLiteral("Die Übertragung ändert keinen Wert im Velmora.")
                  : QStringLiteral("Writing changes no value on the Velmora.");
    const qsizetype n = comparison.changes.size();
    const QString values = de ? (n == 1 ? QStringLiteral("1 Wert") : QStringLiteral("%1 Werte").arg(n))
                              : (n == 1 ? QStringLiteral("1 value") : QStringLiteral("%1 values").arg(n));
    return (de ? QStringLiteral("Die Übertragung ändert %1 in %2 von %3 Datensätzen des Velmora.")
               : QStringLiteral("Writing changes %1 in %2 of %3 records of the Velmora."))
        .arg(values)
        .arg(comparison.changedRecords)
        .arg(comparison.records);
}

QString ComparisonLineText(const ValueDifference &change, Language language)
{
    return (language == Language::German ? QStringLiteral("[%1] %2: Velmora %3, Datei %4")
                                         : QStringLiteral("[%1] %2: Velmora %3, file %4"))
        .arg(change.section, change.key, QuotedValue(change.first), QuotedValue(change.second));
}

QString ComparisonQuestionText(Language language)
{
    return language == Language::German ? QStringLiteral("Diese Änderungen zum Velmora übertragen?")
                                        : QStringLiteral("Send these changes to the Velmora?");
}

QString ComparisonTableName(Language language)
{
    return language == Language::German ? QStringLiteral("Änderungen") : QStringLiteral("Changes");
}

QStringList ComparisonColumnTexts(Language language)
{
    if (language == Language::German)
        return {QStringLiteral("Abschnitt"), QStringLiteral("Schlüssel"), QStringLiteral("Velmora"),
                QStringLiteral("Datei"), QStringLiteral("Hinweis")};
    return {QStringLiteral("Section"), QStringLiteral("Key"), QStringLiteral("Velmora"), QStringLiteral("File"),
            QStringLiteral("Note")};
}

QString ComparisonMissingText(Language language)
{
    return language == Language::German ? QStringLiteral("(fehlt)") : QStringLiteral("(missing)");
}

QString ComparisonKeptText(Language language)
{
    return language == Language::German ? QStringLiteral("der Velmora behält seinen Wert")
                                        : QStringLiteral("the Velmora keeps its value");
}

QString DoubtReasonText(const ValueProblem &doubt, Language language)
{
    const bool de = language == Language::German;
    switch (doubt.misfit) {
    case Misfit::NotTwoDigits:
        return de ? QStringLiteral("ist nicht zweistellig (00 bis 99)") : QStringLiteral("is not two digits (00 to 99)");
    case Misfit::TypedAsUtf8:
        return (de ? QStringLiteral("sieht nach UTF-8 aus (%1) in einer Windows-1252-Datei")
                   : QStringLiteral("looks typed as UTF-8 (%1) in a Windows-1252 file"))
            .arg(QuotedValue(QString::fromUtf8(Cp1252::encode(doubt.value))));
    default:
        return ValueProblemText(doubt, language);
    }
}

QString WriteDeclinedText(Language language)
{
    return language == Language::German ? QStringLiteral("Nichts übertragen") : QStringLiteral("Nothing sent");
}

QString NotTakenLineText(const ValueDifference &d, Language language)
{
    return (language == Language::German ? QStringLiteral("[%1] %2: gesendet %3, der Velmora hat %4")
                          : QStringLiteral("[%1] %2: sent %3, the Velmora has %4"))
        .arg(d.section, d.key, QuotedValue(d.first), QuotedValue(d.second));
}

QString NotTakenText(const QList<ValueDifference> &differences, Language language)
{
    QStringList lines;
    lines << (language == Language::German
                  ? QStringLiteral("Der Velmora hat diese Werte nicht übernommen; die Konfiguration behält die "
                                   "gesendeten Werte:")
                  : QStringLiteral("The Velmora did not take these values; the configuration keeps the values "
                                   "sent:"));
    for (const ValueDifference &d : differences)
        lines << NotTakenLineText(d, language);
    return lines.join(u'\n');
}

QString NotTakenLabelText(Language language)
{
    return language == Language::German ? QStringLiteral("Nicht alle Werte übernommen") : QStringLiteral("Not all values taken");
}

QString StepperArrowName(bool next, Language language)
{
    if (language == Language::German)
        return next ? QStringLiteral("Weiter") : QStringLiteral("Zurück");
    return next ? QStringLiteral("Next") : QStringLiteral("Previous");
}

QString RunProgressName(Language language)
{
    return language == Language::German ? QStringLiteral("Fortschritt") : QStringLiteral("Progress");
}

QString TabScrollName(bool right, Language language)
{
    if (language == Language::German)
        return right ? QStringLiteral("Nach rechts blättern") : QStringLiteral("Nach links blättern");
    return right ? QStringLiteral("Scroll right") : QStringLiteral("Scroll left");
}

QString PartReadName(PointsPart part, Language language)
{
    const bool de = language == Language::German;
    if (part == PointsPart::Points)
        return de ? QStringLiteral("Zapfstellen lesen") : QStringLiteral("Read points");
    return de ? QStringLiteral("Produkt lesen") : QStringLiteral("Read product");
}

QString PartWriteName(PointsPart part, Language language)
{
    const bool de = language == Language::German;
    if (part == PointsPart::Points)
        return de ? QStringLiteral("Zapfstellen schreiben") : QStringLiteral("Write points");
    return de ? QStringLiteral("Produkt schreiben") : QStringLiteral("Write product");
}

QString PartStatusLightName(PointsPart part, Language language)
{
    const bool de = language == Language::German;
    if (part == PointsPart::Points)
        return de ? QStringLiteral("Statusanzeige Zapfstellen") : QStringLiteral("Status light of the points");
    return de ? QStringLiteral("Statusanzeige Produkt") : QStringLiteral("Status light of the product");
}
