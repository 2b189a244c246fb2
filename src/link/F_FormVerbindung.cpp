#include "link/F_FormVerbindung.h"

#include "core/Cp1252.h"
#include "core/SerialPort.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "core/Texts.h"

#include "gui/RadioGroup.h"
#include "gui/StatusLight.h"
#include "core/MonitorLog.h"

#include "ui_TabSheet1.h"
#include "ui_TabSheet2.h"
#include "ui_TabSheet4.h"
#include "ui_TabSheetInterface.h"

#include <QLineEdit>

#include <QComboBox>
#include <QMessageBox>

namespace {
const QString LostText[2] = {
    QStringLiteral("Die Verbindung zum Velmora ist unterbrochen: der serielle Anschluss ist "
                   "nicht mehr vorhanden (Adapter abgezogen?)."),
    QStringLiteral("The connection to the Velmora was lost: the serial port is gone "
                   "(adapter unplugged?)."),
};
const QString PermissionHint[2] = {
    QStringLiteral("Der Benutzer muss eventuell Mitglied der Gruppe \u201Edialout\u201C sein, "
                   "oder ein anderes Programm belegt den Anschluss."),
    QStringLiteral("You may need to be a member of the \u201Cdialout\u201D group, or another "
                   "program may hold the port."),
};
} // namespace

TFormVerbindung::TFormVerbindung(TFormMain *formMain, std::unique_ptr<SerialPort> port,
                                 QObject *parent)
    : QObject(parent), ComPortDevice(port ? std::move(port) : std::make_unique<QtSerialPort>()),
      m_main(formMain)
{
    setObjectName(QStringLiteral("FormVerbindung"));
    TimerPolling.setInterval(1000);
    ReadAllActive = false;
    WriteAllActive = false;
    AddressCount = 24;
    connect(&TimerPolling, &QTimer::timeout, this, Guarded([this] { TimerPollingTimer(); }));
    RunTimeout.setSingleShot(true);
    RunTimeout.setInterval(RunTimeoutMs);
    connect(&RunTimeout, &QTimer::timeout, this, Guarded([this] { RunTimedOut(); }));
    connect(ComPortDevice.get(), &SerialPort::received, this,
            [this](const QByteArray &bytes) { Received(bytes); });
    connect(ComPortDevice.get(), &SerialPort::lost, this,
            Guarded([this](const QString &reason) { Lost(reason); }));
}

TFormVerbindung::~TFormVerbindung() = default;

bool TFormVerbindung::OpenPort(int number)
{
    const QString name = QStringLiteral("COM%1").arg(number);
    QString device;
    if (m_main) {
        QComboBox *list = m_main->ui1->cb_COM_Port;
        const int index = list->findText(name, Qt::MatchFixedString);
        if (index >= 0)
            device = list->itemData(index, Qt::UserRole).toString();
    }
    QString reason;
    if (ComPortDevice->open(device, &reason)) {
        Packet.reset();
        m_pending.clear();
        Connecting = true;
        return true;
    }
    const int language = m_main ? m_main->Language : 0;
    QString text = TextPair(15, language);
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + name + QStringLiteral(": ") + reason;
    auto *real = qobject_cast<QtSerialPort *>(ComPortDevice.get());
    if (real && real->lastOpenWasPermissionError())
        text += QStringLiteral("\n\n") + PermissionHint[language == 0 ? 0 : 1];
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(AppCaption), text, QMessageBox::Ok,
                    m_main);
    box.setObjectName(QStringLiteral("OpenPortFailed"));
    box.exec();
    return false;
}

void TFormVerbindung::ClosePort()
{
    try {
        ComPortDevice->close();
    } catch (...) {
        // Closing must never keep the link from going offline.
    }
    Packet.reset();
    m_pending.clear();
    Connecting = false;
    TimerPolling.stop();
}

bool TFormVerbindung::IsPortOpen() const
{
    return ComPortDevice->isOpen();
}

void TFormVerbindung::FlushPort()
{
    ComPortDevice->clearInput();
    ComPortDevice->clearOutput();
    // Bytes received but not yet handled are discarded with the port's buffer.
    Packet.reset();
    m_pending.clear();
}

