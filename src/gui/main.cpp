#include "core/ProgramFolder.h"
#include "texts/Texts.h"
#include "gui/DisplayCheck.h"
#include "gui/MainWindow.h"
#include "gui/ProgramIcon.h"
#include "gui/SingleInstance.h"
#include "gui/VelmoraApplication.h"

#include <QMessageBox>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString missingDisplay = MissingDisplayText(arguments, QProcessEnvironment::systemEnvironment());
    if (!missingDisplay.isEmpty()) {
        std::fputs(missingDisplay.toLocal8Bit().constData(), stderr);
        return 1;
    }
    VelmoraApplication app(argc, argv);

    // A second start shows the running instance's window and ends at once.
    SingleInstance instance;
    if (!instance.claim()) {
        if (instance.failure().isEmpty())
            return 0;
        QMessageBox::critical(nullptr, QString::fromUtf8(AppCaption), instance.failure());
        return 1;
    }

    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    // Dialogs without a parent window show it too.
    QApplication::setWindowIcon(ProgramIcon());

    MainWindow window(ProgramFolder());
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });

    window.show();
    return app.exec();
}
