#include "cli/CliFiles.h"

#include "cli/CliError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// As the working-file rules: the write bits count even for root.
bool writable(const QString &path)
{
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    return ::access(name.constData(), W_OK) == 0 && ::stat(name.constData(), &st) == 0
           && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

// What a link names in the end, or the path itself; empty for a link to nothing.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    return info.canonicalFilePath();
}

} // namespace

namespace CliFiles {

std::optional<QByteArray> readProfile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        throw CliError(QStringLiteral("%1: is a link to a file that does not exist").arg(path));
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        throw CliError(QStringLiteral("%1: is a folder, not a configuration file").arg(path));
    // A FIFO or a device would block or never end.
    if (!info.isFile())
        throw CliError(QStringLiteral("%1: is not a regular file").arg(path));
    if (info.size() > MaxProfileSize)
        throw CliError(QStringLiteral("%1: is not a configuration file (larger than %2 KiB)")
                           .arg(path).arg(MaxProfileSize / 1024));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CliError(QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    const QByteArray content = file.read(MaxProfileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw CliError(QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    if (content.size() > MaxProfileSize)
        throw CliError(QStringLiteral("%1: is not a configuration file (larger than %2 KiB)")
                           .arg(path).arg(MaxProfileSize / 1024));

    // The records are single-byte text: UTF-16 would be read as garbage and
    // rewritten half in another encoding.
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        throw CliError(QStringLiteral("%1: is UTF-16 text, not a configuration file "
                                      "(save it as UTF-8 or Windows-1252)").arg(path));
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        // Tabs, line ends, form feeds and the old end-of-file mark are text.
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != '\v'
            && byte != 0x1A) {
            throw CliError(QStringLiteral("%1: is not a configuration file (binary content%2)")
                               .arg(path, byte == 0 ? QStringLiteral(", perhaps UTF-16") : QString()));
        }
    }
    return content;
}

void checkReplaceable(const QString &path)
{
    const QFileInfo link(path);
    const QString target = resolved(path);
    if (target.isEmpty())
        throw CliError(QStringLiteral("%1: is a link to a file that does not exist").arg(path));
    const QFileInfo info(target);
    if (info.exists()) {
        if (info.isDir())
            throw CliError(QStringLiteral("%1: is a folder, not a configuration file").arg(path));
        if (!info.isFile())
            throw CliError(QStringLiteral("%1: is not a regular file").arg(path));
        if (!writable(target))
            throw CliError(QStringLiteral("cannot write %1: %2")
                               .arg(path, ::access(QFile::encodeName(target).constData(), W_OK) == 0
                                              ? QStringLiteral("the file is read-only")
                                              : systemReason(errno)));
    }
    const QString folder = info.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists())
        throw CliError(QStringLiteral("cannot write %1: the folder %2 does not exist").arg(path, folder));
    if (!folderInfo.isDir())
        throw CliError(QStringLiteral("cannot write %1: %2 is not a folder").arg(path, folder));
    // The file is replaced by a rename, so its folder must take a new file.
    if (!writable(folder))
        throw CliError(QStringLiteral("cannot write %1: the folder %2 is not writable").arg(path, folder));
}

void replace(const QString &path, const QByteArray &content)
{
    checkReplaceable(path);
    const QString target = resolved(path);
    struct stat before;
    const bool existed = ::stat(QFile::encodeName(target).constData(), &before) == 0;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw CliError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    if (existed) {
        const QByteArray name = QFile::encodeName(target);
        struct stat after;
        if (::stat(name.constData(), &after) == 0) {
            // Only root can give the file back to its owner; others keep theirs.
            if (after.st_uid != before.st_uid || after.st_gid != before.st_gid) {
                [[maybe_unused]] const int ignored = ::chown(name.constData(), before.st_uid, before.st_gid);
            }
            if ((after.st_mode & 07777) != (before.st_mode & 07777))
                ::chmod(name.constData(), before.st_mode & 07777);
        }
    }
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace CliFiles