void TFormVerbindung::SendCommand(const QByteArray &command)
{
    FlushPort();
    if (!Connecting && m_main) {
        m_main->SetStatusText(3, Cp1252::decode(command.left(3)));
        m_main->RepaintStatusPanel(3);
    }
    LastRequestLine = BuildRequestFrame(command) + "\r\n";
    if (m_main)
        m_main->LogSentRequest(Cp1252::decode(LastRequestLine));
    ComPortDevice->write(LastRequestLine);
}

void TFormVerbindung::TimerPollingTimer()
{
    if (m_main)
        m_main->SetStatusText(3, m_main->StatusText(3).isEmpty() ? QStringLiteral("ping") : QString());
    SendCommand("C0P01");
}

void TFormVerbindung::Received(const QByteArray &bytes)
{
    m_pending.append(Packet.feed(bytes));
    // Lines are handled one at a time, in order; a handler that sends the
    // next request flushes what is still pending.
    if (m_delivering)
        return;
    m_delivering = true;
    while (!m_pending.isEmpty()) {
        const QByteArray line = m_pending.takeFirst();
        RunGuarded([&] { DataPacketStringPacket(line); });
    }
    m_delivering = false;
}

void TFormVerbindung::DataPacketStringPacket(const QByteArray &line)
{
    if (m_main)
        m_main->LogReceivedLine(Cp1252::decode(line));
    if (!CheckReplyFrame(line)) {
        FlushPort();
        return;
    }
    if (m_main) {
        m_main->SetStatusText(3, QStringLiteral("ok"));
        m_main->RepaintStatusPanel(3);
    }
    if (Connecting) {
        Handshake(line);
        return;
    }
    switch (line.size() > 2 ? line.at(2) : '\0') {
    case 'D':
        HandlePrinterReply(line);
        break;
    case 'I':
        HandleInterfaceReply(line);
        break;
    case 'P':
        HandleProductReply(line);
        break;
    case 'V':
        HandleVersionReply(line);
        break;
    case 'Z':
        HandlePointsReply(line);
        break;
    default:
        FlushPort();
        break;
    }
}

void TFormVerbindung::Handshake(const QByteArray &line)
{
    if (line.size() < 3 || line.at(1) != 'c' || line.at(2) != 'P')
        return;
    Connecting = false;
    TimerPolling.stop();
    if (m_main) {
        m_main->SetStatusText(2, QStringLiteral("ONLINE"));
        m_main->ProductCount = 10;
        m_main->ProgressTotal = m_main->ProgressBase + 10;
        m_main->SetEditorPagesVisible(true);
    }
    SendCommand("S0V");
}

void TFormVerbindung::HandleVersionReply(const QByteArray &line)
{
    const FirmwareFeatures f = FeaturesForVersion(VersionNumberOf(line));
    HasPoint5 = f.hasPoint5;
    AddressCount = f.addressCount;
    HasTenPoints = f.hasTenPoints;
    if (!m_main)
        return;
    m_main->VersionText = Cp1252::decode(VersionTextOf(line));
    m_main->ProductCount = f.productCount;
    m_main->ProgressTotal = f.progressTotal;
    m_main->ApplyFirmwareLayout();
}

namespace {
// A decimal field of a record; anything else ends the handling of the line
// with the conversion error, as the gateway's records are taken as they are.
int decimalField(const QByteArray &field)
{
    bool ok = !field.isEmpty();
    for (char c : field)
        ok = ok && c >= '0' && c <= '9';
    if (!ok) {
        throw ConversionError(Cp1252::decode(field));
    }
    return field.toInt();
}
} // namespace

void TFormVerbindung::HandleProductReply(const QByteArray &line)
{
    const int number = decimalField(line.mid(3, 2));
    const QString section = QStringLiteral("PRODUKT") + QString::number(number);
    if (!m_main)
        return;
    m_main->WriteIniValue(section, QStringLiteral("Qualitaet"), Cp1252::decode(line.mid(5, 2)));
    m_main->WriteIniValue(section, QStringLiteral("Name"), Cp1252::decode(line.mid(7, 10)));
    if (WriteAllActive) {
        WriteProductStep(NextIndex);
        return;
    }
    if (ReadAllActive) {
        ReadProductStep(NextIndex);
        return;
    }
    m_main->ui2->StatusLightProdukt->setLit(false);
    m_main->LoadProductGroup();
}

