#pragma once

#include <QIcon>

// The program's icon, the same picture the package installs for the menu
// entry, carried inside the program so task bars and Alt+Tab show it.
QIcon ProgramIcon();
