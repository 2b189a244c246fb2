#pragma once
// The link to one gateway: the serial port, the line assembler, the polling
// until the gateway answers, the handshake, the firmware it names, the one
// send operation every request goes through, and the reply handling that
// stores records in the working file. It reports through signals and knows
// no window.

#include "core/Firmware.h"
#include "core/LineAssembler.h"
#include "core/Records.h"
#include "core/SerialPort.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class GatewaySession : public QObject
{
    Q_OBJECT
public:
    enum class State { Closed, Connecting, Online };
    Q_ENUM(State)

    // `port` replaces the real serial port (tests pass a recording one).
    explicit GatewaySession(WorkingFile &file, std::unique_ptr<SerialPort> port = {},
                            QObject *parent = nullptr);
    ~GatewaySession() override;

    // Opens the device at 9600 8N1 and polls once a second until the gateway
    // answers. On failure returns false with the reason.
    bool connectTo(const QString &devicePath, PortFailure *reason);
    // Closes the port (errors ignored) and stops polling; a run ends with it.
    void disconnect();
    bool isOpen() const;
    State state() const { return m_state; }
    bool isConnecting() const { return m_state == State::Connecting; }
    bool isPolling() const { return m_polling.isActive(); }
    int pollInterval() const { return m_polling.interval(); }
    // One poll, as the polling timer sends it.
    void pollOnce();
    // Polls without a valid reply after which notAnswering is sent.
    static constexpr int UnansweredPollLimit = 5;
    // Frames `command`, reports it and writes it; never waits for a reply.
    void send(const QByteArray &command);
    // The working file with every record received so far in it: what a
    // page reads before it builds its write.
    WorkingFile::Snapshot snapshotForWrite();
    // Sends the write request of a record checked before (a page's write
    // button). Its echo is stored only when it holds what was sent;
    // otherwise writeNotTaken names the values and the file keeps them.
    void sendWrite(const Record &record);
    // Received lines are handled at most this many in one turn of the event
    // loop, unless more than MaxPendingLines wait. While a line's handler
    // waits (a message box), lines beyond MaxPendingLines keep only the last
    // of each record, besides the answer awaited.
    static constexpr int LinesPerTurn = 200;
    static constexpr int MaxPendingLines = 2000;
    // Lines received and not yet handled.
    int pendingLines() const { return int(m_pending.size()); }
    // One received line, LF included, as the line assembler delivers it.
    void handleLine(const QByteArray &line);

    // What the gateway's firmware gives: rows, addresses, products, run length.
    const FirmwareFeatures &features() const { return m_features; }
    // "---" while closed, "unbekannt" while connecting, then e.g. "3.11".
    QString versionText() const { return m_versionText; }
    QByteArray lastRequestLine() const { return m_lastRequestLine; }
    // The port as the user knows it, recorded with a read-all: the device
    // path of the last connect unless the front end names it otherwise.
    QString portLabel() const { return m_portLabel; }
    void setPortLabel(const QString &label) { m_portLabel = label; }

    WorkingFile &file() const { return m_file; }
    SerialPort *port() const { return m_port.get(); }
    TransferRun &run() const { return *m_run; }
    // Starts a run for the firmware and port of the link; a write-all's
    // missing keys keep the values of `kept`, the gateway's records.
    void startRun(TransferRun::Kind kind, const QList<Record> &kept = {});
    RecordWriter &writer() const { return *m_writer; }

signals:
    void stateChanged(GatewaySession::State state);
    // The exchange indicator: "ping" blinking while polling, "ok" after each
    // valid reply, the first three characters of a request sent when online.
    void exchangeShown(const QString &text);
    void requestSent(const QByteArray &frame);
    void lineReceived(const QByteArray &line);
    void firmwareChanged();
    // A reply's record is in the working file (`duringRun`: as a run's step).
    void recordStored(const Record &record, bool duringRun);
    // The gateway has not answered this many polls in a row (sent once per
    // connection); polling goes on.
    void notAnswering(int polls);
    // The port went away (`loss` says why); the link is closed.
    void portLost(const PortFailure &loss);
    // An error to show to the user (a refused store, a field that is no number).
    void errorOccurred(const ReportedError &error);
    // The echo of a page's write differs from what was sent.
    void writeNotTaken(const QList<ValueDifference> &differences);

private:
    void received(const QByteArray &bytes);
    // Handles received lines, at most LinesPerTurn in one go unless more
    // than MaxPendingLines wait; the rest in a later turn of the event loop.
    void deliver();
    void clearPending();
    void dispatch(const QByteArray &line);
    void handshake(const QByteArray &line);
    void storeRecord(const Record &record, RecordWriter::Timing timing);
    // Says a refused store, unless the last store said the same and none
    // has succeeded since.
    void reportStoreError(const ReportedError &error);
    void lost(const PortFailure &loss);
    void flush();
    void setState(State state);

    WorkingFile &m_file;
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<RecordWriter> m_writer;
    std::unique_ptr<TransferRun> m_run;
    LineAssembler m_assembler;
    QList<QByteArray> m_pending;
    // Where in m_pending the line of each record received beyond
    // MaxPendingLines while a handler waits stands, and whether the answer
    // awaited is among them.
    QHash<QByteArray, qsizetype> m_heldLines;
    bool m_heldAwaited = false;
    bool m_delivering = false;
    bool m_deliveryQueued = false;
    QTimer m_polling;
    State m_state = State::Closed;
    FirmwareFeatures m_features;
    QString m_versionText = QStringLiteral("---");
    QString m_exchange;
    int m_unansweredPolls = 0;
    QByteArray m_lastRequestLine;
    QString m_portLabel;
    // The page's write awaiting its echo.
    std::optional<Record> m_pageWrite;
    // The last request sent, until a record answers it.
    QByteArray m_awaited;
    ReportedError m_reportedStoreError;
};
