#include "Faults.h"

#include "core/Frame.h"

namespace GatewaySim {

Fault faultFromName(const QString &name, bool *ok)
{
    *ok = true;
    if (name == "none") return Fault::None;
    if (name == "bad-checksum") return Fault::BadChecksum;
    if (name == "silence") return Fault::Silence;
    if (name == "prefix") return Fault::Prefix;
    if (name == "unknown-letter") return Fault::UnknownLetter;
    if (name == "no-lf") return Fault::NoLf;
    if (name == "delay") return Fault::Delay;
    if (name == "other-record") return Fault::OtherRecord;
    if (name == "duplicate") return Fault::Duplicate;
    if (name == "ignore-writes") return Fault::IgnoreWrites;
    if (name == "short-records") return Fault::ShortRecords;
    *ok = false;
    return Fault::None;
}

QByteArray neighbourOf(const QByteArray &command)
{
    const QByteArray kind = command.left(3);
    if ((kind == "C0Z" || kind == "C1Z") && command.size() > 3) {
        const int a = addressOf(command.at(3));
        return a < 0 ? command : kind + AddressChars[(a + 1) % 36];
    }
    if (kind == "C0P" || kind == "C1P")
        return kind + two(command.mid(3, 2).toInt() % 20 + 1);
    return command;
}

QByteArray shortRecord(const Gateway &gateway, const QByteArray &record)
{
    if (record.startsWith("cZ"))
        return record.left(3 + 4 * (gateway.hasTenPoints() ? 5 : 4));
    if (record.startsWith("cP"))
        return record.chopped(1);
    return record;
}

QByteArray replyBytes(Fault fault, const QByteArray &record)
{
    switch (fault) {
    case Fault::Silence:
        return {};
    case Fault::BadChecksum: {
        QByteArray bytes = BuildRequestFrame(record);
        bytes[bytes.size() - 1] = bytes.at(bytes.size() - 1) == '0' ? '1' : '0';
        return bytes + "\r\n";
    }
    case Fault::Prefix:
        return "\x01" + BuildRequestFrame(record) + "\r\n";
    case Fault::UnknownLetter:
        return BuildRequestFrame("cX" + record.mid(2)) + "\r\n";
    case Fault::NoLf:
        return BuildRequestFrame(record);
    case Fault::None:
    case Fault::Delay:
    case Fault::Duplicate:
    case Fault::OtherRecord:
    case Fault::IgnoreWrites:
    case Fault::ShortRecords:
        break;
    }
    return BuildRequestFrame(record) + "\r\n";
}

} // namespace GatewaySim
