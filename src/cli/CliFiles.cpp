#include "cli/CliFiles.h"

#include "core/IniFile.h"
#include "cli/CliError.h"
#include "cli/CliTransfer.h"

#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace CliFiles {

std::optional<QByteArray> readProfile(const QString &path)
{
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            throw CliError(EnglishFileErrorLine(FileError(FileError::Action::Read, path, FileError::Reason::DanglingLink)));
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt;
        throw CliError(
            EnglishFileErrorLine(FileError(FileError::Action::Read, path, FileError::Reason::SystemError, error)));
    }
    if (S_ISDIR(st.st_mode))
        throw CliError(EnglishFileErrorLine(FileError(FileError::Action::Read, path, FileError::Reason::IsFolder)));
    // A FIFO or a device would block or never end.
    if (!S_ISREG(st.st_mode))
        throw CliError(EnglishFileErrorLine(FileError(FileError::Action::Read, path, FileError::Reason::NotRegularFile)));
    if (st.st_size > MaxProfileSize)
        throw CliError(QStringLiteral("%1: is not a configuration file (larger than %2 KiB)")
                           .arg(path).arg(MaxProfileSize / 1024));
    std::optional<QByteArray> read;
    try {
        read = ReadIniFile(path);
    } catch (const FileError &error) {
        throw CliError(EnglishFileErrorLine(error.shownAs(path)));
    }
    if (!read)
        return std::nullopt;
    const QByteArray &content = *read;
    if (content.size() > MaxProfileSize)
        throw CliError(QStringLiteral("%1: is not a configuration file (larger than %2 KiB)")
                           .arg(path).arg(MaxProfileSize / 1024));

    // The records are single-byte text: UTF-16 would be read as garbage and
    // rewritten half in another encoding.
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        throw CliError(QStringLiteral("%1: is UTF-16 text, not a configuration file "
                                      "(save it as UTF-8 or Windows-1252)").arg(path));
    // Tabs, line ends, form feeds and the old end-of-file mark are text. A
    // stray control character in a text is left to the value check, which
    // names its section and key; a file full of them is no text at all.
    qsizetype controls = 0;
    bool nul = false;
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != '\v'
            && byte != 0x1A) {
            ++controls;
            nul = nul || byte == 0;
        }
    }
    if (controls > 0 && controls * 32 > content.size())
        throw CliError(QStringLiteral("%1: is not a configuration file (binary content%2)")
                           .arg(path, nul ? QStringLiteral(", perhaps UTF-16") : QString()));
    return content;
}

QString checkReplaceable(const QString &path)
{
    try {
        return CheckReplaceable(path);
    } catch (const FileError &error) {
        throw CliError(EnglishFileErrorLine(error.shownAs(path)));
    }
}

void replace(const QString &path, const QByteArray &content)
{
    try {
        ReplaceFile(path, content);
    } catch (const FileError &error) {
        throw CliError(EnglishFileErrorLine(error.shownAs(path)));
    }
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(EncodeFileName(a).constData(), &sa) != 0 || ::stat(EncodeFileName(b).constData(), &sb) != 0)
        return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace CliFiles
