#include "core/Records.h"

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/Frame.h"
#include "core/MonitorLog.h"
#include "core/WorkingFile.h"

#include <QString>

namespace {

QString field(const QByteArray &line, int from, int length)
{
    return Cp1252::decode(line.mid(from, length));
}

// A decimal field of a record; anything else is the conversion error, as the
// gateway's records are taken as they are.
int decimalField(const QByteArray &text)
{
    bool ok = !text.isEmpty();
    for (char c : text)
        ok = ok && c >= '0' && c <= '9';
    if (!ok)
        throw ConversionError(Cp1252::decode(text));
    return text.toInt();
}

} // namespace

QString TwoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString Record::value(const QString &key) const
{
    for (const auto &[k, v] : values) {
        if (k == key)
            return v;
    }
    return QString();
}

bool RecordFromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record)
{
    Record r;
    switch (line.size() > 2 ? line.at(2) : '\0') {
    case 'Z': {
        r.kind = RecordKind::Points;
        const char ch = line.size() > 3 ? line.at(3) : '\0';
        r.address = ch ? int(QByteArray(AddressChars).indexOf(ch)) : -1;
        r.section = QStringLiteral("QVR") + QString::number(r.address);
        // Positions (from 1) of each point's quality and EDV number.
        const auto add = [&](const char *key, int k, int position) {
            r.values.append({QLatin1String(key) + QString::number(k), field(line, position - 1, 2)});
        };
        for (int k = 1; k <= 4; ++k)
            add("Qualitaet", k, 5 + 2 * (k - 1));
        if (features.hasPoint5)
            add("Qualitaet", 5, 21);
        if (features.hasTenPoints) {
            for (int k = 6; k <= 10; ++k)
                add("Qualitaet", k, 25 + 4 * (k - 6));
        }
        for (int k = 1; k <= 4; ++k)
            add("EDV", k, 13 + 2 * (k - 1));
        if (features.hasPoint5)
            add("EDV", 5, 23);
        if (features.hasTenPoints) {
            for (int k = 6; k <= 10; ++k)
                add("EDV", k, 27 + 4 * (k - 6));
        }
        break;
    }
    case 'P':
        r.kind = RecordKind::Product;
        r.product = decimalField(line.mid(3, 2));
        r.section = QStringLiteral("PRODUKT") + QString::number(r.product);
        r.values = {{QStringLiteral("Qualitaet"), field(line, 5, 2)}, {QStringLiteral("Name"), field(line, 7, 10)}};
        break;
    case 'D':
        r.kind = RecordKind::Printer;
        r.section = QStringLiteral("PRINTER");
        r.values = {{QStringLiteral("Modell"), field(line, 3, 2)},
                    {QStringLiteral("Head"), TrimControl(field(line, 5, 40))}};
        break;
    case 'I': {
        r.kind = RecordKind::Interface;
        r.section = QStringLiteral("INTERFACE");
        for (int i = 0; i < 4; ++i) {
            const QByteArray digit = line.mid(3 + i, 1);
            r.values.append({QLatin1String(InterfaceKeys[i]), Cp1252::decode(digit)});
            if (r.badField.isNull() && (digit.isEmpty() || digit.at(0) < '0' || digit.at(0) > '9'))
                r.badField = Cp1252::decode(digit);
        }
        break;
    }
    default:
        return false;
    }
    *record = r;
    return true;
}

QByteArray PointsReadRequest(int address)
{
    return QByteArray("C0Z") + AddressChars[address];
}

QByteArray ProductReadRequest(int number)
{
    return "C0P" + PadLeft(QByteArray::number(number), 2, '0');
}

QByteArray InterfaceReadRequest()
{
    return "C0I";
}

QByteArray PrinterReadRequest()
{
    return "C0D";
}

QByteArray PointsRequestFromFile(const WorkingFile &workingFile, int a, const FirmwareFeatures &features)
{
    // One read of the file for all the values of the request.
    const WorkingFile::Snapshot file = workingFile.snapshot();
    const QString section = QStringLiteral("QVR") + QString::number(a);
    const QString d = TwoDigits(a);
    QList<QByteArray> quality, edv;
    const int points = features.hasTenPoints ? 10 : features.hasPoint5 ? 5 : 4;
    for (int k = 1; k <= points; ++k) {
        quality << Cp1252::encode(file.read(section, QStringLiteral("Qualitaet%1").arg(k), d));
        edv << Cp1252::encode(file.read(section, QStringLiteral("EDV%1").arg(k), d));
    }
    return PointsWriteRequest(AddressChars[a], quality, edv, features.hasPoint5 || features.hasTenPoints,
                              features.hasTenPoints);
}

QByteArray ProductRequestFromFile(const WorkingFile &workingFile, int n)
{
    // One read of the file for all the values of the request.
    const WorkingFile::Snapshot file = workingFile.snapshot();
    const QString section = QStringLiteral("PRODUKT") + QString::number(n);
    const QString quality = file.read(section, QStringLiteral("Qualitaet"), TwoDigits(n));
    const QString name = file.read(section, QStringLiteral("Name"), QStringLiteral("Produkt ") + QString::number(n));
    return ProductWriteRequest(n, Cp1252::encode(quality), Cp1252::encode(name));
}

QByteArray InterfaceRequestFromFile(const WorkingFile &workingFile)
{
    // One read of the file for all the values of the request.
    const WorkingFile::Snapshot file = workingFile.snapshot();
    QList<int> indexes;
    for (const char *key : InterfaceKeys) {
        const QString stored = file.read(QStringLiteral("INTERFACE"), QLatin1String(key), QStringLiteral("3"));
        bool ok = false;
        const int v = stored.trimmed().toInt(&ok);
        indexes << (ok ? v : 3);
    }
    return InterfaceWriteRequest(indexes);
}

QByteArray PrinterRequestFromFile(const WorkingFile &workingFile)
{
    // One read of the file for all the values of the request.
    const WorkingFile::Snapshot file = workingFile.snapshot();
    const QString model = file.read(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QStringLiteral("00"));
    const QString head = file.read(QStringLiteral("PRINTER"), QStringLiteral("Head"), QStringLiteral("Deutsche Brantel"));
    return PrinterWriteRequest(Cp1252::encode(model), Cp1252::encode(head));
}

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
