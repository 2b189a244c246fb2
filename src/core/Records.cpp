#include "core/Records.h"

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/TextEncoding.h"

#include <QString>

#include <algorithm>

using namespace ConfigLayout;

namespace {

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

// A reply line holds its record from here on, behind ">c" and the kind
// letter, as a request does behind "C1" and the letter.
constexpr int RecordStart = 3;

// Whether the record of a reply line has the firmware's layout: its length,
// and no control character outside the fields that are trimmed of them
// anyway. A record that fits no layout would put the frame's tail or another
// field's characters into its values.
bool fitsLayout(const QByteArray &line, RecordKind kind, const FirmwareFeatures &features)
{
    const qsizetype close = line.indexOf('<', RecordStart);
    const QByteArray record = line.mid(RecordStart, close < 0 ? -1 : close - RecordStart);
    const int points = pointCount(features);
    if (record.size() != recordLength(kind, points))
        return false;
    const QList<Field> layout = fields(kind, points);
    for (qsizetype i = 0; i < record.size(); ++i) {
        const auto c = static_cast<unsigned char>(record.at(i));
        const auto within = [i](const Field &f) {
            return i >= f.offset && i < f.offset + f.width && trimmedOnReceipt(f);
        };
        if ((c < 0x20 || c == 0x7F) && std::none_of(layout.begin(), layout.end(), within))
            return false;
    }
    return true;
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
    const std::optional<RecordKind> kind = kindOfLetter(line.size() > 2 ? line.at(2) : '\0');
    if (!kind)
        return Reply::None;
    Record r;
    r.kind = *kind;
    const QByteArray number = line.mid(RecordStart, numberWidth(r.kind));
    switch (numberField(r.kind)) {
    case NumberField::None:
        break;
    case NumberField::AddressCharacter: {
        const qsizetype address = number.isEmpty() ? -1 : QByteArray(AddressChars).indexOf(number.at(0));
        if (address < 0)
            return Reply::None;
        r.address = int(address);
        break;
    }
    case NumberField::TwoDigits:
        r.product = decimalField(number);
        if (r.product < 1 || r.product > MaxProducts)
            return Reply::None;
        break;
    }
    if (!fitsLayout(line, r.kind, features))
        return named(r, Reply::Malformed);
    for (const Field &f : fields(r.kind, pointCount(features))) {
        const QByteArray raw = line.mid(RecordStart + f.offset, f.width);
        r.values.append({f.key, receivedForm(f, Cp1252::decode(raw))});
        // An interface index is taken as a number: the first that is none is
        // the conversion error, after all four are stored.
        const bool digits =
            !raw.isEmpty() && std::all_of(raw.begin(), raw.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (f.form == ValueForm::InterfaceIndex && r.badField.isNull() && !digits)
            r.badField = Cp1252::decode(raw);
    }
    return named(r, Reply::Valid);
}

Record Record::fromFile(const WorkingFile::Snapshot &file, const RecordId &id, const FirmwareFeatures &features,
                        const Record *kept)
{
    // No stored value holds a line end, so this default marks a missing key.
    const QString missing = QStringLiteral("\n");
    Record r;
    r.kind = id.kind;
    r.address = id.kind == RecordKind::Points ? id.number : -1;
    r.product = id.kind == RecordKind::Product ? id.number : 0;
    r.section = ConfigLayout::section(id);
    for (const QString &key : keys(id.kind, pointCount(features))) {
        QString value = file.read(r.section, key, missing);
        if (value == missing)
            value = kept ? kept->value(key) : QString();
        r.values.append({key, value});
    }
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

QList<ValueProblem> Record::doubts() const
{
    QList<ValueProblem> out;
    for (const auto &[key, value] : values) {
        if (auto problem = doubt(section, key, value, formOf(kind, key)))
            out.append(*problem);
    }
    return out;
}

QByteArray Record::toRequest() const
{
    QByteArray r = "C1";
    r += char(kind);
    r += Cp1252::encode(numberText(id()));
    // A points record holds a quality and an EDV number for each point of
    // its firmware.
    const int points = kind == RecordKind::Points ? int(values.size() / 2) : 0;
    for (const Field &f : wireFields(kind, points))
        r += Cp1252::encode(sentForm(f, value(f.key)));
    return r;
}

QList<ValueDifference> Record::differencesTo(const Record &echo) const
{
    QList<ValueDifference> out;
    for (const auto &[key, value] : values) {
        const QString echoed = echo.value(key);
        if (heldForm(kind, key, value) != heldForm(kind, key, echoed))
            out.append({section, key, value, echoed});
    }
    return out;
}

QByteArray ReadRequest(const RecordId &record)
{
    QByteArray r = "C0";
    r += char(record.kind);
    r += Cp1252::encode(numberText(record));
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

namespace {

// The text of a file as the profile rules read it.
QString fileText(const QByteArray &content)
{
    const TextEncoding encoding = EncodingOf(content);
    if (IsUtf16(encoding))
        return QString::fromUtf8(Utf16AsUtf8(content, encoding == TextEncoding::Utf16Be, nullptr));
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(content);
    return Cp1252::decode(content);
}

} // namespace

QList<ValueProblem> SplitValues(const WorkingFile::Snapshot &file, const FirmwareFeatures &features)
{
    QList<ValueProblem> out;
    if (!file.content())
        return out;
    const QByteArray &content = *file.content();
    if (!content.contains('\n') || !content.contains('\r'))
        return out;
    const QList<RecordId> taken = records(features);
    std::optional<RecordId> record;
    const QString text = fileText(content);
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            record = recordOfSection(close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1));
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!record || !taken.contains(*record) || !line.contains(u'\r') || equals < 0 || trimmed.startsWith(u';'))
            continue;
        const QString key = line.left(equals).trimmed();
        for (const QString &name : keys(record->kind, pointCount(features))) {
            if (name.compare(key, Qt::CaseInsensitive) != 0)
                continue;
            const QString value = line.mid(equals + 1).trimmed();
            out.append({section(*record), name, value, formOf(record->kind, name), Misfit::ControlCharacter,
                        QStringLiteral("\r")});
        }
    }
    return out;
}

QList<ValueProblem> CheckFile(const WorkingFile::Snapshot &file, const FirmwareFeatures &features)
{
    QList<ValueProblem> out;
    for (const RecordId &id : records(features)) {
        for (const ValueProblem &problem : Record::fromFile(file, id, features).problems()) {
            if (problem.misfit != Misfit::Missing)
                out.append(problem);
        }
    }
    return out + SplitValues(file, features);
}

QList<ValueProblem> MissingKeys(const WorkingFile::Snapshot &file, const FirmwareFeatures &features)
{
    QList<ValueProblem> out;
    for (const RecordId &id : records(features)) {
        for (const ValueProblem &problem : Record::fromFile(file, id, features).problems()) {
            if (problem.misfit == Misfit::Missing)
                out.append(problem);
        }
    }
    return out;
}

QList<ValueProblem> FileDoubts(const WorkingFile::Snapshot &file, const FirmwareFeatures &features)
{
    QList<ValueProblem> out;
    const bool windows1252 = file.content() && EncodingOf(*file.content()) == TextEncoding::Ansi;
    for (const RecordId &id : records(features)) {
        const Record record = Record::fromFile(file, id, features);
        out += record.doubts();
        if (!windows1252)
            continue;
        for (const auto &[key, value] : record.values) {
            if (!check(record.section, key, value, formOf(id.kind, key)) && LooksLikeUtf8(Cp1252::encode(value)))
                out.append({record.section, key, value, formOf(id.kind, key), Misfit::TypedAsUtf8, QString()});
        }
    }
    return out;
}

bool WriteCheck::firmwareDiffers() const
{
    return !recordedFirmware.isEmpty() && !sameVersion(recordedFirmware, gatewayFirmware);
}

bool WriteCheck::typedInOtherEncoding() const
{
    return std::any_of(doubts.begin(), doubts.end(),
                       [](const ValueProblem &doubt) { return doubt.misfit == Misfit::TypedAsUtf8; });
}

bool WriteCheck::vouchedFor() const
{
    return !recordedFirmware.isEmpty() && !firmwareDiffers() && recordedComplete && missing.isEmpty()
           && !typedInOtherEncoding();
}

WriteCheck CheckWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                      const QString &gatewayFirmware)
{
    WriteCheck check;
    check.problems = CheckFile(file, features);
    check.missing = MissingKeys(file, features);
    check.doubts = FileDoubts(file, features);
    check.gatewayFirmware = gatewayFirmware;
    const QString source = QLatin1String(SourceSection);
    check.recordedFirmware = file.read(source, QLatin1String(SourceFirmwareKey), QString()).trimmed();
    // A file from before the mark was written only by a complete read.
    check.recordedComplete = !check.recordedFirmware.isEmpty()
                             && file.read(source, QLatin1String(SourceCompleteKey), QString()).trimmed()
                                        .compare(QLatin1String("no"), Qt::CaseInsensitive) != 0;
    bool counted = false;
    const int recordCount = file.read(source, QLatin1String(SourceRecordsKey), QString()).trimmed().toInt(&counted);
    check.recordedRecords = counted ? recordCount : -1;
    const QList<RecordId> taken = records(features);
    for (const RecordId &id : records(largestLayout())) {
        const bool held = HoldsRecord(file, id);
        check.holdsRecords = check.holdsRecords || held;
        if (!taken.contains(id) && held)
            check.skipped << section(id);
    }
    return check;
}

const Record *FindRecord(const QList<Record> &records, const RecordId &id)
{
    for (const Record &record : records) {
        if (record.id() == id)
            return &record;
    }
    return nullptr;
}

QList<ValueDifference> ValuesNotHeld(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                                     const QList<Record> &kept, const QList<Record> &gateway, int *recordsDiffering)
{
    QList<ValueDifference> out;
    int differing = 0;
    for (const RecordId &id : records(features)) {
        const Record *held = FindRecord(gateway, id);
        const Record sent = Record::fromFile(file, id, features, FindRecord(kept, id));
        const QList<ValueDifference> differences = held ? sent.differencesTo(*held) : QList<ValueDifference>();
        out += differences;
        differing += differences.isEmpty() ? 0 : 1;
    }
    if (recordsDiffering)
        *recordsDiffering = differing;
    return out;
}

WriteComparison CompareWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                             const WriteCheck &check, const QList<Record> &gateway)
{
    WriteComparison comparison;
    comparison.check = check;
    comparison.records = int(records(features).size());
    for (const ValueDifference &d : ValuesNotHeld(file, features, gateway, gateway, &comparison.changedRecords))
        comparison.changes.append({d.section, d.key, d.second, d.first});
    return comparison;
}
