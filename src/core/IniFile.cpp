#include "core/IniFile.h"

#include "core/Cp1252.h"
#include "core/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

IniError::IniError(const QString &text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

namespace {

constexpr qsizetype MaxValueLength = 2047;

bool startsWithBom(const QByteArray &content)
{
    return content.startsWith("\xEF\xBB\xBF");
}

[[noreturn]] void refuse(const QString &fileName)
{
    throw IniError(QStringLiteral("In ") + fileName + QStringLiteral(" kann nicht geschrieben werden"));
}

// Writable for this process and not write-protected. The write bits count
// even for root: a read-only working file stays read-only for an
// administrator too.
bool writable(const QString &path)
{
    constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0
           && (QFileInfo(path).permissions() & writeBits);
}

// The first character of `text` that the file's text cannot hold, or an
// empty string. UTF-8 holds everything but a lone surrogate.
QString unstorableCharacter(const QString &text, bool utf8)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80)
            continue;
        const bool pair = c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
        const QString ch = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        if (utf8 ? (!pair && c.isSurrogate()) : !Cp1252::canEncode(ch))
            return ch;
    }
    return {};
}

void checkStorable(const QString &fileName, bool utf8, std::initializer_list<const QString *> texts)
{
    for (const QString *text : texts) {
        const QString ch = unstorableCharacter(*text, utf8);
        if (ch.isEmpty())
            continue;
        const char32_t cp = ch.size() == 2 ? QChar::surrogateToUcs4(ch.at(0), ch.at(1)) : ch.at(0).unicode();
        const QString code = QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
        throw IniError(QStringLiteral("Das Zeichen „%1“ (%2) kann in %3 nicht gespeichert werden.\n"
                                      "The character „%1“ (%2) cannot be stored in %3.")
                           .arg(ch, code, fileName));
    }
}

QByteArray encodeFor(const QString &text, bool utf8)
{
    return utf8 ? text.toUtf8() : Cp1252::encode(text);
}

// The bytes of an existing file that is to be changed; false when there is
// no file. A file that cannot be read is never replaced.
bool loadForWrite(const QString &fileName, QByteArray &content)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return false;
    if (!info.isFile() || !writable(fileName))
        refuse(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        refuse(fileName);
    content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        refuse(fileName);
    return true;
}

// Replaces the file as a whole: a temporary file in the same folder, synced,
// then renamed over the old one, so that a crash leaves either the old or the
// new file. QSaveFile gives the new file the old one's permissions.
void store(const QString &fileName, const QByteArray &content)
{
    if (!writable(QFileInfo(fileName).absolutePath()))
        refuse(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || file.write(content) != content.size() || !file.commit())
        refuse(fileName);
}

} // namespace

QString ReadIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &def)
{
    try {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return def;
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return def;

        if (startsWithBom(content)) {
            const auto value = ProfileFile::readValue(content, section.toUtf8(), key.toUtf8());
            if (!value)
                return def;
            QString text = QString::fromUtf8(*value);
            if (text.size() > MaxValueLength)
                text.truncate(text.at(MaxValueLength - 1).isHighSurrogate() ? MaxValueLength - 1 : MaxValueLength);
            return text;
        }

        // A name Windows-1252 cannot hold is in no such file; encoding it
        // with '?' could match a different name.
        bool sectionOk = false;
        bool keyOk = false;
        const QByteArray s = Cp1252::encode(section, &sectionOk);
        const QByteArray k = Cp1252::encode(key, &keyOk);
        if (!sectionOk || !keyOk)
            return def;
        const auto value = ProfileFile::readValue(content, s, k);
        return value ? Cp1252::decode(*value) : def;
    } catch (...) {
        return def;
    }
}

void WriteIniValue(const QString &fileName, const QString &section, const QString &key,
                   const QString &value)
{
    QByteArray content;
    loadForWrite(fileName, content);
    const bool utf8 = startsWithBom(content);
    checkStorable(fileName, utf8, {&section, &key, &value});
    store(fileName, ProfileFile::writeValue(content, encodeFor(section, utf8), encodeFor(key, utf8),
                                            encodeFor(value, utf8)));
}

QByteArray DefaultIniContent()
{
    static const QByteArray content = [] {
        QByteArray out;
        out.reserve(20000);
        const auto section = [&out](const QByteArray &name) { out += '[' + name + "]\r\n"; };
        const auto entry = [&out](const QByteArray &key, const QByteArray &value) {
            out += key + '=' + value + "\r\n";
        };
        const auto num = [](int n) { return QByteArray::number(n); };
        const auto twoDigits = [](int n) { return QByteArray::number(n).rightJustified(2, '0'); };

        section("Speech");
        entry("Speech", "0");
        // The Qualitaet and EDV keys of an address share its section.
        for (int n = 0; n <= 36; ++n) {
            section("QVR" + num(n));
            for (int k = 1; k <= 10; ++k)
                entry("Qualitaet" + num(k), twoDigits(k));
            for (int k = 1; k <= 10; ++k)
                entry("EDV" + num(k), twoDigits(k));
        }
        for (int m = 1; m <= 20; ++m) {
            section("PRODUKT" + num(m));
            entry("Qualitaet", twoDigits(m));
            entry("Name", "Produkt " + num(m).rightJustified(2, ' '));
        }
        section("PRINTER");
        entry("Modell", "00");
        entry("Head", "Deutsche Brantel");
        section("INTERFACE");
        entry("BaudrateRS232", "3");
        entry("ParameterRS232", "3");
        entry("BaudrateRS485", "3");
        entry("ParameterRS485", "3");
        return out;
    }();
    return content;
}

bool CreateDefaultIniFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.exists() || info.isSymLink())
        return false;
    store(fileName, DefaultIniContent());
    return true;
}

QString ProgramFolder()
{
    if (QCoreApplication::instance()) {
        const QString exeFolder = QCoreApplication::applicationDirPath();
        // An installed program (under /usr, also when run by root) keeps its
        // file per user, never beside the system's executables.
        const bool installed = exeFolder.startsWith(QLatin1String("/usr/"))
                               || exeFolder == QLatin1String("/bin") || exeFolder == QLatin1String("/sbin");
        if (!exeFolder.isEmpty() && !installed && writable(exeFolder))
            return exeFolder.endsWith(QLatin1Char('/')) ? exeFolder : exeFolder + QLatin1Char('/');
    }
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QStringLiteral("/velmora");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

void WriteIniValues(const QString &fileName, const QString &section, const IniValues &values)
{
    QByteArray content;
    loadForWrite(fileName, content);
    const bool utf8 = startsWithBom(content);
    for (const auto &[key, value] : values)
        checkStorable(fileName, utf8, {&section, &key, &value});
    const QByteArray s = encodeFor(section, utf8);
    for (const auto &[key, value] : values)
        content = ProfileFile::writeValue(content, s, encodeFor(key, utf8), encodeFor(value, utf8));
    store(fileName, content);
}
