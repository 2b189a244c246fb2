#include "cli/ConfigDiff.h"

#include "core/Cp1252.h"
#include "core/Frame.h"
#include "core/Records.h"
#include "core/WorkingFile.h"

#include <functional>

namespace {

// One key of a record: its default in the write-all run and the bytes its
// value becomes in the request.
struct Field
{
    QString key;
    QString def;
    std::function<QByteArray(const QString &)> wire;
};

QByteArray asIs(const QString &value)
{
    return Cp1252::encode(value);
}

void compareRecord(const WorkingFile &first, const WorkingFile &second, const QString &section,
                   const QList<Field> &fields, QList<ConfigDifference> &out)
{
    for (const Field &field : fields) {
        const QString a = first.read(section, field.key, field.def);
        const QString b = second.read(section, field.key, field.def);
        if (field.wire(a) != field.wire(b))
            out.append({section, field.key, a, b});
    }
}

} // namespace

namespace ConfigDiff {

FirmwareFeatures largestLayout()
{
    FirmwareFeatures f;
    f.hasPoint5 = true;
    f.hasTenPoints = true;
    f.addressCount = 24;
    f.productCount = 20;
    f.progressTotal = f.addressCount + f.productCount + 2;
    return f;
}

QList<ConfigDifference> compare(const WorkingFile &first, const WorkingFile &second,
                                const FirmwareFeatures &layout)
{
    QList<ConfigDifference> out;
    // Records whose requests are equal are equal for the gateway, however
    // their keys are spelt; only the others are looked at key by key.
    const int points = layout.hasTenPoints ? 10 : layout.hasPoint5 ? 5 : 4;
    for (int a = 0; a < layout.addressCount; ++a) {
        if (PointsRequestFromFile(first, a, layout) == PointsRequestFromFile(second, a, layout))
            continue;
        QList<Field> fields;
        for (const char *name : {"Qualitaet", "EDV"}) {
            for (int k = 1; k <= points; ++k)
                fields.append({QLatin1String(name) + QString::number(k), TwoDigits(a), asIs});
        }
        compareRecord(first, second, QStringLiteral("QVR") + QString::number(a), fields, out);
    }
    for (int n = 1; n <= layout.productCount; ++n) {
        if (ProductRequestFromFile(first, n) == ProductRequestFromFile(second, n))
            continue;
        const QList<Field> fields = {
            {QStringLiteral("Qualitaet"), TwoDigits(n), asIs},
            {QStringLiteral("Name"), QStringLiteral("Produkt ") + QString::number(n),
             [](const QString &v) { return PadLeft(Cp1252::encode(v), 10, ' '); }},
        };
        compareRecord(first, second, QStringLiteral("PRODUKT") + QString::number(n), fields, out);
    }
    if (layout.hasTenPoints && InterfaceRequestFromFile(first) != InterfaceRequestFromFile(second)) {
        // As the run takes it: the stored number, 3 for anything else.
        const auto index = [](const QString &v) {
            bool ok = false;
            const int n = v.trimmed().toInt(&ok);
            return QByteArray::number(ok ? n : 3);
        };
        QList<Field> fields;
        for (const char *key : InterfaceKeys)
            fields.append({QLatin1String(key), QStringLiteral("3"), index});
        compareRecord(first, second, QStringLiteral("INTERFACE"), fields, out);
    }
    if (PrinterRequestFromFile(first) != PrinterRequestFromFile(second)) {
        const QList<Field> fields = {
            {QStringLiteral("Modell"), QStringLiteral("00"),
             [](const QString &v) { return PadLeft(Cp1252::encode(v), 2, '0'); }},
            {QStringLiteral("Head"), QStringLiteral("Deutsche Brantel"),
             [](const QString &v) {
                 QByteArray head = Cp1252::encode(v);
                 return head.size() < 40 ? head + QByteArray(40 - head.size(), ' ') : head;
             }},
        };
        compareRecord(first, second, QStringLiteral("PRINTER"), fields, out);
    }
    return out;
}

QString quoted(const QString &value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

} // namespace ConfigDiff
