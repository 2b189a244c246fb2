#include "core/Firmware.h"


FirmwareFeatures FeaturesForVersion(int n)
{
    FirmwareFeatures f{};
    f.hasPoint5 = n >= 110 && n != 208;
    f.addressCount = f.hasPoint5 ? 24 : 16;
    f.productCount = n >= 107 ? 20 : 10;
    f.progressTotal = f.addressCount + f.productCount + 1;
    f.hasTenPoints = n > 310;
    if (f.hasTenPoints)
        ++f.progressTotal;
    return f;
}

int VersionNumberOf(const QByteArray &line)
{
    const QByteArray digits = line.mid(3, 3);
    if (digits.isEmpty())
        return 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
    }
    return digits.toInt();
}

QByteArray VersionTextOf(const QByteArray &line)
{
    return line.mid(3, 1) + '.' + line.mid(4, 2);
}
