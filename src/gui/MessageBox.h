#pragma once
// The program's message boxes. A message of a few lines is Qt's message box;
// a long list (hundreds of values the gateway did not take, or that do not
// fit) is its first line as a summary above a scrollable view of the rest,
// so that the box and its button stay on a small screen.

#include <QMessageBox>
#include <QString>
#include <memory>

class QDialog;

// The most lines a message shows in Qt's message box; longer messages show
// their first line above a scrollable view of the others.
inline constexpr int MessageBoxLines = 12;

// The box for `text`, captioned "PC / Velmora", not yet shown.
std::unique_ptr<QDialog> MakeMessageBox(QMessageBox::Icon icon, const QString &text, QWidget *parent);
