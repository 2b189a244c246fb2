#include "core/ConfigLayout.h"

#include "core/Cp1252.h"
#include "core/TextTrim.h"

namespace {

// Sections QVR0 .. QVR36 are in a new file, more than any firmware reads.
constexpr int FileAddresses = 37;

const char *const InterfaceKeys[4] = {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool fitsForm(const QString &value, ValueForm form)
{
    switch (form) {
    case ValueForm::TwoCharacters:
        return value.size() == 2;
    case ValueForm::Name:
        return value.size() <= 10;
    case ValueForm::Header:
        return value.size() <= 40;
    case ValueForm::PrinterModel:
        return (value.size() == 1 || value.size() == 2) && isDigit(value.at(0)) && isDigit(value.back())
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

// The point number at the end of a points record's key.
int pointOf(const QString &key)
{
    qsizetype i = key.size();
    while (i > 0 && isDigit(key.at(i - 1)))
        --i;
    return key.mid(i).toInt();
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
    switch (record.kind) {
    case RecordKind::Points:
        return QStringLiteral("QVR") + QString::number(record.number);
    case RecordKind::Product:
        return QStringLiteral("PRODUKT") + QString::number(record.number);
    case RecordKind::Printer:
        return QStringLiteral("PRINTER");
    case RecordKind::Interface:
        return QStringLiteral("INTERFACE");
    }
    return QString();
}

std::optional<RecordId> recordOfSection(const QString &name)
{
    for (const RecordId &record : records(largestLayout())) {
        if (section(record).compare(name, Qt::CaseInsensitive) == 0)
            return record;
    }
    return std::nullopt;
}

QString pointKey(int point, bool edv)
{
    return (edv ? QStringLiteral("EDV") : QStringLiteral("Qualitaet")) + QString::number(point);
}

QString productQualityKey()
{
    return QStringLiteral("Qualitaet");
}

QString productNameKey()
{
    return QStringLiteral("Name");
}

QString printerModelKey()
{
    return QStringLiteral("Modell");
}

QString printerHeaderKey()
{
    return QStringLiteral("Head");
}

QStringList keys(RecordKind kind, int points)
{
    QStringList out;
    switch (kind) {
    case RecordKind::Points:
        for (int k = 1; k <= points; ++k)
            out << pointKey(k, false);
        for (int k = 1; k <= points; ++k)
            out << pointKey(k, true);
        break;
    case RecordKind::Product:
        out << productQualityKey() << productNameKey();
        break;
    case RecordKind::Printer:
        out << printerModelKey() << printerHeaderKey();
        break;
    case RecordKind::Interface:
        for (const char *key : InterfaceKeys)
            out << QLatin1String(key);
        break;
    }
    return out;
}

QString fileDefault(const RecordId &record, const QString &key)
{
    switch (record.kind) {
    case RecordKind::Points:
        // Point k holds k in a new file.
        return TwoDigits(pointOf(key));
    case RecordKind::Product:
        return key == productNameKey()
                   ? QStringLiteral("Produkt ") + QString::number(record.number).rightJustified(2, u' ')
                   : TwoDigits(record.number);
    case RecordKind::Printer:
        return key == printerModelKey() ? QStringLiteral("00") : QStringLiteral("Deutsche Brantel");
    case RecordKind::Interface:
        return QStringLiteral("3");
    }
    return QString();
}

QString shownDefault(const RecordId &record, const QString &key)
{
    if (record.kind == RecordKind::Product && key == productNameKey())
        return QStringLiteral("Produkt ") + QString::number(record.number);
    return fileDefault(record, key);
}

ValueForm formOf(RecordKind kind, const QString &key)
{
    switch (kind) {
    case RecordKind::Points:
        return ValueForm::TwoCharacters;
    case RecordKind::Product:
        return key == productNameKey() ? ValueForm::Name : ValueForm::TwoCharacters;
    case RecordKind::Printer:
        return key == printerModelKey() ? ValueForm::PrinterModel : ValueForm::Header;
    case RecordKind::Interface:
        return ValueForm::InterfaceIndex;
    }
    return ValueForm::TwoCharacters;
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
    if (value.isNull())
        return value;
    switch (kind) {
    case RecordKind::Product:
        return key == productNameKey() ? value.rightJustified(10, u' ') : value;
    case RecordKind::Printer:
        return key == printerModelKey() ? value.rightJustified(2, u'0') : TrimControl(value);
    case RecordKind::Interface: {
        const int index = interfaceIndex(value);
        return index >= 0 ? QString::number(index) : value;
    }
    case RecordKind::Points:
        break;
    }
    return value;
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
        out += "[Speech]\r\nSpeech=0\r\n";
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
