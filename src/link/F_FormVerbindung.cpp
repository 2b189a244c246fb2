#include "link/F_FormVerbindung.h"

#include "link/Firmware.h"

TFormVerbindung::TFormVerbindung(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("FormVerbindung"));
    TimerPolling.setInterval(1000);
    ReadAllActive = false;
    WriteAllActive = false;
    AddressCount = 24;
}

void TFormVerbindung::ClosePort()
{
    Connecting = false;
    TimerPolling.stop();
}
