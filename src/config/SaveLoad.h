#pragma once
// File choice of the save/load page and the naming rule of its dialogs.

#include <QString>
#include <functional>

class QWidget;

// Returns the chosen path for opening (save = false) or saving, empty when
// cancelled. Set, it stands in for the file dialogs; empty restores them.
using FileChooser = std::function<QString(QWidget *parent, bool save)>;
void SetFileChooser(FileChooser chooser);

// A file name typed without an extension gets ".ini", as the dialogs do.
QString WithIniExtension(const QString &path);
