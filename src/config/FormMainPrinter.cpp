// Printer page of the main window: printer model and receipt header.

#include "shell/F_FormMain.h"

#include "config/StatusLight.h"
#include "config/TextFieldGuard.h"
#include "core/IniFile.h"

#include "ui_TabSheet4.h"

#include <QComboBox>
#include <QLineEdit>

void TFormMain::TabSheet4Show()
{
    ui4->StatusLightDrucker->setLit(true);
    bool ok = false;
    int model = ReadIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QStringLiteral("00"))
                    .toInt(&ok);
    if (!ok)
        model = 0;
    // No such model leaves the list without a selection; the file keeps its value.
    ui4->cbDruckerModell->setCurrentIndex(model >= 0 && model < ui4->cbDruckerModell->count() ? model : -1);
    TextFieldGuard::show(ui4->eKopfzeiledrucker,
                         ReadIniValue(QStringLiteral("PRINTER"), QStringLiteral("Head"),
                                      QStringLiteral("Deutsche Brantel")));
}

void TFormMain::cbDruckerModellChange()
{
    const int index = ui4->cbDruckerModell->currentIndex();
    if (index >= 0)
        WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QString::number(index));
}

void TFormMain::eKopfzeiledruckerExit()
{
    WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Head"), ui4->eKopfzeiledrucker->text());
}
