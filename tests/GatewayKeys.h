#pragma once
// The settings a complete read of a gateway fills, per firmware, stated here
// apart from the tool's own layout so that end-to-end tests hold the files it
// writes against a second account of them.

#include <QString>
#include <QStringList>

struct Layout
{
    int addresses;
    int points;
    int products;
    bool interface;
};

inline Layout layoutOf(const QString &firmware)
{
    return firmware == QLatin1String("106") ? Layout{16, 4, 10, false} : Layout{24, 10, 20, true};
}

// Every "SECTION/Key" of the layout, in the file's order.
inline QStringList keysOf(const Layout &layout)
{
    QStringList keys;
    for (int a = 0; a < layout.addresses; ++a) {
        for (int k = 1; k <= layout.points; ++k)
            keys << QStringLiteral("QVR%1/Qualitaet%2").arg(a).arg(k) << QStringLiteral("QVR%1/EDV%2").arg(a).arg(k);
    }
    for (int n = 1; n <= layout.products; ++n)
        keys << QStringLiteral("PRODUKT%1/Qualitaet").arg(n) << QStringLiteral("PRODUKT%1/Name").arg(n);
    keys << QStringLiteral("PRINTER/Modell") << QStringLiteral("PRINTER/Head");
    if (layout.interface) {
        for (const char *key : {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"})
            keys << QStringLiteral("INTERFACE/") + QLatin1String(key);
    }
    return keys;
}

// A two-digit field's text.
inline QString two(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}
