#pragma once
// Access to the working configuration file: one value per call, the file is
// opened and released every time and nothing is cached between calls.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <stdexcept>

// An error of the working-file access; its text is shown to the user as is.
class IniError : public std::runtime_error
{
public:
    explicit IniError(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Returns the value of `key` in `section` of the file `fileName`, with blanks
// around it and one pair of matching outer quotes removed, cut to 2047
// characters. Returns `def` when the file, the section or the key is missing.
QString ReadIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &def);

// Writes `value` under `key` in `section` of `fileName`, creating the file, the
// section or the key as needed; every other line of the file stays as it was.
// The file is replaced atomically and keeps its permissions. A refused write
// throws IniError("In <fileName> kann nicht geschrieben werden") and leaves
// the file untouched.
void WriteIniValue(const QString &fileName, const QString &section, const QString &key,
                   const QString &value);

// Keys and their values of one section, in the order they are written.
using IniValues = QList<QPair<QString, QString>>;

// Writes every value of `values` into `section` in one replace of the file:
// the bytes are those that the same WriteIniValue calls in order would leave,
// and a kill leaves the old file or the new one. Refused as WriteIniValue.
void WriteIniValues(const QString &fileName, const QString &section, const IniValues &values);

// The bytes of a new working configuration file with its 787 default entries,
// exactly as the same number of single WriteIniValue calls would leave them.
QByteArray DefaultIniContent();

// Creates `fileName` with the default content when no file exists there.
// Returns true when it created the file. Throws IniError when refused.
bool CreateDefaultIniFile(const QString &fileName);

// The program's folder, with a trailing '/': the folder of the executable when
// it is writable, otherwise the per-user config folder ($XDG_CONFIG_HOME or
// ~/.config, then "velmora"), created when missing.
QString ProgramFolder();

// The name of the working configuration file in the program's folder.
inline constexpr const char *IniBaseName = "Velmora.ini";
