#include "GatewayModel.h"

#include "core/Frame.h"

#include <cstring>

namespace GatewaySim {

QByteArray two(int n)
{
    return PadLeft(QByteArray::number(n), 2, '0');
}

int addressOf(char ch)
{
    const char *p = ch ? std::strchr(AddressChars, ch) : nullptr;
    return p ? int(p - AddressChars) : -1;
}

Gateway::Gateway()
{
    for (int a = 0; a < 36; ++a) {
        for (int k = 0; k < 10; ++k) {
            quality[a][k] = two((a * 7 + k * 3) % 99 + 1);
            edv[a][k] = two((a * 5 + k * 11 + 40) % 99 + 1);
        }
    }
    for (int m = 1; m <= 20; ++m) {
        productQuality[m] = two(m + 40);
        productName[m] = PadLeft("Sim " + QByteArray::number(m), 10, ' ');
    }
}

QByteArray Gateway::pointsRecord(int a) const
{
    QByteArray r = "cZ";
    r += AddressChars[a];
    for (int k = 0; k < 4; ++k)
        r += quality[a][k];
    for (int k = 0; k < 4; ++k)
        r += edv[a][k];
    if (hasPoint5())
        r += quality[a][4] + edv[a][4];
    if (hasTenPoints()) {
        for (int k = 5; k < 10; ++k)
            r += quality[a][k] + edv[a][k];
    }
    return r;
}

QByteArray Gateway::productRecord(int m) const
{
    return "cP" + two(m) + productQuality[m] + productName[m];
}

QByteArray Gateway::printerRecord() const
{
    QByteArray head = printerHead.left(40);
    return "cD" + printerModel + head + QByteArray(40 - head.size(), ' ');
}

QByteArray Gateway::answer(const QByteArray &c) const
{
    if (c == "S0V")
        return "cV" + QByteArray::number(firmware).rightJustified(3, '0').left(3);
    const QByteArray kind = c.left(3);
    if (kind == "C0P" || kind == "C1P") {
        const int m = c.mid(3, 2).toInt();
        return m >= 1 && m <= 20 ? productRecord(m) : QByteArray();
    }
    if (kind == "C0Z" || kind == "C1Z") {
        const int a = c.size() > 3 ? addressOf(c.at(3)) : -1;
        return a >= 0 ? pointsRecord(a) : QByteArray();
    }
    if (kind == "C0D" || kind == "C1D")
        return printerRecord();
    if (kind == "C0I" || kind == "C1I")
        return "cI" + interface;
    return {};
}

void Gateway::store(const QByteArray &c)
{
    const QByteArray kind = c.left(3);
    if (kind == "C1P" && c.size() >= 17) {
        const int m = c.mid(3, 2).toInt();
        if (m >= 1 && m <= 20) {
            productQuality[m] = c.mid(5, 2);
            productName[m] = c.mid(7, 10);
        }
    } else if (kind == "C1Z" && c.size() >= 20) {
        const int a = addressOf(c.at(3));
        if (a < 0)
            return;
        for (int k = 0; k < 4; ++k) {
            quality[a][k] = c.mid(4 + 2 * k, 2);
            edv[a][k] = c.mid(12 + 2 * k, 2);
        }
        int pos = 20;
        if (hasPoint5() && c.size() >= pos + 4) {
            quality[a][4] = c.mid(pos, 2);
            edv[a][4] = c.mid(pos + 2, 2);
            pos += 4;
        }
        if (hasTenPoints()) {
            for (int k = 5; k < 10 && c.size() >= pos + 4; ++k, pos += 4) {
                quality[a][k] = c.mid(pos, 2);
                edv[a][k] = c.mid(pos + 2, 2);
            }
        }
    } else if (kind == "C1D" && c.size() >= 5) {
        printerModel = c.mid(3, 2);
        printerHead = c.mid(5, 40);
        while (printerHead.endsWith(' '))
            printerHead.chop(1);
    } else if (kind == "C1I" && c.size() >= 7) {
        interface = c.mid(3, 4);
    }
}

void Gateway::vary(const QByteArray &c, int round)
{
    const QByteArray kind = c.left(3);
    if (kind == "C0Z" && c.size() > 3) {
        const int a = addressOf(c.at(3));
        if (a < 0)
            return;
        for (int k = 0; k < 10; ++k) {
            quality[a][k] = two((round + a + k) % 99 + 1);
            edv[a][k] = two((3 * round + a + k) % 99 + 1);
        }
    } else if (kind == "C0P") {
        const int m = c.mid(3, 2).toInt();
        if (m >= 1 && m <= 20) {
            productQuality[m] = two((round + m) % 99 + 1);
            productName[m] = PadLeft("F" + QByteArray::number(round % 100000), 10, ' ');
        }
    } else if (kind == "C0D") {
        printerModel = two(round % 4);
        printerHead = "Flut " + QByteArray::number(round);
    } else if (kind == "C0I") {
        interface.clear();
        for (int i = 0; i < 4; ++i)
            interface += char('0' + (round + i) % 6);
    }
}

} // namespace GatewaySim
