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
