// The connect button of the first page and the layout that follows the
// gateway's firmware.

#include "gui/StatusLight.h"
#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "gui/PageControl.h"
#include "core/Texts.h"

#include "ui_TabSheet1.h"
#include "ui_TabSheet2.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void TFormMain::SetupLink()
{
    connect(ui1->Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
}

void TFormMain::Button1Click()
{
    if (!FormVerbindung)
        return;
    if (FormVerbindung->IsPortOpen()) {
        Disconnect();
        return;
    }
    const QString portName = ui1->cb_COM_Port->currentText();
    QString digits = portName;
    const qsizetype com = digits.indexOf(QLatin1String("COM"));
    if (com >= 0)
        digits.remove(com, 3);
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok) {
        throw ConversionError(digits);
    }
    if (!FormVerbindung->OpenPort(number))
        return;
    SetStatusText(1, portName);
    SetStatusText(2, QStringLiteral("OFFLINE"));
    VersionText = QStringLiteral("unbekannt");
    ui1->cb_COM_Port->setEnabled(false);
    ui1->Button1->setText(TextPair(8, Language));
    FormVerbindung->TimerPolling.start();
}

void TFormMain::Disconnect()
{
    FormVerbindung->TimerPolling.stop();
    VersionText = QStringLiteral("---");
    FormVerbindung->ClosePort();
    ui1->cb_COM_Port->setEnabled(true);
    ui1->Button1->setText(TextPair(7, Language));
    SetEditorPagesVisible(false);
    SetStatusText(1, QString());
    SetStatusText(2, QStringLiteral("OFFLINE"));
}

void TFormMain::ApplyFirmwareLayout()
{
    for (QWidget *w : {static_cast<QWidget *>(ui2->Label9), static_cast<QWidget *>(ui2->ComboBox2),
                       static_cast<QWidget *>(ui2->ComboBox3)})
        w->setVisible(HasPoint5);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetInterface), HasTenPoints);
    for (int k = 6; k <= 10; ++k) {
        if (QWidget *label = TabSheet2->findChild<QWidget *>(QStringLiteral("LabelAnzeigeZP%1").arg(k)))
            label->setVisible(HasTenPoints);
        PointCombo(k, false)->setVisible(HasTenPoints);
        PointCombo(k, true)->setVisible(HasTenPoints);
    }
    const int top = HasTenPoints ? 340 : 212;
    ui2->ButtonKonfigurationLesen->move(ui2->ButtonKonfigurationLesen->x(), top);
    ui2->ButtonKonfigurationSchreiben->move(ui2->ButtonKonfigurationSchreiben->x(), top);
    ui2->StatusLightQualitaet->move(ui2->StatusLightQualitaet->x(), top + 6);
}

void TFormMain::RepaintStatusPanel(int panel)
{
    if (QLabel *label = findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(panel)))
        label->repaint();
}
