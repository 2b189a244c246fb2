#pragma once
// A serial port that only notes when and what the tool writes, and hands
// the tool reply lines as if they had arrived: the tool's own time, with no
// wire and no terminal driver in it.

#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/SerialPort.h"

#include <QElapsedTimer>

class BenchPort : public SerialPort
{
public:
    QElapsedTimer clock;
    qint64 writtenAt = -1;
    QByteArray lastWritten;

    BenchPort() { clock.start(); }
    bool open(const QString &, PortFailure *) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void clearInput() override {}
    void clearOutput() override {}
    void write(const QByteArray &bytes) override
    {
        writtenAt = clock.nsecsElapsed();
        lastWritten = bytes;
    }
    // `record` framed as the gateway sends it, arriving in one piece.
    void reply(const QByteArray &record) { emit received(BuildRequestFrame(record) + "\r\n"); }
};

// Opens the session on `port` and answers its handshake and version request
// as a gateway with firmware `version` (e.g. "311") does.
inline bool GoOnline(GatewaySession &session, BenchPort &port, const QByteArray &version)
{
    PortFailure reason;
    if (!session.connectTo(QStringLiteral("bench"), &reason))
        return false;
    port.reply("cP0101Produkt  1");
    port.reply("cV" + version);
    return session.state() == GatewaySession::State::Online;
}
