// The read and write buttons of the editor pages: each lights its page's
// status light and sends one request; the reply handling does the rest.

#include "core/Cp1252.h"
#include "gui/RadioGroup.h"
#include "gui/StatusLight.h"
#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "core/Records.h"
#include "core/Frame.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"

#include "ui_TabSheet2.h"
#include "ui_TabSheet3.h"
#include "ui_TabSheet4.h"
#include "ui_TabSheetInterface.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>


void TFormMain::SetupPageRequests()
{
    const auto wire = [this](QPushButton *button, void (TFormMain::*handler)()) {
        connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
    };
    wire(ui2->ButtonKonfigurationLesen, &TFormMain::ButtonKonfigurationLesenClick);
    wire(ui2->ButtonKonfigurationSchreiben, &TFormMain::ButtonKonfigurationSchreibenClick);
    wire(ui2->Button2, &TFormMain::Button2Click);
    wire(ui2->Button5, &TFormMain::Button5Click);
    wire(ui4->ButtonDruckerAuslesen, &TFormMain::ButtonDruckerAuslesenClick);
    wire(ui4->ButtonDruckerSchreiben, &TFormMain::ButtonDruckerSchreibenClick);
    wire(uiInterface->ButtonReadInterface, &TFormMain::ButtonReadInterfaceClick);
    wire(uiInterface->ButtonWriteInterface, &TFormMain::ButtonWriteInterfaceClick);
    wire(ui3->ButtonAlleDatenLesen, &TFormMain::ButtonAlleDatenLesenClick);
    wire(ui3->ButtonAlleDatenSchreiben, &TFormMain::ButtonAlleDatenSchreibenClick);
}

void TFormMain::ButtonAlleDatenLesenClick()
{
    if (FormVerbindung)
        FormVerbindung->StartRun(false);
}

void TFormMain::ButtonAlleDatenSchreibenClick()
{
    if (FormVerbindung)
        FormVerbindung->StartRun(true);
}

void TFormMain::SendRequest(const QByteArray &command)
{
    if (FormVerbindung)
        FormVerbindung->SendCommand(command);
}

void TFormMain::ButtonKonfigurationLesenClick()
{
    ui2->StatusLightQualitaet->setLit(true);
    SendRequest("C0Z" + Cp1252::encode(ui2->Label59->text()));
}

void TFormMain::ButtonKonfigurationSchreibenClick()
{
    ui2->StatusLightQualitaet->setLit(true);
    // Lists without a selection send the stored value: it must be readable.
    CheckIniReadable();
    const QByteArray address = Cp1252::encode(ui2->Label59->text()).left(1);
    const int a = QByteArray(AddressChars).indexOf(address);
    const QString section = QStringLiteral("QVR") + QString::number(a);
    QList<QByteArray> quality, edv;
    for (int k = 1; k <= 10; ++k) {
        // A list without a selection would shift every later field: it sends
        // the stored value, as the write-all run would.
        const auto value = [&](bool isEdv) {
            const QString shown = PointCombo(k, isEdv)->currentText();
            if (!shown.isEmpty())
                return Cp1252::encode(shown);
            const QString key = (isEdv ? QStringLiteral("EDV") : QStringLiteral("Qualitaet")) + QString::number(k);
            return Cp1252::encode(ReadIniValue(section, key, QString::number(a).rightJustified(2, u'0')));
        };
        quality << value(false);
        edv << value(true);
    }
    SendRequest(PointsWriteRequest(address.isEmpty() ? '0' : address.at(0), quality, edv, HasPoint5,
                                   HasTenPoints));
}

void TFormMain::Button2Click()
{
    ui2->StatusLightProdukt->setLit(true);
    SendRequest("C0P" + PadLeft(Cp1252::encode(ui2->Label50->text()), 2, '0'));
}

void TFormMain::Button5Click()
{
    ui2->StatusLightProdukt->setLit(true);
    CheckIniReadable();
    // A group left empty by a failed load shows nothing to send: load it now,
    // unless the user has typed a name since.
    if (m_productStale && !m_nameTyped)
        LoadProductGroup();
    const int m = ui2->Label50->text().toInt();
    QString quality = ui2->ComboBox1->currentText();
    if (quality.isEmpty())
        quality = ReadIniValue(QStringLiteral("PRODUKT") + QString::number(m), QStringLiteral("Qualitaet"),
                               QString::number(m).rightJustified(2, u'0'));
    SendRequest(ProductWriteRequest(m, Cp1252::encode(quality), Cp1252::encode(ui2->Edit5->text())));
}

void TFormMain::ButtonDruckerAuslesenClick()
{
    ui4->StatusLightDrucker->setLit(true);
    SendRequest("C0D");
}

void TFormMain::ButtonDruckerSchreibenClick()
{
    ui4->StatusLightDrucker->setLit(true);
    CheckIniReadable();
    if (m_printerStale && !ui4->eKopfzeiledrucker->isModified())
        TabSheet4Show();
    const int index = ui4->cbDruckerModell->currentIndex();
    // No model selected would send "-1": the stored model goes instead.
    const QByteArray model = index >= 0
                                 ? QByteArray::number(index)
                                 : Cp1252::encode(ReadIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"),
                                                               QStringLiteral("00")));
    SendRequest(PrinterWriteRequest(model, Cp1252::encode(ui4->eKopfzeiledrucker->text())));
}

void TFormMain::ButtonReadInterfaceClick()
{
    uiInterface->ApdStatusLightInterface->setLit(true);
    SendRequest("C0I");
}

void TFormMain::ButtonWriteInterfaceClick()
{
    uiInterface->ApdStatusLightInterface->setLit(true);
    CheckIniReadable();
    const std::pair<RadioGroup *, const char *> groups[4] = {
        {uiInterface->RadioGroupBaudrateRS232, "BaudrateRS232"},
        {uiInterface->RadioGroupParameterRS232, "ParameterRS232"},
        {uiInterface->RadioGroupBaudrateRS485, "BaudrateRS485"},
        {uiInterface->RadioGroupParameterRS485, "ParameterRS485"},
    };
    QList<int> indexes;
    for (const auto &[group, key] : groups) {
        // A group without a selection would send "-1": the stored value goes instead.
        const int shown = group->itemIndex();
        indexes << (shown >= 0 ? shown
                               : InterfaceIndexOf(ReadIniValue(QStringLiteral("INTERFACE"),
                                                               QLatin1String(key), QStringLiteral("3"))));
    }
    SendRequest(InterfaceWriteRequest(indexes));
}
