#include "core/IniFile.h"

#include "core/ConfigLayout.h"
#include "core/Cp1252.h"
#include "core/ProfileFile.h"
#include "core/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype MaxValueLength = 2047;

// How the text of a file is stored, told by its byte-order mark as Windows'
// profile functions tell it. Without a mark the file is Windows-1252, unless
// it is valid UTF-8 with characters beyond ASCII, as a Linux editor saves it.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

bool isUtf8BeyondAscii(const QByteArray &content)
{
    const bool beyondAscii = std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; });
    return beyondAscii && QString::fromUtf8(content).toUtf8() == content;
}

Encoding encodingOf(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF") || isUtf8BeyondAscii(content))
        return Encoding::Utf8;
    if (content.startsWith("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (content.startsWith("\xFE\xFF"))
        return Encoding::Utf16Be;
    return Encoding::Ansi;
}

bool isUtf16(Encoding e)
{
    return e == Encoding::Utf16Le || e == Encoding::Utf16Be;
}

// The profile rules work on single bytes or UTF-8; UTF-16 text is handed to
// them as UTF-8 with its mark. `exact` tells whether the way back gives the
// same bytes (an odd byte count or a lone surrogate would not).
QByteArray utf16AsUtf8(const QByteArray &content, bool big, bool *exact)
{
    const qsizetype units = (content.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    if (big)
        qFromBigEndian<char16_t>(content.constData() + 2, units, text.data());
    else
        qFromLittleEndian<char16_t>(content.constData() + 2, units, text.data());
    const QByteArray utf8 = text.toUtf8();
    if (exact)
        *exact = content.size() % 2 == 0 && QString::fromUtf8(utf8) == text;
    return QByteArray("\xEF\xBB\xBF") + utf8;
}

QByteArray utf8AsUtf16(const QByteArray &utf8WithBom, bool big)
{
    const QString text = QString::fromUtf8(utf8WithBom.mid(3));
    QByteArray out(2 + text.size() * 2, Qt::Uninitialized);
    out[0] = big ? '\xFE' : '\xFF';
    out[1] = big ? '\xFF' : '\xFE';
    if (big)
        qToBigEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data() + 2);
    return out;
}

QByteArray encodedName(const QString &path)
{
    return EncodeFileName(path);
}

[[noreturn]] void unreadable(const QString &fileName, const QString &de, const QString &en,
                             IniError::Reason reason, int error)
{
    throw IniError(QStringLiteral("%1 kann nicht gelesen werden: %2\n%1 cannot be read: %3")
                       .arg(fileName, de, en),
                   reason, error);
}

[[noreturn]] void unreadable(const QString &fileName, int error)
{
    unreadable(fileName, ReasonText(error, 0), ReasonText(error, 1), IniError::Reason::SystemError, error);
}

[[noreturn]] void notRegular(const QString &fileName, const struct stat &st)
{
    unreadable(fileName, QStringLiteral("keine gewöhnliche Datei"), QStringLiteral("not a regular file"),
               S_ISDIR(st.st_mode) ? IniError::Reason::IsFolder : IniError::Reason::NotRegularFile, 0);
}

// The first character of `text` that the file's text cannot hold, or an
// empty string. Unicode files hold everything but a lone surrogate.
QString unstorableCharacter(const QString &text, bool unicode)
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
        if (unicode ? (!pair && c.isSurrogate()) : !Cp1252::canEncode(ch))
            return ch;
    }
    return {};
}

void checkStorable(const QString &fileName, bool unicode, std::initializer_list<const QString *> texts)
{
    for (const QString *text : texts) {
        const QString ch = unstorableCharacter(*text, unicode);
        if (ch.isEmpty())
            continue;
        const char32_t cp = ch.size() == 2 ? QChar::surrogateToUcs4(ch.at(0), ch.at(1)) : ch.at(0).unicode();
        const QString code = QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
        throw IniError(QStringLiteral("Das Zeichen „%1“ (%2) kann in %3 nicht gespeichert werden.\n"
                                      "The character „%1“ (%2) cannot be stored in %3.")
                           .arg(ch, code, fileName));
    }
}

QByteArray encodeFor(const QString &text, bool unicode)
{
    return unicode ? text.toUtf8() : Cp1252::encode(text);
}

} // namespace

