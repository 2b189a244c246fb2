#include "core/ConfigLayout.h"

#include "core/Cp1252.h"
#include "core/TextTrim.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// Sections QVR0 .. QVR36 are in a new file, more than any firmware reads.
constexpr int FileAddresses = 37;

constexpr char QualityKey[] = "Qualitaet";
constexpr char EdvKey[] = "EDV";
constexpr char NameKey[] = "Name";
constexpr char ModelKey[] = "Modell";
constexpr char HeadKey[] = "Head";

struct RecordRow
{
    RecordKind kind;
    const char *section; // followed by the record's number where it has one
    NumberField number;
};

constexpr RecordRow RecordTable[] = {
    {RecordKind::Points, "QVR", NumberField::AddressCharacter},
    {RecordKind::Product, "PRODUKT", NumberField::TwoDigits},
    {RecordKind::Printer, "PRINTER", NumberField::None},
    {RecordKind::Interface, "INTERFACE", NumberField::None},
};

struct FieldRow
{
    RecordKind kind;
    const char *key; // followed by the point number in a points record
    int point;
    int offset;
    int width;
    Alignment alignment;
    char fill;
    ValueForm form;
    Initial initial;
    const char *initialText;
};

using A = Alignment;
using F = ValueForm;
using I = Initial;
constexpr RecordKind Z = RecordKind::Points;
constexpr RecordKind P = RecordKind::Product;
constexpr RecordKind D = RecordKind::Printer;
constexpr RecordKind N = RecordKind::Interface;

