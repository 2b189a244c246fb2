#include "core/Records.h"

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/Frame.h"
#include "core/TextTrim.h"

#include <QString>

#include <algorithm>

using namespace ConfigLayout;

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
        throw NumberError(Cp1252::decode(text));
    return text.toInt();
}

// Where (from 0, in a reply line or a write request alike) the quality or
// EDV number of point k lies: points 1-4 give their four qualities, then
// their four EDV numbers; from point 5 on each quality is followed by its
// EDV number.
int pointPosition(int k, bool edv)
{
    if (k <= 4)
        return (edv ? 12 : 4) + 2 * (k - 1);
    return 20 + 4 * (k - 5) + (edv ? 2 : 0);
}

// The length of a record in a reply, what follows its kind letter up to
// "<", in the firmware's layout: a points record's address character and
// two characters for each quality and EDV number.
int replyLength(RecordKind kind, const FirmwareFeatures &features)
{
    switch (kind) {
    case RecordKind::Points:
        return 1 + 4 * pointCount(features);
    case RecordKind::Product:
        return 14;
    case RecordKind::Printer:
        return 42;
    case RecordKind::Interface:
        return 4;
    }
    return 0;
}

// Whether the record of a reply line has the firmware's layout: its length,
// and no control character outside the printer header, which is trimmed of
// them anyway. A record that fits no layout would put the frame's tail or
// another field's characters into its values.
bool fitsLayout(const QByteArray &line, RecordKind kind, const FirmwareFeatures &features)
{
    const qsizetype close = line.indexOf('<', 3);
    const QByteArray record = line.mid(3, close < 0 ? -1 : close - 3);
    if (record.size() != replyLength(kind, features))
        return false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const auto c = static_cast<unsigned char>(record.at(i));
        const bool header = kind == RecordKind::Printer && i >= 2;
        if ((c < 0x20 || c == 0x7F) && !header)
            return false;
    }
    return true;
}

// A value as a faithful gateway gives it back in its echo.
QString echoedForm(const Record &record, const QString &key, const QString &value)
{
    switch (record.kind) {
    case RecordKind::Product:
        return key == productNameKey() ? value.rightJustified(10, u' ') : value;
    case RecordKind::Printer:
        return key == printerModelKey() ? value.rightJustified(2, u'0') : TrimControl(value);
    case RecordKind::Points:
    case RecordKind::Interface:
        break;
    }
    return value;
}

} // namespace

RecordId Record::id() const
{
    switch (kind) {
    case RecordKind::Points:
        return {kind, address};
    case RecordKind::Product:
        return {kind, product};
    case RecordKind::Printer:
    case RecordKind::Interface:
        break;
    }
    return {kind, 0};
}

QString Record::value(const QString &key) const
{
    for (const auto &[k, v] : values) {
        if (k == key)
            return v;
    }
    return QString();
}

void Record::setValue(const QString &key, const QString &value)
{
    for (auto &[k, v] : values) {
        if (k == key)
            v = value;
    }
}

Record::Reply Record::fromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record)
{
    const auto named = [record](Record &r, Reply reply) {
        r.section = ConfigLayout::section(r.id());
        *record = r;
        return reply;
    };
    Record r;
    switch (line.size() > 2 ? line.at(2) : '\0') {
    case 'Z': {
        r.kind = RecordKind::Points;
        const char ch = line.size() > 3 ? line.at(3) : '\0';
        const qsizetype address = ch ? QByteArray(AddressChars).indexOf(ch) : -1;
        if (address < 0)
            return Reply::None;
        r.address = int(address);
        if (!fitsLayout(line, r.kind, features))
            return named(r, Reply::Malformed);
        const int points = pointCount(features);
        for (int k = 1; k <= points; ++k)
            r.values.append({pointKey(k, false), field(line, pointPosition(k, false), 2)});
        for (int k = 1; k <= points; ++k)
            r.values.append({pointKey(k, true), field(line, pointPosition(k, true), 2)});
        break;
    }
    case 'P':
        r.kind = RecordKind::Product;
        r.product = decimalField(line.mid(3, 2));
        if (r.product < 1 || r.product > MaxProducts)
            return Reply::None;
        if (!fitsLayout(line, r.kind, features))
            return named(r, Reply::Malformed);
        r.values = {{productQualityKey(), field(line, 5, 2)}, {productNameKey(), field(line, 7, 10)}};
        break;
    case 'D':
        r.kind = RecordKind::Printer;
        if (!fitsLayout(line, r.kind, features))
            return named(r, Reply::Malformed);
        r.values = {{printerModelKey(), field(line, 3, 2)}, {printerHeaderKey(), TrimControl(field(line, 5, 40))}};
        break;
    case 'I': {
        r.kind = RecordKind::Interface;
        if (!fitsLayout(line, r.kind, features))
            return named(r, Reply::Malformed);
        const QStringList names = keys(RecordKind::Interface);
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray digit = line.mid(3 + i, 1);
            r.values.append({names.at(i), Cp1252::decode(digit)});
            if (r.badField.isNull() && (digit.isEmpty() || digit.at(0) < '0' || digit.at(0) > '9'))
                r.badField = Cp1252::decode(digit);
        }
        break;
    }
    default:
        return Reply::None;
    }
    return named(r, Reply::Valid);
}

