#include "core/Requests.h"

#include "core/Frame.h"

#include <QString>

QByteArray PointsWriteRequest(char address, const QList<QByteArray> &quality,
                              const QList<QByteArray> &edv, bool hasPoint5, bool hasTenPoints)
{
    QByteArray r = "C1Z";
    r += address;
    for (int k = 0; k < 4; ++k)
        r += quality.value(k);
    for (int k = 0; k < 4; ++k)
        r += edv.value(k);
    if (hasPoint5)
        r += quality.value(4) + edv.value(4);
    if (hasTenPoints) {
        for (int k = 5; k < 10; ++k)
            r += quality.value(k) + edv.value(k);
    }
    return r;
}

QByteArray ProductWriteRequest(int number, const QByteArray &quality, const QByteArray &name)
{
    return "C1P" + PadLeft(QByteArray::number(number), 2, '0') + quality + PadLeft(name, 10, ' ');
}

QByteArray PrinterWriteRequest(const QByteArray &model, const QByteArray &header)
{
    QByteArray head = header;
    if (head.size() < 40)
        head += QByteArray(40 - head.size(), ' ');
    return "C1D" + PadLeft(model, 2, '0') + head;
}

QByteArray InterfaceWriteRequest(const QList<int> &indexes)
{
    QByteArray r = "C1I";
    for (int i : indexes)
        r += QByteArray::number(i);
    return r;
}

int InterfaceIndexOf(const QString &stored)
{
    bool ok = false;
    const int v = stored.trimmed().toInt(&ok);
    return ok && v >= 0 && v <= 5 ? v : 3;
}
