// The read-all and write-all runs: chains of steps, each sending one request;
// the reply handling calls the next step once the reply has been stored.

#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "core/Records.h"
#include "core/Frame.h"
#include "shell/F_FormMain.h"
#include "core/Texts.h"

#include "ui_TabSheet3.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>


void TFormVerbindung::SetRunProgressText(const QString &text)
{
    if (!m_main)
        return;
    m_main->ui3->Label5->setText(text);
    m_main->ui3->Label5->repaint();
}

void TFormVerbindung::StepRunProgress()
{
    if (!m_main)
        return;
    QProgressBar *bar = m_main->ui3->ProgressAnzeige;
    bar->setValue(std::min(bar->value() + 1, bar->maximum()));
}

void TFormVerbindung::SendRunRequest(const QByteArray &command)
{
    SendCommand(command);
    // A run stands still when a reply never comes: end it after a while.
    if (ReadAllActive || WriteAllActive)
        RunTimeout.start();
    else
        RunTimeout.stop();
}

void TFormVerbindung::FinishRun(const QString &text)
{
    ReadAllActive = false;
    WriteAllActive = false;
    RunTimeout.stop();
    if (!m_main)
        return;
    SetRunProgressText(text);
    m_main->ui3->ButtonAlleDatenLesen->setEnabled(true);
    m_main->ui3->ButtonAlleDatenSchreiben->setEnabled(true);
}

void TFormVerbindung::EndRun()
{
    FinishRun(QStringLiteral("OK"));
}

void TFormVerbindung::AbortRun(const QString &text)
{
    FinishRun(text);
}

void TFormVerbindung::RunTimedOut()
{
    if (!ReadAllActive && !WriteAllActive)
        return;
    FinishRun(NoReplyText(m_main ? m_main->Language : 0));
}

QString TFormVerbindung::ReadStored(const QString &section, const QString &key, const QString &def)
{
    if (!m_main)
        return def;
    try {
        return m_main->ReadIniValue(section, key, def);
    } catch (const IniError &error) {
        // Nothing is sent from a value that could not be read: the run ends
        // here, before its request, and the caller reports the error once.
        ReadAllActive = false;
        WriteAllActive = false;
        RunTimeout.stop();
        SetRunProgressText(error.text());
        m_main->ui3->ButtonAlleDatenLesen->setEnabled(true);
        m_main->ui3->ButtonAlleDatenSchreiben->setEnabled(true);
        throw;
    }
}

void TFormVerbindung::WriteAddressStep(int a)
{
    if (a >= AddressCount) {
        WriteProductStep(1);
        return;
    }
    const int language = m_main ? m_main->Language : 0;
    SetRunProgressText(TextPair(5, language) + QLatin1Char(AddressChars[a]));
    NextIndex = a + 1;
    const QString section = QStringLiteral("QVR") + QString::number(a);
    const QString d = QString::number(a).rightJustified(2, u'0');
    QList<QByteArray> quality, edv;
    const int points = HasTenPoints ? 10 : HasPoint5 ? 5 : 4;
    for (int k = 1; k <= points; ++k) {
        quality << Cp1252::encode(ReadStored(section, QStringLiteral("Qualitaet%1").arg(k), d));
        edv << Cp1252::encode(ReadStored(section, QStringLiteral("EDV%1").arg(k), d));
    }
    StepRunProgress();
    SendRunRequest(PointsWriteRequest(AddressChars[a], quality, edv, HasPoint5 || HasTenPoints, HasTenPoints));
}

void TFormVerbindung::WriteProductStep(int n)
{
    const int productCount = m_main ? m_main->ProductCount : 20;
    if (n > productCount) {
        if (HasTenPoints)
            WriteInterfaceStep();
        else
            WritePrinterStep();
        return;
    }
    const int language = m_main ? m_main->Language : 0;
    SetRunProgressText(TextPair(6, language) + QString::number(n));
    NextIndex = n + 1;
    const QString section = QStringLiteral("PRODUKT") + QString::number(n);
    const QString quality = ReadStored(section, QStringLiteral("Qualitaet"), QString::number(n).rightJustified(2, u'0'));
    const QString name = ReadStored(section, QStringLiteral("Name"), QStringLiteral("Produkt ") + QString::number(n));
    StepRunProgress();
    SendRunRequest(ProductWriteRequest(n, Cp1252::encode(quality), Cp1252::encode(name)));
}

void TFormVerbindung::WriteInterfaceStep()
{
    SetRunProgressText(TextPair(3, 0));
    StepRunProgress();
    QList<int> indexes;
    for (const char *key : {"BaudrateRS232", "ParameterRS232", "BaudrateRS485", "ParameterRS485"}) {
        const QString stored = ReadStored(QStringLiteral("INTERFACE"), QLatin1String(key), QStringLiteral("3"));
        bool ok = false;
        const int v = stored.trimmed().toInt(&ok);
        indexes << (ok ? v : 3);
    }
    SendRunRequest(InterfaceWriteRequest(indexes));
}

void TFormVerbindung::WritePrinterStep()
{
    StepRunProgress();
    const QString model = ReadStored(QStringLiteral("PRINTER"), QStringLiteral("Modell"), QStringLiteral("00"));
    const QString head = ReadStored(QStringLiteral("PRINTER"), QStringLiteral("Head"), QStringLiteral("Deutsche Brantel"));
    // The run stays under way until the printer reply has been stored.
    SendRunRequest(PrinterWriteRequest(Cp1252::encode(model), Cp1252::encode(head)));
}

void TFormVerbindung::ReadAddressStep(int a)
{
    if (a >= AddressCount) {
        ReadProductStep(1);
        return;
    }
    const int language = m_main ? m_main->Language : 0;
    SetRunProgressText(TextPair(5, language) + QLatin1Char(AddressChars[a]));
    NextIndex = a + 1;
    StepRunProgress();
    SendRunRequest(QByteArray("C0Z") + AddressChars[a]);
}

void TFormVerbindung::ReadProductStep(int n)
{
    const int productCount = m_main ? m_main->ProductCount : 20;
    if (n > productCount) {
        if (HasTenPoints)
            ReadInterfaceStep();
        else
            ReadPrinterStep();
        return;
    }
    const int language = m_main ? m_main->Language : 0;
    SetRunProgressText(TextPair(6, language) + QString::number(n));
    NextIndex = n + 1;
    StepRunProgress();
    SendRunRequest("C0P" + PadLeft(QByteArray::number(n), 2, '0'));
}

void TFormVerbindung::ReadInterfaceStep()
{
    SetRunProgressText(TextPair(3, 0));
    StepRunProgress();
    SendRunRequest("C0I");
}

void TFormVerbindung::ReadPrinterStep()
{
    StepRunProgress();
    SendRunRequest("C0D");
}

void TFormVerbindung::StartRun(bool write)
{
    if (!m_main)
        return;
    m_main->ui3->ButtonAlleDatenLesen->setEnabled(false);
    m_main->ui3->ButtonAlleDatenSchreiben->setEnabled(false);
    (write ? WriteAllActive : ReadAllActive) = true;
    m_main->ui3->Label5->setText(QString());
    m_main->ui3->Label5->setVisible(true);
    m_main->ui3->ProgressAnzeige->setMaximum(m_main->ProgressTotal);
    m_main->ui3->ProgressAnzeige->setValue(0);
    m_main->ui3->ProgressAnzeige->repaint();
    if (write)
        WriteAddressStep(0);
    else
        ReadAddressStep(0);
}