Record Record::fromFile(const WorkingFile::Snapshot &file, const RecordId &id, const FirmwareFeatures &features)
{
    Record r;
    r.kind = id.kind;
    r.address = id.kind == RecordKind::Points ? id.number : -1;
    r.product = id.kind == RecordKind::Product ? id.number : 0;
    r.section = ConfigLayout::section(id);
    for (const QString &key : keys(id.kind, pointCount(features)))
        r.values.append({key, file.read(r.section, key, sendDefault(id, key))});
    return r;
}

QList<ValueProblem> Record::problems() const
{
    QList<ValueProblem> out;
    for (const auto &[key, value] : values) {
        if (auto problem = check(section, key, value, formOf(kind, key)))
            out.append(*problem);
    }
    return out;
}

QByteArray Record::toRequest() const
{
    const auto bytes = [this](const QString &key) { return Cp1252::encode(value(key)); };
    QByteArray r = "C1";
    r += char(kind);
    switch (kind) {
    case RecordKind::Points: {
        r += AddressChars[address];
        const int points = int(values.size() / 2);
        for (int k = 1; k <= std::min(points, 4); ++k)
            r += bytes(pointKey(k, false));
        for (int k = 1; k <= std::min(points, 4); ++k)
            r += bytes(pointKey(k, true));
        for (int k = 5; k <= points; ++k)
            r += bytes(pointKey(k, false)) + bytes(pointKey(k, true));
        break;
    }
    case RecordKind::Product:
        r += Cp1252::encode(TwoDigits(product)) + bytes(productQualityKey())
             + PadLeft(bytes(productNameKey()), 10, ' ');
        break;
    case RecordKind::Printer: {
        const QByteArray head = bytes(printerHeaderKey());
        r += PadLeft(bytes(printerModelKey()), 2, '0') + head + QByteArray(std::max(0, 40 - int(head.size())), ' ');
        break;
    }
    case RecordKind::Interface:
        for (const auto &[key, value] : values)
            r += Cp1252::encode(value);
        break;
    }
    return r;
}

QString Record::sentForm(const QString &key) const
{
    const QString v = value(key);
    if (kind == RecordKind::Product && key == productNameKey())
        return v.rightJustified(10, u' ');
    if (kind == RecordKind::Printer)
        return key == printerModelKey() ? v.rightJustified(2, u'0') : v.leftJustified(40, u' ');
    return v;
}

QList<ValueDifference> Record::differencesTo(const Record &echo) const
{
    QList<ValueDifference> out;
    for (const auto &[key, value] : values) {
        const QString echoed = echo.value(key);
        if (echoedForm(*this, key, value) != echoed)
            out.append({section, key, value, echoed});
    }
    return out;
}

QByteArray ReadRequest(const RecordId &record)
{
    QByteArray r = "C0";
    r += char(record.kind);
    if (record.kind == RecordKind::Points)
        r += AddressChars[record.number];
    else if (record.kind == RecordKind::Product)
        r += Cp1252::encode(TwoDigits(record.number));
    return r;
}

bool HoldsRecord(const WorkingFile::Snapshot &file, const RecordId &record)
{
    // No stored value holds a line end, so this default marks a missing key.
    const QString missing = QStringLiteral("\n");
    const QString name = section(record);
    for (const QString &key : keys(record.kind)) {
        if (file.read(name, key, missing) != missing)
            return true;
    }
    return false;
}

bool HoldsAnyRecord(const WorkingFile::Snapshot &file)
{
    const QList<RecordId> all = records(largestLayout());
    return std::any_of(all.begin(), all.end(), [&file](const RecordId &id) { return HoldsRecord(file, id); });
}

QList<ValueProblem> CheckFile(const WorkingFile::Snapshot &file, const FirmwareFeatures &features)
{
    QList<ValueProblem> out;
    for (const RecordId &id : records(features))
        out += Record::fromFile(file, id, features).problems();
    return out;
}

WriteCheck CheckWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                      const QString &gatewayFirmware)
{
    WriteCheck check;
    check.problems = CheckFile(file, features);
    check.gatewayFirmware = gatewayFirmware;
    check.recordedFirmware =
        file.read(QLatin1String(SourceSection), QLatin1String(SourceFirmwareKey), QString()).trimmed();
    const QList<RecordId> taken = records(features);
    for (const RecordId &id : records(largestLayout())) {
        const bool held = HoldsRecord(file, id);
        check.holdsRecords = check.holdsRecords || held;
        if (taken.contains(id) && !held)
            check.defaulted << section(id);
        else if (!taken.contains(id) && held)
            check.skipped << section(id);
    }
    return check;
}
