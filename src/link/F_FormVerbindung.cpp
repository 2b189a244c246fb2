#include "link/F_FormVerbindung.h"

#include "config/Cp1252.h"
#include "link/ComPort.h"
#include "link/Firmware.h"
#include "link/UnitEntDeCoder.h"
#include "shell/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "shell/Unit_deu_eng.h"

#include "ui_TabSheet1.h"
#include "ui_TabSheet2.h"

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

TFormVerbindung::TFormVerbindung(TFormMain *formMain, std::unique_ptr<ComPort> port,
                                 QObject *parent)
    : QObject(parent), ComPortDevice(port ? std::move(port) : std::make_unique<QtComPort>()),
      m_main(formMain)
{
    setObjectName(QStringLiteral("FormVerbindung"));
    TimerPolling.setInterval(1000);
    ReadAllActive = false;
    WriteAllActive = false;
    AddressCount = 24;
    connect(&TimerPolling, &QTimer::timeout, this, Guarded([this] { TimerPollingTimer(); }));
    connect(ComPortDevice.get(), &ComPort::received, this,
            [this](const QByteArray &bytes) { Received(bytes); });
    connect(ComPortDevice.get(), &ComPort::lost, this,
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
    auto *real = qobject_cast<QtComPort *>(ComPortDevice.get());
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
    case 'V':
        HandleVersionReply(line);
        break;
    default:
        // Records not handled here take the path of an unknown letter.
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

void TFormVerbindung::Button1Click()
{
    DataPacketStringPacket(BuildRequestFrame("cZB1122334401020304"));
}

void TFormVerbindung::Lost(const QString &reason)
{
    if (!ComPortDevice->isOpen())
        return;
    const int language = m_main ? m_main->Language : 0;
    if (m_main)
        m_main->Disconnect();
    else
        ClosePort();
    ShowErrorReport(LostText[language == 0 ? 0 : 1] + QStringLiteral("\n\n") + reason);
}
