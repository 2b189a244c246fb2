#pragma once
// The simulated gateway's end of a pseudo-terminal: takes framed requests,
// lets the model answer them, misbehaves as asked, and sends the replies at
// once or paced like a 9600 baud wire, held as a USB adapter's latency
// timer holds them. In flood mode it also sends its records on its own,
// round after round with new values, at a given line speed or as fast as the
// terminal takes them: a gateway whose values change faster than anyone
// reads them.

#include "Faults.h"
#include "GatewayModel.h"

#include <QByteArray>
#include <QList>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

namespace GatewaySim {

class Simulator : public QObject
{
public:
    Simulator(int master, Gateway &gateway);

    // Holds what crosses the wire as a USB adapter's chip does: until its
    // latency timer of `ms` runs out, or a USB packet is full.
    void setLatency(int ms);
    // Flood mode: from the first version request on, for `seconds`, every
    // record of the firmware is sent on its own, round after round with new
    // values, at `bytesPerSecond` as a wire carries them, or with 0 as fast
    // as the terminal takes them. Its end is announced on standard output.
    void setFlood(double bytesPerSecond, double seconds);

    bool pace = false;
    Fault fault = Fault::None;
    int faultAfter = 0;  // replies answered normally before the faults start
    int faultCount = -1; // faulty replies, -1 for all
    int delayMs = 5000;
    bool verbose = false;
    bool turnaround = false;

private:
    void readRequests();
    void handle(const QByteArray &line);
    void reply(const QByteArray &record);
    void queue(const QByteArray &bytes);
    void sendPaced();
    void deliver(const QByteArray &bytes);
    void passHeld();
    void writeAll(const QByteArray &bytes);
    void startFlood();
    void floodStep();
    void endFlood();

    // 62 data bytes in the 64 bytes of a full-speed USB packet.
    static constexpr qsizetype UsbPacketData = 62;

    int m_master;
    Gateway &m_gateway;
    QSocketNotifier *m_notifier;
    QByteArray m_in;
    QByteArray m_out;
    QTimer m_sender;
    QTimer m_latency;
    int m_latencyMs = 0;
    QByteArray m_held;
    QElapsedTimer m_clock;
    double m_wireFree = 0;
    int m_answered = 0;
    int m_faulty = 0;
    bool m_faultNow = false; // the request being answered gets the fault
    qint64 m_repliedAt = -1; // when the last reply bytes went to the tool

    double m_floodRate = 0;    // bytes per second, 0: unpaced
    double m_floodSeconds = 0; // 0: no flood
    QList<QByteArray> m_floodRequests;
    bool m_floodStarted = false;
    qint64 m_floodStartedAt = 0;
    qsizetype m_floodIndex = 0;
    int m_floodRound = 0;
    qint64 m_floodBytes = 0;
    long m_floodLines = 0;
    std::chrono::steady_clock::time_point m_floodLastAt;
    QSocketNotifier *m_floodWritable;
    QTimer m_floodNext;
    QTimer m_floodEnd;
};

} // namespace GatewaySim
