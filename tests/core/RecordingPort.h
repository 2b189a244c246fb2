#pragma once
// A serial port that records what the tool writes, for session and window
// tests; it answers read requests like a gateway with fixed records, laid
// out for the firmware its last version reply named, and write requests
// with their echo, when `answer` is set.

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/SerialPort.h"
#include "ReplyBuilders.h"

#include <QList>
#include <QTimer>

#include <cerrno>

class RecordingPort : public SerialPort
{
public:
    bool opens = true;
    // Why the port does not open when `opens` is false.
    PortFailure refusal{PortFailure::Cause::System, QSerialPort::PermissionError, EACCES};
    bool opened = false;
    QString device;
    QList<QByteArray> written;
    int inputFlushes = 0;
    int outputFlushes = 0;
    bool answer = false;
    bool echoWrites = true; // false: writes are answered with the fixed records
    int silentAfter = -1; // leaves the request with this index unanswered
    int lostAt = -1;      // the device goes away while the request with this index is written
    int points = 4;       // per address, as the tool assumes until a version reply

    bool open(const QString &devicePath, PortFailure *reason) override
    {
        device = devicePath;
        if (!opens) {
            *reason = refusal;
            return false;
        }
        opened = true;
        return true;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void clearInput() override { ++inputFlushes; }
    void clearOutput() override { ++outputFlushes; }
    void write(const QByteArray &bytes) override
    {
        written << bytes;
        if (written.size() - 1 == lostAt) {
            unplug();
            return;
        }
        if (answer)
            QTimer::singleShot(0, this, [this, bytes] { answerRequest(bytes); });
    }

    void answerRequest(const QByteArray &frame)
    {
        if (written.size() - 1 == silentAfter)
            return;
        const QByteArray c = frame.mid(1, frame.indexOf('<') - 1);
        // A write is answered with its echo, as a gateway that took it.
        if (c.mid(1, 1) == "1" && echoWrites)
            reply("c" + c.mid(2));
        else if (const QByteArray record = FixedRecordReply(c, points); !record.isEmpty())
            reply(record);
    }

    // A framed reply line as the gateway sends it.
    void reply(const QByteArray &record)
    {
        const QByteArray line = BuildRequestFrame(record) + "\r\n";
        if (record.startsWith("cV"))
            points = ConfigLayout::pointCount(FeaturesForVersion(VersionNumberOf(line)));
        emit received(line);
    }
    void inject(const QByteArray &bytes) { emit received(bytes); }
    void unplug() { emit lost(PortFailure{PortFailure::Cause::System, QSerialPort::ResourceError, ENODEV}); }
};
