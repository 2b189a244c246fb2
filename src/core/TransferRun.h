#pragma once
// The read-all and write-all runs: one request per record, addresses first,
// then products, the interface record on firmware that has it, the printer
// last. Each checked reply sends the next request at once while its record
// is stored on the writer's thread; the run ends when the last record is
// stored, or when a reply does not come within the time-out.

#include "core/Records.h"

#include <QObject>
#include <QString>
#include <QTimer>

class GatewaySession;

class TransferRun : public QObject
{
    Q_OBJECT
public:
    enum class Kind { ReadAll, WriteAll };
    static constexpr int TimeoutMs = 3000;

    explicit TransferRun(GatewaySession &session);

    void start(Kind kind);
    bool isActive() const { return m_active; }
    Kind kind() const { return m_kind; }
    bool isTimerActive() const { return m_timeout.isActive(); }
    // The requests of the last run, and how many of its records were
    // stored in the working file (also after it ended).
    int total() const { return m_total; }
    int recordsStored() const { return m_stored; }
    // Ends the run under way with `text` (the port was lost).
    void abort(const QString &text);

    // The reply to the request outstanding: the run stores it and goes on.
    bool takesReply(const Record &record) const;
    void replyChecked(const Record &record);

signals:
    void started(int total);
    // The progress value after a request went out, and the step's text
    // (null when the step shows none).
    void progressed(int value, const QString &text);
    // "OK" when every record is stored, otherwise why the run stopped.
    void finished(bool ok, const QString &text);

private:
    enum class Stage { Addresses, Products, Interface, Printer };
    void sendNext();
    void finish(bool ok, const QString &text);
    QByteArray requestFor(Stage stage, int index) const;

    GatewaySession &m_session;
    QTimer m_timeout;
    Kind m_kind = Kind::ReadAll;
    bool m_active = false;
    Stage m_stage = Stage::Addresses;
    int m_index = 0;
    int m_progress = 0;
    int m_total = 0;
    bool m_lastReplyChecked = false;
    int m_stored = 0;
    quint64 m_generation = 0;
};
