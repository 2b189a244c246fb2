#include "cli/CliFiles.h"

#include "core/IniFile.h"
#include "cli/CliError.h"
#include "cli/CliTransfer.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

namespace CliFiles {

QString refusalText(const QString &path, const IniError &error)
{
    using Reason = IniError::Reason;
    const QString cannotWrite = QStringLiteral("cannot write %1: ").arg(path);
    switch (error.reason()) {
    case Reason::IsFolder:
        return QStringLiteral("%1: is a folder, not a configuration file").arg(path);
    case Reason::NotRegularFile:
        return QStringLiteral("%1: is not a regular file").arg(path);
    case Reason::ReadOnlyFile:
        return cannotWrite + (error.systemError() ? systemReason(error.systemError())
                                                  : QStringLiteral("the file is read-only"));
    case Reason::NoFolder:
        return cannotWrite + QStringLiteral("the folder %1 does not exist").arg(error.folder());
    case Reason::NotAFolder:
        return cannotWrite + QStringLiteral("%1 is not a folder").arg(error.folder());
    case Reason::ReadOnlyFolder:
        return cannotWrite + QStringLiteral("the folder %1 is not writable").arg(error.folder());
    case Reason::NameTooLong:
        return cannotWrite + QStringLiteral("the name is too long");
    case Reason::SystemError:
        return cannotWrite + systemReason(error.systemError());
    case Reason::UntrustedLink:
    case Reason::DanglingLink:
    case Reason::UnstorableCharacter:
    case Reason::InvalidUtf16:
    case Reason::HeldInMemory:
    case Reason::Other:
        break;
    }
    return EnglishErrorLine(error);
}

std::optional<QByteArray> readProfile(const QString &path)
{
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            throw CliError(QStringLiteral("%1: is a link to a file that does not exist").arg(path));
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt;
        throw CliError(QStringLiteral("%1: cannot be read: %2").arg(path, systemReason(error)));
    }
    if (S_ISDIR(st.st_mode))
        throw CliError(QStringLiteral("%1: is a folder, not a configuration file").arg(path));
    // A FIFO or a device would block or never end.
    if (!S_ISREG(st.st_mode))
        throw CliError(QStringLiteral("%1: is not a regular file").arg(path));
    if (st.st_size > MaxProfileSize)
        throw CliError(QStringLiteral("%1: is not a configuration file (larger than %2 KiB)")
                           .arg(path).arg(MaxProfileSize / 1024));
    std::optional<QByteArray> read;
    try {
        read = ReadIniFile(path);
    } catch (const IniError &error) {
        throw CliError(error.systemError() ? QStringLiteral("%1: cannot be read: %2").arg(path, systemReason(error.systemError()))
                                           : EnglishErrorLine(error));
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
    } catch (const IniError &error) {
        throw CliError(refusalText(path, error));
    }
}

void replace(const QString &path, const QByteArray &content)
{
    try {
        ReplaceFile(path, content);
    } catch (const IniError &error) {
        throw CliError(refusalText(path, error));
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
