#pragma once
// Where the program keeps its working configuration file and its port names.

#include <QString>

// The program's folder, with a trailing '/': the folder of the executable when
// it is writable, otherwise the per-user config folder ($XDG_CONFIG_HOME or
// ~/.config, then "velmora"), created when missing.
QString ProgramFolder();

// The program's folder for an executable in `exeFolder` (empty: unknown).
QString ProgramFolderFor(const QString &exeFolder);

// The name of the working configuration file in the program's folder.
inline constexpr const char *IniBaseName = "Velmora.ini";
