#include "config/UnitIniDatei.h"
#include "link/F_FormVerbindung.h"
#include "shell/F_FormMain.h"
#include "shell/ProgramIcon.h"
#include "shell/Unit_Pogramm.h"
#include "shell/VelmoraApplication.h"

int main(int argc, char *argv[])
{
    VelmoraApplication app(argc, argv);

    // A second start shows the running instance's window and ends at once.
    SingleInstance instance;
    if (!instance.claim())
        return 0;

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
