#include "core/Texts.h"

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

QString RunStoredText(int language, int stored, int total)
{
    return language == 0
               ? QStringLiteral("%1 von %2 Datensätzen gespeichert, die übrigen sind unverändert.").arg(stored).arg(total)
               : QStringLiteral("%1 of %2 records stored, the others are unchanged.").arg(stored).arg(total);
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
