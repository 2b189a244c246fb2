#pragma once
// Access to the working configuration file: one value per call, the file is
// opened and released every time and nothing is cached between calls.

#include "core/SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// Returns the value of `key` in `section` of the file `fileName`, with blanks
// around it and one pair of matching outer quotes removed, cut to 2047
// characters. Returns `def` when the file, the section or the key is missing.
// A file that exists but cannot be read throws FileError (see ReadIniFile).
QString ReadIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &def);

// The value as ReadIniValue gives it, from the bytes of a file read before
// (nothing for no file), so that several values cost one read.
QString IniValueIn(const std::optional<QByteArray> &content, const QString &section, const QString &key,
                   const QString &def);

// Writes `value` under `key` in `section` of `fileName`, creating the file, the
// section or the key as needed; every other line of the file stays as it was.
// The file keeps its encoding; a Windows-1252 file whose new bytes would read
// as UTF-8 also gets [SOURCE] Encoding=windows-1252, so that they do not.
// The file is replaced atomically and keeps its permissions. A refused write
// throws FileError("In <fileName> kann nicht geschrieben werden") and leaves
// the file untouched.
void WriteIniValue(const QString &fileName, const QString &section, const QString &key,
                   const QString &value);

// Keys and their values of one section, in the order they are written.
using IniValues = QList<QPair<QString, QString>>;

// Writes every value of `values` into `section` in one replace of the file:
// the bytes are those that the same WriteIniValue calls in order would leave,
// and a kill leaves the old file or the new one. Refused as WriteIniValue.
void WriteIniValues(const QString &fileName, const QString &section, const IniValues &values);

// Sections and the values of each, in the order they are written.
using IniRecords = QList<QPair<QString, IniValues>>;

// Writes every record of `records` in one replace of the file, as the same
// WriteIniValues calls in order would leave it. Refused as WriteIniValue.
void WriteIniRecords(const QString &fileName, const IniRecords &records);

// The bytes of `fileName`, or nothing when no file is there (also a link
// to nothing). A file that exists but cannot be read (no permission, an I/O
// error, not a regular file) throws FileError naming the file and the reason.
// Never blocks on a FIFO and never reads a device.
std::optional<QByteArray> ReadIniFile(const QString &fileName);

// Creates `fileName` with the default content (DefaultIniContent) when no
// file exists there.
// Returns true when it created the file. Throws FileError when refused.
bool CreateDefaultIniFile(const QString &fileName);