// Every field of every record, in the order the file stores them. Points 1-4
// send their four qualities, then their four EDV numbers; from point 5 on
// each quality is followed by its EDV number. The address character and the
// product number stand in front, at offset 0.
constexpr FieldRow FieldTable[] = {
    // kind key          point offset width alignment  fill form               initial           text
    {Z, QualityKey,        1,     1,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        2,     3,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        3,     5,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        4,     7,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        5,    17,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        6,    21,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        7,    25,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        8,    29,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,        9,    33,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, QualityKey,       10,    37,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            1,     9,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            2,    11,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            3,    13,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            4,    15,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            5,    19,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            6,    23,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            7,    27,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            8,    31,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,            9,    35,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {Z, EdvKey,           10,    39,    2, A::Exact,  ' ', F::TwoCharacters,  I::PointNumber,   ""},
    {P, QualityKey,        0,     2,    2, A::Exact,  ' ', F::TwoCharacters,  I::RecordNumber,  ""},
    {P, NameKey,           0,     4,   10, A::Right,  ' ', F::Name,           I::ProductName,   ""},
    {D, ModelKey,          0,     0,    2, A::Right,  '0', F::PrinterModel,   I::Text,          "00"},
    {D, HeadKey,           0,     2,   40, A::Left,   ' ', F::Header,         I::Text,          "Deutsche Brantel"},
    {N, "BaudrateRS232",   0,     0,    1, A::Exact,  ' ', F::InterfaceIndex, I::Text,          "3"},
    {N, "ParameterRS232",  0,     1,    1, A::Exact,  ' ', F::InterfaceIndex, I::Text,          "3"},
    {N, "BaudrateRS485",   0,     2,    1, A::Exact,  ' ', F::InterfaceIndex, I::Text,          "3"},
    {N, "ParameterRS485",  0,     3,    1, A::Exact,  ' ', F::InterfaceIndex, I::Text,          "3"},
};

const RecordRow &recordRow(RecordKind kind)
{
    for (const RecordRow &row : RecordTable) {
        if (row.kind == kind)
            return row;
    }
    Q_UNREACHABLE();
}

constexpr int MostPoints = 10;

int widthOf(NumberField number)
{
    switch (number) {
    case NumberField::None:
        break;
    case NumberField::AddressCharacter:
        return 1;
    case NumberField::TwoDigits:
        return 2;
    }
    return 0;
}

// The table's fields of one kind with their keys spelled out, and what the
// records of each count of points take of them: made once, as every reply,
// request and value check asks.
struct KindFields
{
    QList<Field> all;
    QHash<QString, qsizetype> byKey;
    std::array<QList<Field>, MostPoints + 1> stored;
    std::array<QList<Field>, MostPoints + 1> wire;
    std::array<int, MostPoints + 1> length{};
};

const KindFields &kindFields(RecordKind kind)
{
    static const auto table = [] {
        std::array<KindFields, std::size(RecordTable)> out;
        for (const FieldRow &row : FieldTable) {
            Field f;
            f.kind = row.kind;
            f.key = QLatin1String(row.key) + (row.point > 0 ? QString::number(row.point) : QString());
            f.point = row.point;
            f.offset = row.offset;
            f.width = row.width;
            f.alignment = row.alignment;
            f.fill = row.fill;
            f.form = row.form;
            f.initial = row.initial;
            f.initialText = QLatin1String(row.initialText);
            KindFields &kind = out[&recordRow(row.kind) - RecordTable];
            kind.byKey.insert(f.key, kind.all.size());
            kind.all.append(f);
        }
        for (const RecordRow &row : RecordTable) {
            KindFields &kind = out[&row - RecordTable];
            for (int points = 0; points <= MostPoints; ++points) {
                int length = widthOf(row.number);
                for (const Field &f : kind.all) {
                    if (f.point > points)
                        continue;
                    kind.stored[points].append(f);
                    length += f.width;
                }
                kind.wire[points] = kind.stored[points];
                std::stable_sort(kind.wire[points].begin(), kind.wire[points].end(),
                                 [](const Field &a, const Field &b) { return a.offset < b.offset; });
                kind.length[points] = length;
            }
        }
        return out;
    }();
    return table[&recordRow(kind) - RecordTable];
}

// The width of the fields of a form; fields of one form share it.
int formWidth(ValueForm form)
{
    for (const FieldRow &row : FieldTable) {
        if (row.form == form)
            return row.width;
    }
    return 0;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool fitsForm(const QString &value, ValueForm form)
{
    switch (form) {
    case ValueForm::TwoCharacters:
        return value.size() == formWidth(form);
    case ValueForm::Name:
    case ValueForm::Header:
        return value.size() <= formWidth(form);
    case ValueForm::PrinterModel:
        // The page's four models.
        return !value.isEmpty() && value.size() <= formWidth(form) && std::all_of(value.begin(), value.end(), isDigit)
               && value.toInt() <= 3;
    case ValueForm::InterfaceIndex: {
        const int index = ConfigLayout::interfaceIndex(value);
        return index >= 0 && index <= 5;
    }
    }
    return false;
}

// The digits of a version ("3.11" and "311" give "311"); empty for a text
// that is no version.
QString versionDigits(const QString &version)
{
    QString digits = version.trimmed();
    const qsizetype dot = digits.indexOf(u'.');
    if (dot >= 0)
        digits = digits.left(dot) + digits.mid(dot + 1).rightJustified(2, u'0');
    if (digits.isEmpty() || digits.size() > 3)
        return QString();
    for (QChar c : digits) {
        if (!isDigit(c))
            return QString();
    }
    return digits;
}

} // namespace

QString TwoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

namespace ConfigLayout {

FirmwareFeatures largestLayout()
{
    FirmwareFeatures f;
    f.hasPoint5 = true;
    f.hasTenPoints = true;
    f.addressCount = MaxAddresses;
    f.productCount = MaxProducts;
    f.progressTotal = f.addressCount + f.productCount + 2;
    return f;
}

std::optional<FirmwareFeatures> featuresOfVersion(const QString &version)
{
    const QString digits = versionDigits(version);
    if (digits.isEmpty())
        return std::nullopt;
    return FeaturesForVersion(digits.toInt());
}

bool sameVersion(const QString &a, const QString &b)
{
    const QString da = versionDigits(a);
    const QString db = versionDigits(b);
    if (da.isEmpty() || db.isEmpty())
        return a.trimmed() == b.trimmed();
    return da.toInt() == db.toInt();
}

QList<RecordId> records(const FirmwareFeatures &f)
{
    QList<RecordId> out;
    for (int a = 0; a < f.addressCount; ++a)
        out.append({RecordKind::Points, a});
    for (int m = 1; m <= f.productCount; ++m)
        out.append({RecordKind::Product, m});
    if (f.hasTenPoints)
        out.append({RecordKind::Interface, 0});
    out.append({RecordKind::Printer, 0});
    return out;
}

int pointCount(const FirmwareFeatures &f)
{
    return f.hasTenPoints ? 10 : f.hasPoint5 ? 5 : 4;
}

QString section(const RecordId &record)
{
    const RecordRow &row = recordRow(record.kind);
    QString name = QLatin1String(row.section);
    if (row.number != NumberField::None)
        name += QString::number(record.number);
    return name;
}

std::optional<RecordId> recordOfSection(const QString &name)
{
    for (const RecordId &record : records(largestLayout())) {
        if (section(record).compare(name, Qt::CaseInsensitive) == 0)
            return record;
    }
    return std::nullopt;
}

std::optional<RecordKind> kindOfLetter(char letter)
{
    for (const RecordRow &row : RecordTable) {
        if (char(row.kind) == letter)
            return row.kind;
    }
    return std::nullopt;
}

NumberField numberField(RecordKind kind)
{
    return recordRow(kind).number;
}

int numberWidth(RecordKind kind)
{
    return widthOf(numberField(kind));
}

QString numberText(const RecordId &record)
{
    switch (numberField(record.kind)) {
    case NumberField::None:
        break;
    case NumberField::AddressCharacter:
        return QString(QLatin1Char(AddressChars[record.number]));
    case NumberField::TwoDigits:
        return TwoDigits(record.number);
    }
    return QString();
}

const QList<Field> &fields(RecordKind kind, int points)
{
    return kindFields(kind).stored[std::clamp(points, 0, MostPoints)];
}

const QList<Field> &wireFields(RecordKind kind, int points)
{
    return kindFields(kind).wire[std::clamp(points, 0, MostPoints)];
}

const Field *field(RecordKind kind, const QString &key)
{
    const KindFields &fields = kindFields(kind);
    const auto at = fields.byKey.constFind(key);
    return at == fields.byKey.cend() ? nullptr : &fields.all.at(*at);
}

int fieldWidth(RecordKind kind, const QString &key)
{
    const Field *f = field(kind, key);
    return f ? f->width : 0;
}

int recordLength(RecordKind kind, int points)
{
    return kindFields(kind).length[std::clamp(points, 0, MostPoints)];
}

QString sentForm(const Field &field, const QString &value)
{
    QString sent = value;
    if (field.form == ValueForm::InterfaceIndex) {
        // "03" and " 3" go as the one digit they stand for.
        const int index = interfaceIndex(value);
        if (index >= 0)
            sent = QString::number(index);
    }
    switch (field.alignment) {
    case Alignment::Exact:
        break;
    case Alignment::Right:
        return sent.rightJustified(field.width, QLatin1Char(field.fill));
    case Alignment::Left:
        return sent.leftJustified(field.width, QLatin1Char(field.fill));
    }
    return sent;
}

QString receivedForm(const Field &field, const QString &text)
{
    return trimmedOnReceipt(field) ? TrimControl(text) : text;
}

bool trimmedOnReceipt(const Field &field)
{
    return field.form == ValueForm::Header;
}

QString pointKey(int point, bool edv)
{
    return QLatin1String(edv ? EdvKey : QualityKey) + QString::number(point);
}

QString productQualityKey()
{
    return QLatin1String(QualityKey);
}

QString productNameKey()
{
    return QLatin1String(NameKey);
}

QString printerModelKey()
{
    return QLatin1String(ModelKey);
}

QString printerHeaderKey()
{
    return QLatin1String(HeadKey);
}

QStringList keys(RecordKind kind, int points)
{
    QStringList out;
    for (const Field &f : fields(kind, points))
        out << f.key;
    return out;
}

QString fileDefault(const RecordId &record, const QString &key)
{
    const Field *f = field(record.kind, key);
    if (!f)
        return QString();
    switch (f->initial) {
    case Initial::Text:
        return f->initialText;
    case Initial::PointNumber:
        return TwoDigits(f->point);
    case Initial::RecordNumber:
        return TwoDigits(record.number);
    case Initial::ProductName:
        return QStringLiteral("Produkt ") + QString::number(record.number).rightJustified(2, u' ');
    }
    return QString();
}

QString shownDefault(const RecordId &record, const QString &key)
{
    const Field *f = field(record.kind, key);
    if (f && f->initial == Initial::ProductName)
        return QStringLiteral("Produkt ") + QString::number(record.number);
    return fileDefault(record, key);
}

ValueForm formOf(RecordKind kind, const QString &key)
{
    const Field *f = field(kind, key);
    return f ? f->form : ValueForm::TwoCharacters;
}

std::optional<ValueProblem> check(const QString &section, const QString &key, const QString &value, ValueForm form)
{
    ValueProblem problem{section, key, value, form, Misfit::Form, QString()};
    if (value.isNull()) {
        problem.misfit = Misfit::Missing;
        return problem;
    }
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < n && value.at(i + 1).isLowSurrogate();
        const QString ch = value.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        const char16_t u = c.unicode();
        if (u == u'<' || u == u'>')
            problem.misfit = Misfit::FrameCharacter;
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            problem.misfit = Misfit::ControlCharacter;
        else if (!Cp1252::canEncode(ch))
            problem.misfit = Misfit::NoWindows1252;
        else
            continue;
        problem.character = ch;
        return problem;
    }
    if (fitsForm(value, form))
        return std::nullopt;
    return problem;
}

std::optional<ValueProblem> doubt(const QString &section, const QString &key, const QString &value, ValueForm form)
{
    // A value that does not fit is refused, not doubted.
    if (form != ValueForm::TwoCharacters || check(section, key, value, form) || (value.size() == 2 && isDigit(value.at(0)) && isDigit(value.at(1))))
        return std::nullopt;
    return ValueProblem{section, key, value, form, Misfit::NotTwoDigits, QString()};
}

int interfaceIndex(const QString &value)
{
    const QString digits = value.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return -1;
    for (QChar c : digits) {
        if (!isDigit(c))
            return -1;
    }
    return digits.toInt();
}

QString heldForm(RecordKind kind, const QString &key, const QString &value)
{
    const Field *f = field(kind, key);
    if (value.isNull() || !f)
        return value;
    return receivedForm(*f, sentForm(*f, value));
}

} // namespace ConfigLayout

QByteArray DefaultIniContent()
{
    using namespace ConfigLayout;
    static const QByteArray content = [] {
        QByteArray out;
        out.reserve(20000);
        const auto record = [&out](const RecordId &id, int points) {
            out += Cp1252::encode(QLatin1Char('[') + section(id) + QStringLiteral("]\r\n"));
            for (const QString &key : keys(id.kind, points))
                out += Cp1252::encode(key + u'=' + fileDefault(id, key) + QStringLiteral("\r\n"));
        };
        out += QByteArray("[") + LanguageSection + "]\r\n" + LanguageKey + "=" + LanguageInitial + "\r\n";
        for (int a = 0; a < FileAddresses; ++a)
            record({RecordKind::Points, a}, 10);
        for (int m = 1; m <= MaxProducts; ++m)
            record({RecordKind::Product, m}, 0);
        record({RecordKind::Printer, 0}, 0);
        record({RecordKind::Interface, 0}, 0);
        return out;
    }();
    return content;
}
