#include "texts/Texts.h"

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

QString QuotedValue(const QString &value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
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

QString FirmwareDifferenceText(const WriteCheck &check, Language language)
{
    const bool de = language == Language::German;
    QStringList lines;
    if (check.firmwareDiffers())
        lines << (de ? QStringLiteral("Die Konfiguration wurde von Firmware %1 gelesen, der Velmora hat Firmware %2.")
                     : QStringLiteral("The configuration was read from firmware %1; the Velmora has firmware %2."))
                         .arg(check.recordedFirmware, check.gatewayFirmware);
    if (!check.defaulted.isEmpty())
        lines << (de ? QStringLiteral("Mit Standardwerten geschrieben, da nicht in der Konfiguration: %1")
                     : QStringLiteral("Written with default values, as the configuration lacks them: %1"))
                         .arg(sectionList(check.defaulted));
    if (!check.skipped.isEmpty())
        lines << (de ? QStringLiteral("Nicht geschrieben, da die Firmware sie nicht hat: %1")
                     : QStringLiteral("Not written, as the firmware lacks them: %1"))
                         .arg(sectionList(check.skipped));
    return lines.join(u'\n');
}

QString FirmwareQuestionText(const WriteCheck &check, Language language)
{
    return FirmwareDifferenceText(check, language) + QStringLiteral("\n\n")
           + (language == Language::German ? QStringLiteral("Trotzdem zum Velmora übertragen?")
                            : QStringLiteral("Send it to the Velmora all the same?"));
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
