#pragma once
// The gateway's records as values: taken from a checked reply line, from the
// working configuration file or from a page's controls, checked against the
// layout, and turned into a request.

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/IniFile.h"
#include "core/WorkingFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct Record
{
    RecordKind kind = RecordKind::Points;
    QString section;  // "QVR3", "PRODUKT7", "PRINTER", "INTERFACE"
    IniValues values; // in the order they are stored
    int address = -1; // terminal address of a points record
    int product = 0;  // number of a product record
    // The first interface field that is no digit: stored as it came, then
    // reported as a conversion error.
    QString badField;

    RecordId id() const;
    QString value(const QString &key) const;
    // Replaces the value of `key` (a page's control in place of the file).
    void setValue(const QString &key, const QString &value);

    // What a reply line whose frame has been checked holds.
    enum class Reply {
        None,      // a line of another kind (version, handshake, unknown), or
                   // one that names no record (an address letter that is no
                   // address, a product number out of range)
        Valid,     // a record in the firmware's layout
        Malformed, // names a record, but its length or a control character
                   // does not fit the firmware's layout: only its id is set,
                   // and it must never be stored
    };
    // The record of a reply line, for the firmware's layout. Throws the
    // conversion error for a product number that is not decimal.
    static Reply fromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record);

    // The record as a write sends it from the file: the stored values, the
    // write's default for a missing key.
    static Record fromFile(const WorkingFile::Snapshot &file, const RecordId &id, const FirmwareFeatures &features);

    // Every value that does not fit its field of the write request.
    QList<ValueProblem> problems() const;

    // The write request. Only for a record without problems: a value that
    // does not fit would shift every later field.
    QByteArray toRequest() const;

    // The value of `key` as its field of the write request carries it
    // (a name left-filled to 10, a model to two digits, the header to 40).
    QString sentForm(const QString &key) const;

    // The values that `echo`, the gateway's answer to this record's write,
    // holds other than written (first: the value sent, second: the echo's).
    QList<ValueDifference> differencesTo(const Record &echo) const;
};

inline Record::Reply RecordFromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record)
{
    return Record::fromReply(line, features, record);
}

// The read request of a record: "C0Z" + address character, "C0P" + two
// digits, "C0I", "C0D".
QByteArray ReadRequest(const RecordId &record);

// True when the file holds at least one key of the record.
bool HoldsRecord(const WorkingFile::Snapshot &file, const RecordId &record);

// True when the file holds at least one key of any record of any firmware.
bool HoldsAnyRecord(const WorkingFile::Snapshot &file);

// Every value a write from the file would send for the firmware that does
// not fit its field, record by record in the run's order.
QList<ValueProblem> CheckFile(const WorkingFile::Snapshot &file, const FirmwareFeatures &features);

// What a write of a file to a gateway would do beyond sending its values.
struct WriteCheck
{
    QList<ValueProblem> problems;
    bool holdsRecords = false;   // the file holds at least one record of any firmware
    QString recordedFirmware;    // the firmware the file was read from, empty when unknown
    QString gatewayFirmware;
    QStringList defaulted;       // records the gateway has that the file lacks: sent as defaults
    QStringList skipped;         // records the file holds that the gateway does not take

    bool firmwareDiffers() const
    {
        return !recordedFirmware.isEmpty() && recordedFirmware != gatewayFirmware;
    }
    // A write that must not start without the user's consent.
    bool needsConsent() const { return firmwareDiffers() || !defaulted.isEmpty(); }
};

WriteCheck CheckWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                      const QString &gatewayFirmware);
