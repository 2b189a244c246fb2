// One start of a window, for bench_startup: "bare" shows an empty Qt Widgets
// window of the same size, "velmora <folder>" starts the tool's main window
// the way the program does, with <folder> as its program folder. Prints
// "shown <resident KiB> <peak resident KiB>" once the window is on screen, then ends.

#include "link/F_FormVerbindung.h"
#include "shell/F_FormMain.h"
#include "gui/SingleInstance.h"
#include "gui/VelmoraApplication.h"

#include <QFile>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
long residentKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void reportWhenShown(QWidget *window)
{
    QTimer::singleShot(0, window, [] {
        std::printf("shown %ld %ld\n", residentKiB("VmRSS:"), residentKiB("VmHWM:"));
        std::fflush(stdout);
        QCoreApplication::exit(0); // quit() would ask the window to close
    });
}
} // namespace

int main(int argc, char *argv[])
{
    VelmoraApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("bare")) {
        QMainWindow window;
        window.setFixedSize(750, 500);
        window.show();
        reportWhenShown(&window);
        return app.exec();
    }
    SingleInstance instance(args.value(2));
    if (!instance.claim())
        return 1;
    TFormMain form(args.value(2) + u'/');
    TFormVerbindung link(&form);
    form.SetFormVerbindung(&link);
    form.show();
    reportWhenShown(&form);
    return app.exec();
}
