#pragma once
// Before the window is made: is there a display to show it on? Without one
// Qt would abort in its own words; the user learns here what is needed.

#include <QProcessEnvironment>
#include <QStringList>

// Empty when the platform that Qt will use (the -platform argument, else
// QT_QPA_PLATFORM, else the desktop session's) has its display; otherwise
// the lines that tell the user to start the tool in a desktop session or
// under xvfb-run.
QString MissingDisplayText(const QStringList &arguments, const QProcessEnvironment &environment);
