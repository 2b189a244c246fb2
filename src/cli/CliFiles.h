#pragma once
// The files velmora-cli reads and replaces: checked before the gateway is
// touched, and replaced once, atomically, at the end of a successful run.

#include "core/SafeFile.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace CliFiles {

// Larger than any configuration; the working-file rules read the whole file
// for every value, so a huge file would only stall the runs.
inline constexpr qint64 MaxProfileSize = 1024 * 1024;

// The bytes of the profile file at `path`, nothing when there is no file.
// Throws CliError for a folder, a device or FIFO, a link to nothing, a file
// that cannot be read, and content that is no profile text (binary, UTF-16,
// larger than MaxProfileSize).
std::optional<QByteArray> readProfile(const QString &path);

// Throws CliError unless `path` can be replaced as the window replaces a
// file: a name within the system's limits, no foreign link, a regular
// writable file or none, in a writable folder. Returns the path a replace
// writes: `path` itself or the end of its links.
QString checkReplaceable(const QString &path);

// Replaces `path` with `content` through the window's safe replace: the old
// file stays whole unless the new one is complete on the disk. Throws CliError.
void replace(const QString &path, const QByteArray &content);

// True when both names lead to the same existing file.
bool sameFile(const QString &a, const QString &b);

} // namespace CliFiles
