#include "texts/ReasonTexts.h"

#include "texts/Words.h"

#include <cerrno>
#include <cstring>

namespace {

struct CommonReason
{
    int error;
    const char *text[2]; // German, English (UTF-8), in the order of IndexOfLanguage
};

// The failures a technician meets at a port, a file or a network link;
// errors of the same meaning share their words.
constexpr CommonReason CommonReasons[] = {
    {ENOENT, {"Datei oder Verzeichnis nicht gefunden", "No such file or directory"}},
    {ENODEV, {"Gerät nicht vorhanden", "No such device"}},
    {ENXIO, {"Gerät nicht vorhanden", "No such device"}},
    {EACCES, {"Keine Berechtigung", "Permission denied"}},
    {EPERM, {"Keine Berechtigung", "Permission denied"}},
    {EBUSY, {"Gerät oder Ressource belegt", "Device or resource busy"}},
    {EAGAIN, {"Gerät oder Ressource belegt", "Device or resource busy"}},
    {EIO, {"Ein-/Ausgabefehler", "Input/output error"}},
    {ENOSPC, {"Kein Speicherplatz mehr auf dem Gerät", "No space left on device"}},
    {EDQUOT, {"Kein Speicherplatz mehr auf dem Gerät", "No space left on device"}},
    {EROFS, {"Schreibgeschütztes Dateisystem", "Read-only file system"}},
    {ENAMETOOLONG, {"Dateiname zu lang", "File name too long"}},
    {ENOTTY, {"Das Gerät ist kein serieller Anschluss (unpassender ioctl)", "Inappropriate ioctl for device"}},
    {EINVAL, {"Ungültiges Argument", "Invalid argument"}},
    {EISDIR, {"Ist ein Verzeichnis", "Is a directory"}},
    {ENOTDIR, {"Ist kein Verzeichnis", "Not a directory"}},
    {ELOOP, {"Zu viele Ebenen aus symbolischen Links", "Too many levels of symbolic links"}},
    {EEXIST, {"Die Datei existiert bereits", "File exists"}},
    {EXDEV, {"Ungültiger Link über Gerätegrenzen hinweg", "Invalid cross-device link"}},
    {EFBIG, {"Datei zu groß", "File too large"}},
    {EMFILE, {"Zu viele offene Dateien", "Too many open files"}},
    {ENFILE, {"Zu viele offene Dateien im System", "Too many open files in system"}},
    {ETXTBSY, {"Die Datei wird gerade benutzt", "Text file busy"}},
    {ECONNREFUSED, {"Verbindungsaufbau abgelehnt", "Connection refused"}},
    {ECONNRESET, {"Die Verbindung wurde vom Kommunikationspartner zurückgesetzt", "Connection reset by peer"}},
    {ETIMEDOUT, {"Die Wartezeit für die Verbindung ist abgelaufen", "Connection timed out"}},
    {EHOSTUNREACH, {"Keine Route zum Zielrechner", "No route to host"}},
    {ENETUNREACH, {"Das Netzwerk ist nicht erreichbar", "Network is unreachable"}},
    {EPIPE, {"Datenübergabe unterbrochen (broken pipe)", "Broken pipe"}},
};

struct SerialReason
{
    QSerialPort::SerialPortError error;
    const char *text[2]; // German, English (UTF-8), in the order of IndexOfLanguage
};

constexpr SerialReason SerialReasons[] = {
    {QSerialPort::DeviceNotFoundError, {"Gerät nicht vorhanden", "No such device"}},
    {QSerialPort::PermissionError, {"Keine Berechtigung", "Permission denied"}},
    {QSerialPort::OpenError, {"Der Anschluss ist bereits geöffnet", "The port is already open"}},
    {QSerialPort::WriteError, {"Fehler beim Senden", "Error while sending"}},
    {QSerialPort::ReadError, {"Fehler beim Empfangen", "Error while receiving"}},
    {QSerialPort::ResourceError, {"Der Anschluss ist nicht mehr verfügbar", "The port is no longer available"}},
    {QSerialPort::UnsupportedOperationError, {"Der Anschluss kann so nicht eingestellt werden", "The port does not take these settings"}},
    {QSerialPort::TimeoutError, {"Zeitüberschreitung", "Timed out"}},
    {QSerialPort::NotOpenError, {"Der Anschluss ist nicht geöffnet", "The port is not open"}},
    {QSerialPort::UnknownError, {"Unbekannter Fehler des Anschlusses", "Unknown port error"}},
};

template <class Reason>
QString inLanguage(const Reason &reason, Language language)
{
    return QString::fromUtf8(reason.text[IndexOfLanguage(language)]);
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

QString NotPresentText(Language language)
{
    return Word(Words::DeviceNotPresent, language);
}

QString HungUpText(Language language)
{
    return Word(Words::HungUp, language);
}

QString LockedText(Language language)
{
    return Word(Words::PortLocked, language);
}

QString SerialErrorText(QSerialPort::SerialPortError error, Language language)
{
    for (const SerialReason &reason : SerialReasons) {
        if (reason.error == error)
            return inLanguage(reason, language);
    }
    return QString();
}
