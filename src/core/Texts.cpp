#include "core/Texts.h"

#include <cerrno>
#include <cstring>

const char *const TextPairs[TextPairCount][2] = {
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

QString TextPair(int entry, int language)
{
    if (entry < 0 || entry >= TextPairCount)
        return QString();
    return QString::fromUtf8(TextPairs[entry][language == 0 ? 0 : 1]);
}

QString LostConnectionText(int language)
{
    return language == 0
               ? QStringLiteral("Die Verbindung zum Velmora ist unterbrochen: der serielle Anschluss ist "
                                "nicht mehr vorhanden (Adapter abgezogen?).")
               : QStringLiteral("The connection to the Velmora was lost: the serial port is gone "
                                "(adapter unplugged?).");
}

QString PermissionHintText(int language)
{
    return language == 0
               ? QStringLiteral("Der Benutzer muss eventuell Mitglied der Gruppe \u201Edialout\u201C sein, "
                                "oder ein anderes Programm belegt den Anschluss.")
               : QStringLiteral("You may need to be a member of the \u201Cdialout\u201D group, or another "
                                "program may hold the port.");
}

QString NoReplyText(int language)
{
    return language == 0 ? QStringLiteral("Keine Antwort vom Velmora \u2013 Übertragung abgebrochen")
                         : QStringLiteral("No reply from the Velmora \u2013 transfer stopped");
}

QString NotAnsweringText(int language, const QString &port, const QString &device)
{
    const QString where = device.isEmpty() ? port : QStringLiteral("%1 (%2)").arg(port, device);
    return language == 0
               ? QStringLiteral("Keine Antwort vom Velmora an %1 \u2013 Kabel, Stromversorgung und "
                                "gewählten Anschluss prüfen.").arg(where)
               : QStringLiteral("No answer from the Velmora on %1 \u2013 check the cable, its power and "
                                "the port chosen.").arg(where);
}

QString StatusLightName(int language)
{
    return language == 0 ? QStringLiteral("Statusanzeige") : QStringLiteral("Status light");
}

QString StatusLightText(bool lit, int language)
{
    if (lit)
        return language == 0 ? QStringLiteral("Rot: vom Velmora noch nicht bestätigt")
                             : QStringLiteral("Red: not yet confirmed by the Velmora");
    return language == 0 ? QStringLiteral("Grün: vom Velmora bestätigt")
                         : QStringLiteral("Green: confirmed by the Velmora");
}

namespace {

struct CommonReason
{
    int error;
    const char *german;  // UTF-8
    const char *english;
};

// The failures a technician meets at a port or a file; errors of the same
// meaning share their words.
constexpr CommonReason CommonReasons[] = {
    {ENOENT, "Datei oder Verzeichnis nicht gefunden", "No such file or directory"},
    {ENODEV, "Gerät nicht vorhanden", "No such device"},
    {ENXIO, "Gerät nicht vorhanden", "No such device"},
    {EACCES, "Keine Berechtigung", "Permission denied"},
    {EPERM, "Keine Berechtigung", "Permission denied"},
    {EBUSY, "Gerät oder Ressource belegt", "Device or resource busy"},
    {EAGAIN, "Gerät oder Ressource belegt", "Device or resource busy"},
    {EIO, "Ein-/Ausgabefehler", "Input/output error"},
    {ENOSPC, "Kein Speicherplatz mehr auf dem Gerät", "No space left on device"},
    {EDQUOT, "Kein Speicherplatz mehr auf dem Gerät", "No space left on device"},
    {EROFS, "Schreibgeschütztes Dateisystem", "Read-only file system"},
    {ENAMETOOLONG, "Dateiname zu lang", "File name too long"},
};

constexpr char HungUpGerman[] = "Das Gerät hat die Verbindung getrennt";
constexpr char HungUpEnglish[] = "The device hung up.";

// Qt SerialPort's own words when another program holds the port's lock file.
constexpr char LockedQt[] = "Permission error while locking the device";
constexpr char LockedGerman[] = "Der Anschluss ist gesperrt: ein anderes Programm benutzt ihn, oder seine "
                                "Sperrdatei kann nicht angelegt werden";
constexpr char LockedEnglish[] = "The port is locked: another program uses it, or its lock file cannot be "
                                 "created";

QString inLanguage(const CommonReason &reason, int language)
{
    return QString::fromUtf8(language == 0 ? reason.german : reason.english);
}

// The system's own words for `error`, in the process's locale.
QString systemText(int error)
{
    char buffer[256];
    // The GNU strerror_r: thread-safe, returns the text (not always in buffer).
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

} // namespace

QString ReasonText(int error, int language)
{
    for (const CommonReason &reason : CommonReasons) {
        if (reason.error == error)
            return inLanguage(reason, language);
    }
    return systemText(error);
}

QString ReasonText(const QString &words, int language)
{
    const QString text = words.trimmed();
    if (text == QLatin1String(HungUpEnglish) || text == QString::fromUtf8(HungUpGerman))
        return QString::fromUtf8(language == 0 ? HungUpGerman : HungUpEnglish);
    if (text == QLatin1String(LockedQt) || text == QString::fromUtf8(LockedGerman)
        || text == QLatin1String(LockedEnglish))
        return QString::fromUtf8(language == 0 ? LockedGerman : LockedEnglish);
    for (const CommonReason &reason : CommonReasons) {
        // The system's words in its own locale, or either of ours.
        if (text == systemText(reason.error) || text == QString::fromUtf8(reason.german)
            || text == QLatin1String(reason.english))
            return inLanguage(reason, language);
    }
    return words;
}

QString HungUpReason()
{
    return QString::fromLatin1(HungUpEnglish);
}