void TFormVerbindung::HandlePointsReply(const QByteArray &line)
{
    const char ch = line.size() > 3 ? line.at(3) : '\0';
    const int address = ch ? int(QByteArray(AddressChars).indexOf(ch)) : -1;
    const QString section = QStringLiteral("QVR") + QString::number(address);
    if (!m_main)
        return;
    // Positions of each point's quality and EDV number in the record.
    const auto store = [&](const char *key, int k, int position) {
        m_main->WriteIniValue(section, QLatin1String(key) + QString::number(k),
                              Cp1252::decode(line.mid(position - 1, 2)));
    };
    for (int k = 1; k <= 4; ++k)
        store("Qualitaet", k, 5 + 2 * (k - 1));
    if (HasPoint5)
        store("Qualitaet", 5, 21);
    if (HasTenPoints) {
        for (int k = 6; k <= 10; ++k)
            store("Qualitaet", k, 25 + 4 * (k - 6));
    }
    for (int k = 1; k <= 4; ++k)
        store("EDV", k, 13 + 2 * (k - 1));
    if (HasPoint5)
        store("EDV", 5, 23);
    if (HasTenPoints) {
        for (int k = 6; k <= 10; ++k)
            store("EDV", k, 27 + 4 * (k - 6));
    }
    if (WriteAllActive) {
        WriteAddressStep(NextIndex);
        return;
    }
    if (ReadAllActive) {
        ReadAddressStep(NextIndex);
        return;
    }
    m_main->ui2->StatusLightQualitaet->setLit(false);
    m_main->LoadAddressPage(address);
}

void TFormVerbindung::HandlePrinterReply(const QByteArray &line)
{
    const QByteArray model = line.mid(3, 2);
    const QString header = TrimControl(Cp1252::decode(line.mid(5, 40)));
    if (!m_main)
        return;
    m_main->ui4->StatusLightDrucker->setLit(false);
    m_main->WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Modell"), Cp1252::decode(model));
    m_main->WriteIniValue(QStringLiteral("PRINTER"), QStringLiteral("Head"), header);
    bool ok = false;
    const int index = model.toInt(&ok);
    QComboBox *list = m_main->ui4->cbDruckerModell;
    const int entry = ok ? index : 0;
    list->setCurrentIndex(entry >= 0 && entry < list->count() ? entry : -1);
    list->repaint();
    m_main->ui4->eKopfzeiledrucker->setText(header);
    m_main->ui4->eKopfzeiledrucker->repaint();
    // The printer record is the last of a run: only now has every reply come.
    if ((ReadAllActive || WriteAllActive) && LastRequestLine.mid(3, 1) == "D")
        EndRun();
}

void TFormVerbindung::HandleInterfaceReply(const QByteArray &line)
{
    static const char *const keys[4] = {"BaudrateRS232", "ParameterRS232", "BaudrateRS485",
                                        "ParameterRS485"};
    if (!m_main)
        return;
    m_main->uiInterface->ApdStatusLightInterface->setLit(false);
    for (int i = 0; i < 4; ++i)
        m_main->WriteIniValue(QStringLiteral("INTERFACE"), QLatin1String(keys[i]),
                              Cp1252::decode(line.mid(3 + i, 1)));
    RadioGroup *groups[4] = {m_main->uiInterface->RadioGroupBaudrateRS232,
                             m_main->uiInterface->RadioGroupParameterRS232,
                             m_main->uiInterface->RadioGroupBaudrateRS485,
                             m_main->uiInterface->RadioGroupParameterRS485};
    for (int i = 0; i < 4; ++i)
        groups[i]->setItemIndex(decimalField(line.mid(3 + i, 1)));
    if (WriteAllActive)
        WritePrinterStep();
    else if (ReadAllActive)
        ReadPrinterStep();
}

void TFormVerbindung::Button1Click()
{
    DataPacketStringPacket(BuildRequestFrame("cZB1122334401020304"));
}

void TFormVerbindung::Lost(const QString &reason)
{
    if (!ComPortDevice->isOpen())
        return;
    const int language = m_main ? m_main->Language : 0;
    const QString text = LostText[language == 0 ? 0 : 1];
    // A run under way ends at once; it would otherwise wait for its time-out.
    if (ReadAllActive || WriteAllActive)
        AbortRun(text);
    if (m_main)
        m_main->Disconnect();
    else
        ClosePort();
    ShowErrorReport(text + QStringLiteral("\n\n") + reason);
}
