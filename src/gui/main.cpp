#include "core/IniFile.h"
#include "link/F_FormVerbindung.h"
#include "shell/F_FormMain.h"
#include "gui/SingleInstance.h"
#include "gui/ErrorReport.h"
#include "gui/VelmoraApplication.h"

#include "gui/ProgramIcon.h"

#include <QMessageBox>

int main(int argc, char *argv[])
{
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

    TFormMain formMain(ProgramFolder());
    TFormVerbindung formVerbindung(&formMain);
    formMain.SetFormVerbindung(&formVerbindung);

    QObject::connect(&instance, &SingleInstance::activationRequested, &formMain, [&formMain] {
        formMain.showNormal();
        formMain.raise();
        formMain.activateWindow();
    });

    formMain.show();
    return app.exec();
}
