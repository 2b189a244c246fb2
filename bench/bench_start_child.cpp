// One start of a window, for bench_startup: "bare" shows an empty Qt Widgets
// window of the same size, "velmora <folder>" starts the tool's main window
// the way src/gui/main.cpp does, with <folder> as its program folder (and as
// the single-instance folder, so that a running tool is left alone). Prints
// "shown <resident KiB> <peak resident KiB>" once the window is on screen,
// then ends.

#include "gui/MainWindow.h"
#include "gui/ProgramIcon.h"
#include "gui/SingleInstance.h"
#include "gui/VelmoraApplication.h"

#include <QFile>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

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
    // Queued behind the show and first-show work already posted.
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
    const QString folder = args.value(2);
    SingleInstance instance(folder);
    if (!instance.claim()) {
        std::fprintf(stderr, "instance: %s\n", qPrintable(instance.failure()));
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(ProgramIcon());

    MainWindow window(folder + u'/');
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    reportWhenShown(&window);
    return app.exec();
}
