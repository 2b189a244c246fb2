#include "core/SafeFile.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxLinkHops = 40;

// The temporary copies' names: hidden, with a mark no user gives a file, and
// short enough for the longest name the target itself may have.
constexpr char TemporaryMark[] = ".velmora-temp-";
constexpr int TemporaryRandomLength = 6;

// Path arithmetic on the text itself: Qt's file-info classes pass a name
// through a codec that loses the bytes of a name that is not UTF-8.
QString absolute(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray cwd(PATH_MAX, '\0');
    if (!::getcwd(cwd.data(), size_t(cwd.size())))
        return QDir::cleanPath(path);
    return QDir::cleanPath(DecodeFileName(QByteArray(cwd.constData())) + u'/' + path);
}

QString folderOf(const QString &absolutePath)
{
    const qsizetype slash = absolutePath.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : absolutePath.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QByteArray temporaryPrefix(const QByteArray &targetName)
{
    const qsizetype room = NAME_MAX - 1 - qsizetype(sizeof TemporaryMark - 1) - TemporaryRandomLength;
    return '.' + targetName.left(room) + TemporaryMark;
}

bool isRandomPart(const char *begin, const char *end)
{
    return std::all_of(begin, end, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

[[noreturn]] void refuse(const QString &fileName, FileError::Reason reason, int error = 0,
                         const QString &folder = QString())
{
    throw FileError(FileError::Action::Write, fileName, reason, error, folder);
}

[[noreturn]] void untrustedLink(const QString &fileName)
{
    refuse(fileName, FileError::Reason::UntrustedLink);
}

[[noreturn]] void danglingLink(const QString &fileName)
{
    refuse(fileName, FileError::Reason::DanglingLink);
}

// The kernel's rule for links that others could have planted, made strict:
// the link is this user's own and no one else may write its folder.
bool trustedLink(const QString &link, const struct stat &linkStat)
{
    if (linkStat.st_uid != ::geteuid())
        return false;
    struct stat folder {};
    if (::stat(EncodeFileName(folderOf(link)).constData(), &folder) != 0)
        return false;
    return (folder.st_uid == ::geteuid() || folder.st_uid == 0) && !(folder.st_mode & (S_IWGRP | S_IWOTH));
}

// The path that a write of `fileName` replaces: the name itself, or the end
// of its chain of trusted links. Throws for an untrusted or dangling link.
QString writeTarget(const QString &fileName)
{
    QString path = absolute(fileName);
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(EncodeFileName(path).constData(), &st) != 0) {
            if (hops > 0 && (errno == ENOENT || errno == ENOTDIR))
                danglingLink(fileName);
            return path;
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        if (hops >= MaxLinkHops || !trustedLink(path, st))
            untrustedLink(fileName);
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(EncodeFileName(path).constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            untrustedLink(fileName);
        target.truncate(n);
        QString next = DecodeFileName(target);
        if (!next.startsWith(u'/'))
            next = folderOf(path) + u'/' + next;
        // Links in the folder part are resolved as the system resolves them.
        next = QDir::cleanPath(next);
        QByteArray folder(PATH_MAX, Qt::Uninitialized);
        if (!::realpath(EncodeFileName(folderOf(next)).constData(), folder.data()))
            danglingLink(fileName);
        const QString resolved = DecodeFileName(QByteArray(folder.constData()));
        path = (resolved == QLatin1String("/") ? resolved : resolved + u'/') + nameOf(next);
    }
}

// The umask, which a new file's mode honours.
mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A new file beside `target` under the temporary copies' name, already with
// the old file's owner, group and mode (`old`, when there was one), so that
// it never stands with looser permissions than the file it replaces.
struct Temporary
{
    QByteArray folder;
    QByteArray name;
    int fd = -1;
};

Temporary createTemporary(const QString &fileName, const QString &target, const struct stat *old)
{
    Temporary temporary;
    temporary.folder = EncodeFileName(folderOf(target));
    temporary.name = temporary.folder + '/' + TemporaryNameTemplate(EncodeFileName(nameOf(target)));
    temporary.fd = ::mkostemp(temporary.name.data(), O_CLOEXEC);
    if (temporary.fd < 0)
        refuse(fileName, FileError::Reason::SystemError, errno);
    const auto fail = [&](int error) {
        ::close(temporary.fd);
        ::unlink(temporary.name.constData());
        refuse(fileName, FileError::Reason::SystemError, error);
    };
    if (old) {
        // Only root can give a file away; anyone else keeps at least the group.
        // Keeping the group is best effort: a file of another group is still
        // replaced, as the user's own.
        if (::fchown(temporary.fd, old->st_uid, old->st_gid) != 0
            && ::fchown(temporary.fd, uid_t(-1), old->st_gid) != 0) {
        }
        if (::fchmod(temporary.fd, old->st_mode & 07777) != 0)
            fail(errno);
    } else if (::fchmod(temporary.fd, 0666 & ~currentUmask()) != 0) {
        fail(errno);
    }
    return temporary;
}

// Renames the temporary file over `target` and syncs the folder, so that the
// rename itself reaches the disk.
void publish(const QString &fileName, const Temporary &temporary, const QString &target)
{
    if (::rename(temporary.name.constData(), EncodeFileName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.name.constData());
        refuse(fileName, FileError::Reason::SystemError, error);
    }
    FileDescriptor folder(::open(temporary.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());
}

// Writes `content` to a temporary file beside `target` and renames it over
// `target`. A kill before the rename leaves the old file and a temporary
// copy, which the next start removes.
void replaceAtomically(const QString &fileName, const QString &target, const QByteArray &content,
                       const struct stat *old)
{
    const Temporary temporary = createTemporary(fileName, target, old);
    FileDescriptor fd(temporary.fd);
    const auto fail = [&](int error) {
        ::unlink(temporary.name.constData());
        refuse(fileName, FileError::Reason::SystemError, error);
    };
    for (qsizetype done = 0; done < content.size();) {
        const ssize_t n = ::write(fd.get(), content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd.get()) != 0)
        fail(errno);
    if (!fd.close())
        fail(errno);
    publish(fileName, temporary, target);
}

} // namespace

bool IsWritable(const QString &path)
{
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    return ::access(name.constData(), W_OK) == 0 && ::stat(name.constData(), &st) == 0
           && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

bool ReadAllFrom(int fd, QByteArray &content)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        content.append(buffer, n);
    }
}

QString CheckReplaceable(const QString &fileName)
{
    using Reason = FileError::Reason;
    const QString target = writeTarget(fileName);
    const QByteArray name = EncodeFileName(target);
    if (EncodeFileName(nameOf(target)).size() > NAME_MAX || name.size() >= PATH_MAX)
        refuse(fileName, Reason::NameTooLong, ENAMETOOLONG);
    const QString folder = folderOf(target);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            refuse(fileName, Reason::IsFolder);
        if (!S_ISREG(st.st_mode))
            refuse(fileName, Reason::NotRegularFile);
        if (!IsWritable(target))
            refuse(fileName, Reason::ReadOnlyFile, ::access(name.constData(), W_OK) == 0 ? 0 : errno);
    } else if (errno == ENOTDIR) {
        refuse(fileName, Reason::NotAFolder, ENOTDIR, folder);
    } else if (errno == ENAMETOOLONG) {
        refuse(fileName, Reason::NameTooLong, ENAMETOOLONG);
    } else if (errno != ENOENT) {
        refuse(fileName, Reason::SystemError, errno);
    }
    struct stat folderStat {};
    if (::stat(EncodeFileName(folder).constData(), &folderStat) != 0)
        refuse(fileName, errno == ENOENT ? Reason::NoFolder : Reason::SystemError, errno, folder);
    if (!S_ISDIR(folderStat.st_mode))
        refuse(fileName, Reason::NotAFolder, ENOTDIR, folder);
    // The file is replaced by a rename, so its folder must take a new file.
    if (!IsWritable(folder))
        refuse(fileName, Reason::ReadOnlyFolder, 0, folder);
    return target;
}

std::optional<QByteArray> ReadReplaceable(const QString &fileName)
{
    const QString target = CheckReplaceable(fileName);
    FileDescriptor fd(::open(EncodeFileName(target).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        refuse(fileName, FileError::Reason::SystemError, errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        refuse(fileName, FileError::Reason::SystemError, errno);
    if (!S_ISREG(st.st_mode))
        refuse(fileName, FileError::Reason::NotRegularFile);
    QByteArray content;
    if (!ReadAllFrom(fd.get(), content))
        refuse(fileName, FileError::Reason::SystemError, errno);
    return content;
}

void ReplaceFile(const QString &fileName, const QByteArray &content)
{
    const QString target = CheckReplaceable(fileName);
    struct stat st {};
    const bool exists = ::lstat(EncodeFileName(target).constData(), &st) == 0;
    replaceAtomically(fileName, target, content, exists ? &st : nullptr);
}

int ReplaceWithEmptyFile(const QString &fileName)
{
    const QString target = CheckReplaceable(fileName);
    struct stat st {};
    const bool exists = ::lstat(EncodeFileName(target).constData(), &st) == 0;
    const Temporary temporary = createTemporary(fileName, target, exists ? &st : nullptr);
    try {
        publish(fileName, temporary, target);
    } catch (...) {
        ::close(temporary.fd);
        throw;
    }
    return temporary.fd;
}

QByteArray TemporaryNameTemplate(const QByteArray &name)
{
    return temporaryPrefix(name) + QByteArray(TemporaryRandomLength, 'X');
}

bool IsTemporaryNameOf(const QByteArray &entry, const QByteArray &name)
{
    const QByteArray prefix = temporaryPrefix(name);
    return entry.size() == prefix.size() + TemporaryRandomLength && entry.startsWith(prefix)
           && isRandomPart(entry.cend() - TemporaryRandomLength, entry.cend());
}

int RemoveStaleTemporaryFiles(const QString &fileName)
{
    QStringList places{absolute(fileName)};
    try {
        const QString target = writeTarget(fileName);
        if (!places.contains(target))
            places << target;
    } catch (const FileError &) {
        // A link the program never writes through has no copies of ours.
    }
    int removed = 0;
    for (const QString &place : places) {
        const QByteArray folder = EncodeFileName(folderOf(place));
        const QByteArray target = EncodeFileName(nameOf(place));
        DIR *dir = ::opendir(folder.constData());
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (!IsTemporaryNameOf(name, target))
                continue;
            const QByteArray path = folder + '/' + name;
            struct stat st {};
            if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
                && ::unlink(path.constData()) == 0)
                ++removed;
        }
        ::closedir(dir);
    }
    return removed;
}
