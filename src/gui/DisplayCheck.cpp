#include "gui/DisplayCheck.h"

QString MissingDisplayText(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QString platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const qsizetype option = arguments.indexOf(QStringLiteral("-platform"));
    if (option >= 0 && option + 1 < arguments.size())
        platforms = arguments.at(option + 1);
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();

    // Qt tries a list "wayland;xcb" in order; one that can start is enough.
    bool usable = platforms.isEmpty() && (x11 || wayland);
    for (const QString &entry : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0).trimmed();
        if (name == QLatin1String("xcb"))
            usable = usable || x11;
        else if (name.startsWith(QLatin1String("wayland")))
            usable = usable || wayland;
        else
            usable = true; // offscreen, vnc, eglfs and the like need no session
    }
    if (usable)
        return QString();
    return QStringLiteral(
        "velmora: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
        "Start it in a desktop session, or without one under a virtual X server:\n"
        "    xvfb-run -a velmora\n"
        "(Debian package xvfb). velmora-cli reads and writes the gateway without a window.\n");
}
