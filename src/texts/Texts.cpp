#include "texts/Texts.h"

#include "texts/Words.h"

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
    return Word(Words::LostConnection, language);
}

QString PermissionHintText(Language language)
{
    return Word(Words::PermissionHint, language);
}

QString NoReplyText(Language language)
{
    return Word(Words::NoReply, language);
}

QString RunStoredText(Language language, int stored, int total)
{
    return Word(Words::RecordsStored, language).arg(stored).arg(total);
}

QString NotAnsweringText(Language language, const QString &port, const QString &device)
{
    const QString where = device.isEmpty() ? port : QStringLiteral("%1 (%2)").arg(port, device);
    return Word(Words::NoAnswerOnPort, language).arg(where);
}

namespace {

QString formText(ValueForm form, Language language)
{
    switch (form) {
    case ValueForm::TwoCharacters:
        return Word(Words::NotTwoCharacters, language);
    case ValueForm::Name:
        return Word(Words::NameTooLong, language);
    case ValueForm::Header:
        return Word(Words::HeaderTooLong, language);
    case ValueForm::PrinterModel:
        return Word(Words::NotAPrinterModel, language);
    case ValueForm::InterfaceIndex:
        return Word(Words::NotAnInterfaceIndex, language);
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
    return Word(Words::StatusLight, language);
}

QString StatusLightText(bool lit, Language language)
{
    return Word(lit ? Words::StatusLightRed : Words::StatusLightGreen, language);
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
    QString reason;
    switch (p.misfit) {
    case Misfit::Form:
        reason = formText(p.form, language);
        break;
    case Misfit::FrameCharacter:
        reason = Word(Words::HoldsFrameCharacter, language).arg(QuotedValue(p.character));
        break;
    case Misfit::ControlCharacter:
        reason = Word(Words::HoldsControlCharacter, language).arg(QuotedValue(p.character));
        break;
    case Misfit::NoWindows1252:
        reason = Word(Words::HoldsNoWindows1252, language).arg(QuotedValue(p.character));
        break;
    case Misfit::Missing:
        return Word(Words::KeyIsMissing, language).arg(p.section, p.key);
    case Misfit::NotTwoDigits:
        reason = Word(Words::NotTwoDigits, language);
        break;
    case Misfit::TypedAsUtf8:
        reason = Word(Words::TypedAsUtf8, language).arg(QuotedValue(QString::fromUtf8(Cp1252::encode(p.value))));
        break;
    }
    return QStringLiteral("[%1] %2: %3 %4").arg(p.section, p.key, QuotedValue(p.value), reason);
}

QString ValueProblemsText(const QList<ValueProblem> &problems, Language language)
{
    QStringList lines;
    lines << Word(Words::ValueProblemsHeading, language);
    for (const ValueProblem &p : problems)
        lines << ValueProblemText(p, language);
    return lines.join(u'\n');
}

QString SaveOntoItselfText(Language language)
{
    return Word(Words::SaveOntoItself, language);
}

QString MissingFileText(const QString &file, Language language)
{
    return Word(Words::MissingFile, language).arg(file);
}

QString NotOpenableText(const QString &file, Language language)
{
    return Word(Words::NotOpenable, language).arg(file);
}

QString SaveFailedText(const QString &target, Language language)
{
    return Word(Words::SaveFailed, language).arg(target);
}

QString NoRecordsText(const QString &file, Language language)
{
    return Word(Words::HoldsNoSettings, language).arg(file);
}

QStringList WhyComparedLines(const WriteCheck &check, Language language)
{
    QStringList lines;
    if (check.recordedFirmware.isEmpty())
        lines << Word(Words::NoFirmwareNamed, language);
    else if (check.firmwareDiffers())
        lines << Word(Words::OtherFirmware, language).arg(check.recordedFirmware, check.gatewayFirmware);
    if (!check.recordedFirmware.isEmpty() && !check.recordedComplete) {
        if (check.recordedRecords >= 0)
            lines << Word(Words::ReadCutShortAfter, language).arg(check.recordedRecords);
        else
            lines << Word(Words::ReadCutShort, language);
    }
    if (check.missing.size() == 1)
        lines << Word(Words::LacksOneValue, language);
    else if (!check.missing.isEmpty())
        lines << Word(Words::LacksValues, language).arg(check.missing.size());
    const auto typed = std::count_if(check.doubts.begin(), check.doubts.end(),
                                     [](const ValueProblem &d) { return d.misfit == Misfit::TypedAsUtf8; });
    if (typed == 1)
        lines << Word(Words::OneValueTypedAsUtf8, language);
    else if (typed > 1)
        lines << Word(Words::ValuesTypedAsUtf8, language).arg(typed);
    if (!check.skipped.isEmpty())
        lines << SkippedRecordsText(check.skipped, language);
    return lines;
}

QString SkippedRecordsText(const QStringList &sections, Language language)
{
    return Word(Words::SkippedRecords, language).arg(sectionList(sections));
}

QStringList MissingLines(const QList<ValueProblem> &missing, Language language)
{
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
            lines << Word(Words::RecordIsMissing, language).arg(missing.at(i).section)
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
    if (comparison.changesNothing())
        return Word(Words::ChangesNothing, language);
    const qsizetype n = comparison.changes.size();
    const QString values = n == 1 ? Word(Words::OneValue, language) : Word(Words::SomeValues, language).arg(n);
    return Word(Words::ComparisonSummary, language).arg(values)
        .arg(comparison.changedRecords)
        .arg(comparison.records);
}

QString ComparisonLineText(const ValueDifference &change, Language language)
{
    return Word(Words::ComparisonLine, language).arg(change.section, change.key, QuotedValue(change.first), QuotedValue(change.second));
}

QString ComparisonQuestionText(Language language)
{
    return Word(Words::ComparisonQuestion, language);
}

QString ComparisonTableName(Language language)
{
    return Word(Words::ComparisonTable, language);
}

QStringList ComparisonColumnTexts(Language language)
{
    return {Word(Words::SectionColumn, language), Word(Words::KeyColumn, language),
            Word(Words::VelmoraColumn, language), Word(Words::FileColumn, language), Word(Words::NoteColumn, language)};
}

QString ComparisonMissingText(Language language)
{
    return Word(Words::ComparisonMissing, language);
}

QString ComparisonKeptText(Language language)
{
    return Word(Words::ComparisonKept, language);
}

QString DoubtReasonText(const ValueProblem &doubt, Language language)
{
    switch (doubt.misfit) {
    case Misfit::NotTwoDigits:
        return Word(Words::NotTwoDigits, language);
    case Misfit::TypedAsUtf8:
        return Word(Words::TypedAsUtf8, language).arg(QuotedValue(QString::fromUtf8(Cp1252::encode(doubt.value))));
    default:
        return ValueProblemText(doubt, language);
    }
}

QString WriteDeclinedText(Language language)
{
    return Word(Words::WriteDeclined, language);
}

QString NotTakenLineText(const ValueDifference &d, Language language)
{
    return Word(Words::NotTakenLine, language).arg(d.section, d.key, QuotedValue(d.first), QuotedValue(d.second));
}

QString NotTakenText(const QList<ValueDifference> &differences, Language language)
{
    QStringList lines;
    lines << Word(Words::NotTakenHeading, language);
    for (const ValueDifference &d : differences)
        lines << NotTakenLineText(d, language);
    return lines.join(u'\n');
}

QString NotTakenLabelText(Language language)
{
    return Word(Words::NotTakenLabel, language);
}

QString StepperArrowName(bool next, Language language)
{
    return Word(next ? Words::StepperNext : Words::StepperPrevious, language);
}

QString RunProgressName(Language language)
{
    return Word(Words::RunProgress, language);
}

QString TabScrollName(bool right, Language language)
{
    return Word(right ? Words::TabScrollRight : Words::TabScrollLeft, language);
}

QString PartReadName(PointsPart part, Language language)
{
    return Word(part == PointsPart::Points ? Words::ReadPoints : Words::ReadProduct, language);
}

QString PartWriteName(PointsPart part, Language language)
{
    return Word(part == PointsPart::Points ? Words::WritePoints : Words::WriteProduct, language);
}

QString PartStatusLightName(PointsPart part, Language language)
{
    return Word(part == PointsPart::Points ? Words::PointsStatusLight : Words::ProductStatusLight, language);
}
