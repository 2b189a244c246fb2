#pragma once
// The rules of Windows profile (INI) files, applied to a file's bytes in
// memory. The working-file access (IniFile) reads and replaces whole files
// around these two functions.
//
// Content that starts with a UTF-8 byte-order mark is UTF-8 text: the mark is
// kept, and names beyond ASCII are compared by Unicode case rules. All other
// content is Windows-1252, where the letters of Windows-1252 fold by case.

#include <QByteArray>
#include <optional>

namespace ProfileFile {

// The value of `key` in the first section named `section` (names compared
// without regard to case), blanks and one pair of matching outer quotes
// removed, cut to 2047 characters; nothing when the section or key is missing.
std::optional<QByteArray> readValue(const QByteArray &content, const QByteArray &section,
                                    const QByteArray &key);

// `content` with `key` in `section` set to `value`: an existing key line is
// replaced in place keeping its key spelling and line end; a new key goes
// right after the last key line of its section; a new section goes at the end
// of the file. CR and LF inside `value` are written as blanks so that the
// value can never split into two lines.
QByteArray writeValue(const QByteArray &content, const QByteArray &section,
                      const QByteArray &key, const QByteArray &value);

} // namespace ProfileFile
