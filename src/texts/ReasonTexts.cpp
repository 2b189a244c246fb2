#include "texts/ReasonTexts.h"

#include <cerrno>
#include <cstring>

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
// What opening a port whose device is gone (an unplugged adapter) says.
constexpr char NotPresentEnglish[] = "device not present";
constexpr char NotPresentGerman[] = "Gerät nicht vorhanden";
constexpr char LockedQt[] = "Permission error while locking the device";
constexpr char LockedGerman[] = "Der Anschluss ist gesperrt: ein anderes Programm benutzt ihn, oder seine "
                                "Sperrdatei kann nicht angelegt werden";
constexpr char LockedEnglish[] = "The port is locked: another program uses it, or its lock file cannot be "
                                 "created";

QString inLanguage(const CommonReason &reason, Language language)
{
    return QString::fromUtf8(language == Language::German ? reason.german : reason.english);
}

// The system's own words for `error`, in the process's locale.
QString systemText(int error)
{
    char buffer[256];
    // The GNU strerror_r: thread-safe, returns the text (not always in buffer).
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

} // namespace

QString ReasonText(int error, Language language)
{
    for (const CommonReason &reason : CommonReasons) {
        if (reason.error == error)
            return inLanguage(reason, language);
    }
    return systemText(error);
}

QString ReasonText(const QString &words, Language language)
{
    const QString text = words.trimmed();
    if (text == QLatin1String(HungUpEnglish) || text == QString::fromUtf8(HungUpGerman))
        return QString::fromUtf8(language == Language::German ? HungUpGerman : HungUpEnglish);
    if (text == QLatin1String(NotPresentEnglish))
        return language == Language::German ? QString::fromUtf8(NotPresentGerman) : text;
    if (text == QLatin1String(LockedQt) || text == QString::fromUtf8(LockedGerman)
        || text == QLatin1String(LockedEnglish))
        return QString::fromUtf8(language == Language::German ? LockedGerman : LockedEnglish);
    for (const CommonReason &reason : CommonReasons) {
        // The system's words in its own locale, or either of ours.
        if (text == systemText(reason.error) || text == QString::fromUtf8(reason.german)
            || text == QLatin1String(reason.english))
            return inLanguage(reason, language);
    }
    return words;
}

QString NotPresentText(Language language)
{
    return language == Language::German ? QString::fromUtf8(NotPresentGerman) : QString::fromLatin1(NotPresentEnglish);
}

QString HungUpText(Language language)
{
    return QString::fromUtf8(language == Language::German ? HungUpGerman : HungUpEnglish);
}
