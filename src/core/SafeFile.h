#pragma once
// Replacing a file safely, for every writer of the program (the working
// file, save-as, the command line's target, backup and log).

#include "core/FileError.h"
#include "core/FileName.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Writable for this process and not write-protected. The write bits count
// even for root: a read-only working file stays read-only for an
// administrator too.
bool IsWritable(const QString &path);

// An open descriptor, closed when it goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now and tells whether the close succeeded.
    bool close();

private:
    int m_fd;
};

// Reads everything from `fd` into `content`; false on a read error (errno set).
bool ReadAllFrom(int fd, QByteArray &content);

// Checks everything about replacing `fileName` that can be checked without
// writing, and returns the path that a replace writes: the name itself or
// the end of its chain of links. A link is written through only when it and
// every link after it is the user's own and lies in a folder nobody else may
// write; a link to nothing is never followed. The name must fit the system's
// limits, an existing file must be a writable regular file, and its folder
// must exist and be writable. Throws FileError naming the reason.
QString CheckReplaceable(const QString &fileName);

// The bytes of the file that replacing `fileName` would replace, nothing
// when there is none, after the checks of CheckReplaceable. Throws FileError.
std::optional<QByteArray> ReadReplaceable(const QString &fileName);

// Replaces `fileName` with `content`: a temporary file in the same folder,
// every write checked, synced, given the old file's owner, group and mode,
// renamed over it, the folder synced, so that a crash, a full disk or a kill
// leaves the old or the new file and never a part. Throws FileError when
// refused or when a step fails; the old file then stays as it was.
void ReplaceFile(const QString &fileName, const QByteArray &content);

// Replaces `fileName` at once with a new, empty file, after the checks of
// CheckReplaceable and with the old file's owner, group and mode as
// ReplaceFile gives them, and returns it open for writing (the caller closes
// it): for a file written piece by piece, such as a log. What was there is
// never opened, so no link, FIFO or other user's file is written into.
// Throws FileError when refused or when a step fails.
int ReplaceWithEmptyFile(const QString &fileName);

// The hidden names of temporary copies beside a file named `name` (the last
// part of a path, in its bytes): a template for mkostemp or mkdtemp, whose
// six Xs become letters or digits, and the test of an existing name.
QByteArray TemporaryNameTemplate(const QByteArray &name);
bool IsTemporaryNameOf(const QByteArray &entry, const QByteArray &name);

// Removes the temporary copies that replaces of `fileName` killed before
// their rename left beside it (and beside the file its link names): this
// user's regular files with the temporary copies' own hidden names, nothing
// else. Returns how many it removed.
int RemoveStaleTemporaryFiles(const QString &fileName);
