#pragma once
// The ways the simulated gateway misbehaves on request: which record it
// answers with and what becomes of the reply's bytes. The timing faults
// (delay, duplicate) are the link's.

#include "GatewayModel.h"

#include <QByteArray>
#include <QString>

namespace GatewaySim {

enum class Fault {
    None, BadChecksum, Silence, Prefix, UnknownLetter, NoLf, Delay, OtherRecord, Duplicate, IgnoreWrites, ShortRecords
};

// The fault of an option value ("bad-checksum"); `ok` false for no fault's name.
Fault faultFromName(const QString &name, bool *ok);

// The request of the next record of the same kind: another address or
// product than asked for.
QByteArray neighbourOf(const QByteArray &command);

// `record` as a gateway that gets its own layout wrong sends it: points
// laid out for the next smaller firmware (five for ten, four for five), a
// product one character short, any other record as it is.
QByteArray shortRecord(const Gateway &gateway, const QByteArray &record);

// The bytes of a reply with `record` under `fault`, framed and with its line
// end; the faults that do not touch the bytes give the plain reply.
QByteArray replyBytes(Fault fault, const QByteArray &record);

} // namespace GatewaySim
