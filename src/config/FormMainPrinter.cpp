// Printer page of the main window: printer model and receipt header.

#include "shell/F_FormMain.h"

#include "gui/StatusLight.h"
#include "gui/TextFieldGuard.h"
#include "core/IniFile.h"

#include "ui_TabSheet4.h"

#include <QComboBox>
#include <QLineEdit>

void TFormMain::TabSheet4Show()
{
    ui4->StatusLightDrucker->setLit(true);
    QString model, head;
    try {
        model = ReadIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QStringLiteral("00"));
        head = ReadIniValue(QStringLiteral("PRINTER"), QStringLiteral("Head"), QStringLiteral("Deutsche Brantel"));
    } catch (const IniError &) {
        // Nothing shown that the file did not give.
        ui4->cbDruckerModell->setCurrentIndex(-1);
        TextFieldGuard::show(ui4->eKopfzeiledrucker, QString());
        m_printerStale = true;
        throw;
    }
    bool ok = false;
    int index = model.toInt(&ok);
    if (!ok)
        index = 0;
    // No such model leaves the list without a selection; the file keeps its value.
    ui4->cbDruckerModell->setCurrentIndex(index >= 0 && index < ui4->cbDruckerModell->count() ? index : -1);
    TextFieldGuard::show(ui4->eKopfzeiledrucker, head);
    m_printerStale = false;
}

void TFormMain::cbDruckerModellChange()
{
    const int index = ui4->cbDruckerModell->currentIndex();
    if (index >= 0)
        WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QString::number(index));
}

void TFormMain::eKopfzeiledruckerExit()
{
    // The empty field of a page that could not be loaded is not the user's.
    if (m_printerStale && !ui4->eKopfzeiledrucker->isModified())
        return;
    WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Head"), ui4->eKopfzeiledrucker->text());
}
