#pragma once
// The device link: owns the serial port, the reply line assembler, the
// polling timer and the link state, and offers the one send operation that
// every request goes through. Created hidden after the main window and never
// shown.

#include "core/SerialPort.h"
#include "core/LineAssembler.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>


class TFormMain;

class TFormVerbindung : public QObject
{
    Q_OBJECT
public:
    // `port` replaces the real serial port (tests pass a recording one).
    explicit TFormVerbindung(TFormMain *formMain, std::unique_ptr<SerialPort> port = {},
                             QObject *parent = nullptr);
    ~TFormVerbindung() override;

    // Opens port COM<number>; on failure tells the user and returns false.
    bool OpenPort(int number);
    // Closes the port (errors ignored), leaves the connecting state, stops polling.
    void ClosePort();
    bool IsPortOpen() const;
    // Frames `command`, logs it and writes it; never waits for a reply.
    void SendCommand(const QByteArray &command);
    void TimerPollingTimer();
    // One received line, LF included.
    void DataPacketStringPacket(const QByteArray &line);
    void HandleVersionReply(const QByteArray &line);
    void HandleProductReply(const QByteArray &line);
    void HandlePointsReply(const QByteArray &line);
    void HandlePrinterReply(const QByteArray &line);
    void HandleInterfaceReply(const QByteArray &line);
    // Diagnosis entry: handles a fixed dispensing-point record as if received.
    void Button1Click();

    SerialPort *Port() const { return ComPortDevice.get(); }

    // Read-all and write-all runs (F_FormVerbindungRuns.cpp).
    void StartRun(bool write);
    void WriteAddressStep(int address);
    void WriteProductStep(int number);
    void WriteInterfaceStep();
    void WritePrinterStep();
    void ReadAddressStep(int address);
    void ReadProductStep(int number);
    void ReadInterfaceStep();
    void ReadPrinterStep();
    // Ends a run whose reply has not come within RunTimeoutMs.
    void RunTimedOut();
    static constexpr int RunTimeoutMs = 3000;
    QTimer RunTimeout;

    LineAssembler Packet;
    std::unique_ptr<SerialPort> ComPortDevice;
    QTimer TimerPolling;
    QByteArray LastRequestLine;
    bool Connecting = false;
    int NextIndex = 0;
    bool ReadAllActive = false;
    bool WriteAllActive = false;

private:
    void SetRunProgressText(const QString &text);
    void StepRunProgress();
    void SendRunRequest(const QByteArray &command);
    // Ends a run: "OK" once its last reply is stored, or the reason it stopped.
    void EndRun();
    void AbortRun(const QString &text);
    void FinishRun(const QString &text);
    QString ReadStored(const QString &section, const QString &key, const QString &def);
    void Received(const QByteArray &bytes);
    void Lost(const QString &reason);
    void FlushPort();
    void Handshake(const QByteArray &line);

    TFormMain *m_main;
    QList<QByteArray> m_pending;
    bool m_delivering = false;
};