std::optional<QByteArray> ReadIniFile(const QString &fileName)
{
    const QByteArray name = encodedName(fileName);
    struct stat st {};
    // Looked at before opening: opening a device can already act on it.
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt;
        unreadable(fileName, error);
    }
    if (!S_ISREG(st.st_mode))
        notRegular(fileName, st);
    // Non-blocking: a FIFO put in its place meanwhile cannot hang the program.
    FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        unreadable(fileName, error);
    }
    if (::fstat(fd.get(), &st) != 0)
        unreadable(fileName, errno);
    if (!S_ISREG(st.st_mode))
        notRegular(fileName, st);
    QByteArray content;
    if (!ReadAllFrom(fd.get(), content))
        unreadable(fileName, errno);
    return content;
}

QString ReadIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &def)
{
    return IniValueIn(ReadIniFile(fileName), section, key, def);
}

QString IniValueIn(const std::optional<QByteArray> &content, const QString &section, const QString &key,
                   const QString &def)
{
    if (!content)
        return def;
    const Encoding encoding = encodingOf(*content);

    if (encoding != Encoding::Ansi) {
        const QByteArray text = isUtf16(encoding)
                                    ? utf16AsUtf8(*content, encoding == Encoding::Utf16Be, nullptr)
                                    : *content;
        const auto value = ProfileFile::readValue(text, section.toUtf8(), key.toUtf8());
        if (!value)
            return def;
        QString result = QString::fromUtf8(*value);
        if (result.size() > MaxValueLength)
            result.truncate(result.at(MaxValueLength - 1).isHighSurrogate() ? MaxValueLength - 1 : MaxValueLength);
        return result;
    }

    // A name Windows-1252 cannot hold is in no such file; encoding it
    // with '?' could match a different name.
    bool sectionOk = false;
    bool keyOk = false;
    const QByteArray s = Cp1252::encode(section, &sectionOk);
    const QByteArray k = Cp1252::encode(key, &keyOk);
    if (!sectionOk || !keyOk)
        return def;
    const auto value = ProfileFile::readValue(*content, s, k);
    return value ? Cp1252::decode(*value) : def;
}

void WriteIniValue(const QString &fileName, const QString &section, const QString &key,
                   const QString &value)
{
    WriteIniValues(fileName, section, {{key, value}});
}

void WriteIniValues(const QString &fileName, const QString &section, const IniValues &values)
{
    WriteIniRecords(fileName, {{section, values}});
}

void WriteIniRecords(const QString &fileName, const IniRecords &records)
{
    const QByteArray content = ReadReplaceable(fileName).value_or(QByteArray());
    const Encoding encoding = encodingOf(content);
    const bool unicode = encoding != Encoding::Ansi;
    for (const auto &[section, values] : records) {
        for (const auto &[key, value] : values)
            checkStorable(fileName, unicode, {&section, &key, &value});
    }

    QByteArray updated;
    if (isUtf16(encoding)) {
        const bool big = encoding == Encoding::Utf16Be;
        bool exact = false;
        QByteArray text = utf16AsUtf8(content, big, &exact);
        // Rewriting would change bytes that are not ours to change.
        if (!exact)
            throw IniError(QStringLiteral("%1 ist kein gültiger UTF-16-Text und wird nicht verändert.\n"
                                          "%1 is not valid UTF-16 text and is left unchanged.")
                               .arg(fileName));
        for (const auto &[section, values] : records) {
            for (const auto &[key, value] : values)
                text = ProfileFile::writeValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8());
        }
        updated = utf8AsUtf16(text, big);
    } else {
        updated = content;
        for (const auto &[section, values] : records) {
            const QByteArray s = encodeFor(section, unicode);
            for (const auto &[key, value] : values)
                updated = ProfileFile::writeValue(updated, s, encodeFor(key, unicode), encodeFor(value, unicode));
        }
        // Windows-1252 bytes such as "Ö€" (D6 80) can form valid UTF-8, which
        // the next read would take for UTF-8 and so change every value beyond
        // ASCII. Such a file is written as the UTF-8 it would be read as;
        // every character survives, since each byte has its character.
        if (!unicode && isUtf8BeyondAscii(updated))
            updated = Cp1252::decode(updated).toUtf8();
    }
    ReplaceFile(fileName, updated);
}

bool CreateDefaultIniFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.exists() || info.isSymLink())
        return false;
    ReplaceFile(fileName, DefaultIniContent());
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
        if (!exeFolder.isEmpty() && !installed && IsWritable(exeFolder))
            return exeFolder.endsWith(QLatin1Char('/')) ? exeFolder : exeFolder + QLatin1Char('/');
    }
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QStringLiteral("/velmora");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

