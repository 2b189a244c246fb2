#include "gui/VelmoraApplication.h"

#include "gui/ErrorReport.h"

VelmoraApplication::VelmoraApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool VelmoraApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    RunGuarded(m_errorReport, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
