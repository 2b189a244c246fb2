#include "cli/Scratch.h"

#include "core/IniFile.h"
#include "core/SafeFile.h"
#include "texts/ErrorTexts.h"
#include "cli/CliError.h"
#include "cli/CliFiles.h"
#include "cli/CliTransfer.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Removes this user's regular files in the open folder `fd` (a working
// folder: its copies and their own temporary copies), then the folder
// `name` in `parent`, which goes only when nothing else was in it.
void removeFolder(int fd, int parent, const char *name)
{
    const int listing = ::dup(fd);
    if (DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr) {
        while (const dirent *entry = ::readdir(dir)) {
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
                && st.st_uid == ::geteuid())
                ::unlinkat(fd, entry->d_name, 0);
        }
        ::closedir(dir);
    } else if (listing >= 0) {
        ::close(listing);
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

// The working folders that commands killed before their end left beside the
// file named `name` in `folder`: this user's, by their exact name, and only
// those no running command holds locked.
void removeStaleFolders(const QByteArray &folder, const QByteArray &name)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int parent = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (!IsTemporaryNameOf(QByteArray(entry->d_name), name))
            continue;
        // A file of that name is a replace's copy: RemoveStaleTemporaryFiles' part.
        const int fd = ::openat(parent, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            removeFolder(fd, parent, entry->d_name);
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace

Scratch::Scratch(const QString &target, const QString &shownAs) : m_shownAs(shownAs)
{
    const QByteArray place = EncodeFileName(target);
    const QByteArray folder = folderOf(place);
    const auto fail = [&](int error) {
        if (!shownAs.isEmpty())
            throw CliError(EnglishFileErrorLine(
                FileError(FileError::Action::Write, shownAs, FileError::Reason::SystemError, error)));
        throw CliError(WorkingFolderErrorLine(DecodeFileName(folder), error, Language::English));
    };
    removeStaleFolders(folder, nameOf(place));
    // A command that sweeps between the folder's creation and its lock takes
    // it for a killed command's: then another is made.
    for (int attempt = 0; m_fd < 0; ++attempt) {
        QByteArray name = folder + '/' + TemporaryNameTemplate(nameOf(place));
        if (!::mkdtemp(name.data()))
            fail(errno);
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            ::rmdir(name.constData());
            fail(error);
        }
        // Where the system has no such locks (a network file system), the
        // folder goes unlocked: no command can lock it to remove it either.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 && opened.st_dev == named.st_dev
            && opened.st_ino == named.st_ino) {
            m_folder = name;
            m_fd = fd;
        } else {
            ::close(fd);
            if (attempt >= 10)
                fail(ENOENT);
        }
    }
}

Scratch::~Scratch()
{
    const int parent = ::open(folderOf(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent >= 0) {
        removeFolder(m_fd, parent, nameOf(m_folder).constData());
        ::close(parent);
    }
    ::close(m_fd);
}

QString Scratch::path(const char *name) const
{
    return DecodeFileName(m_folder + '/' + name);
}

QString Scratch::copy(const char *name, const QByteArray &content) const
{
    const QString file = path(name);
    try {
        ReplaceFile(file, content);
    } catch (const FileError &error) {
        throw CliError(EnglishFileErrorLine(error.shownAs(m_shownAs.isEmpty() ? file : m_shownAs)));
    }
    return file;
}

void Scratch::remove(const char *name) const
{
    ::unlinkat(m_fd, name, 0);
}

QByteArray Scratch::contents(const QString &file)
{
    std::optional<QByteArray> content;
    try {
        content = ReadIniFile(file);
    } catch (const FileError &error) {
        throw CliError(EnglishErrorLine(error));
    }
    if (!content)
        throw CliError(EnglishFileErrorLine(FileError(FileError::Action::Read, file, FileError::Reason::SystemError, ENOENT)));
    return *content;
}
