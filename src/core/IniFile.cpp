#include "core/IniFile.h"

#include "core/ConfigLayout.h"
#include "core/Cp1252.h"
#include "core/ProfileFile.h"
#include "core/TextEncoding.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype MaxValueLength = 2047;

QByteArray encodedName(const QString &path)
{
    return EncodeFileName(path);
}

[[noreturn]] void unreadable(const QString &fileName, int error)
{
    throw FileError(FileError::Action::Read, fileName, FileError::Reason::SystemError, error);
}

[[noreturn]] void notRegular(const QString &fileName, const struct stat &st)
{
    throw FileError(FileError::Action::Read, fileName,
                   S_ISDIR(st.st_mode) ? FileError::Reason::IsFolder : FileError::Reason::NotRegularFile);
}

void checkStorable(const QString &fileName, bool unicode, std::initializer_list<const QString *> texts)
{
    for (const QString *text : texts) {
        const QString ch = UnstorableCharacter(*text, unicode);
        if (ch.isEmpty())
            continue;
        throw FileError(FileError::Action::Write, fileName, FileError::Reason::UnstorableCharacter, 0, ch);
    }
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
    const TextEncoding encoding = EncodingOf(*content);

    if (encoding != TextEncoding::Ansi) {
        const QByteArray text = IsUtf16(encoding)
                                    ? Utf16AsUtf8(*content, encoding == TextEncoding::Utf16Be, nullptr)
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
    const TextEncoding encoding = EncodingOf(content);
    const bool unicode = encoding != TextEncoding::Ansi;
    for (const auto &[section, values] : records) {
        for (const auto &[key, value] : values)
            checkStorable(fileName, unicode, {&section, &key, &value});
    }

    QByteArray updated;
    if (IsUtf16(encoding)) {
        const bool big = encoding == TextEncoding::Utf16Be;
        bool exact = false;
        QByteArray text = Utf16AsUtf8(content, big, &exact);
        // Rewriting would change bytes that are not ours to change.
        if (!exact)
            throw FileError(FileError::Action::Write, fileName, FileError::Reason::InvalidUtf16);
        for (const auto &[section, values] : records) {
            for (const auto &[key, value] : values)
                text = ProfileFile::writeValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8());
        }
        updated = Utf8AsUtf16(text, big);
    } else {
        updated = content;
        for (const auto &[section, values] : records) {
            const QByteArray s = EncodeFor(section, unicode);
            for (const auto &[key, value] : values)
                updated = ProfileFile::writeValue(updated, s, EncodeFor(key, unicode), EncodeFor(value, unicode));
        }
        // Windows-1252 bytes such as "Ö€" (D6 80) can form valid UTF-8, which
        // the next read would take for UTF-8 and so change every value beyond
        // ASCII. The file stays Windows-1252 for the Windows program, which
        // reads it so, and says so in [SOURCE], which that program ignores.
        // A mark already there is left as spelled.
        if (!unicode && EncodingOf(updated) != TextEncoding::Ansi) {
            updated = ProfileFile::writeValue(updated, ConfigLayout::SourceSection, ConfigLayout::SourceEncodingKey,
                                              ConfigLayout::Windows1252Name);
        }
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
