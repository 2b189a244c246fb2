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

    // The record as a write sends it from the file: the stored values; a
    // key the file lacks takes its value from `kept` (the gateway's record,
    // read just before) and is null without it.
    static Record fromFile(const WorkingFile::Snapshot &file, const RecordId &id, const FirmwareFeatures &features,
                           const Record *kept = nullptr);

    // Every value that does not fit its field of the write request, a
    // missing one included.
    QList<ValueProblem> problems() const;
    // Every value that fits but may not be what was meant.
    QList<ValueProblem> doubts() const;

    // The write request. Only for a record without problems: a value that
    // does not fit would shift every later field.
    QByteArray toRequest() const;

    // The values that `echo`, the gateway's answer to this record's write,
    // holds other than written (first: the value sent, second: the echo's).
    // Values compare as the gateway holds them, so a name sent with its
    // blanks matches its right-aligned echo.
    QList<ValueDifference> differencesTo(const Record &echo) const;
};

inline Record::Reply RecordFromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record)
{
    return Record::fromReply(line, features, record);
}

// The read request of a record: "C0Z" + address character, "C0P" + two
// digits, "C0I", "C0D".
QByteArray ReadRequest(const RecordId &record);

// The record whose read request polls a gateway while connecting: any reply
// of its kind ends the handshake.
inline constexpr RecordId PollRecord{RecordKind::Product, 1};

// True when the file holds at least one key of the record.
bool HoldsRecord(const WorkingFile::Snapshot &file, const RecordId &record);

// True when the file holds at least one key of any record of any firmware.
bool HoldsAnyRecord(const WorkingFile::Snapshot &file);

// Every value the file holds for the firmware's records that would not fit
// its field, record by record in the run's order (a value split by a lone
// CR included). Keys the file lacks are not listed here: see MissingKeys.
QList<ValueProblem> CheckFile(const WorkingFile::Snapshot &file, const FirmwareFeatures &features);

// Values of the firmware's records that a lone CR splits: the reader takes
// the CR for a line end and would send only what stands before it. Looked
// for in a file whose lines end in LF, where a CR not before an LF lies
// inside a line.
QList<ValueProblem> SplitValues(const WorkingFile::Snapshot &file, const FirmwareFeatures &features);

// The keys of the firmware's records that the file lacks.
QList<ValueProblem> MissingKeys(const WorkingFile::Snapshot &file, const FirmwareFeatures &features);

// Values that fit but may not be what was meant: qualities and EDV numbers
// that are not two decimal digits, and values of a Windows-1252 file whose
// bytes read as UTF-8 text (typed in another encoding).
QList<ValueProblem> FileDoubts(const WorkingFile::Snapshot &file, const FirmwareFeatures &features);

// What a write of a file to a gateway would do beyond sending its values.
struct WriteCheck
{
    QList<ValueProblem> problems; // values that do not fit: nothing may be sent
    QList<ValueProblem> missing;  // keys of the gateway's records the file lacks
    QList<ValueProblem> doubts;   // values that fit but may not be what was meant
    bool holdsRecords = false;    // the file holds at least one record of any firmware
    QString recordedFirmware;     // [SOURCE] Firmware, empty when the file names none
    bool recordedComplete = false; // ... and the read that made the file was not cut short
    int recordedRecords = -1;      // [SOURCE] Records, -1 when not given
    QString gatewayFirmware;
    QStringList skipped; // records the file holds that the gateway does not take

    bool firmwareDiffers() const;
    bool typedInOtherEncoding() const;
    // The file can be written as it stands: it names the gateway's firmware,
    // the read that made it completed, it holds every key of the gateway's
    // records and no value that looks typed in another encoding. Any other
    // file is compared with the gateway first.
    bool vouchedFor() const;
};

WriteCheck CheckWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                      const QString &gatewayFirmware);

// What writing a file would change on the gateway, from the gateway's
// records read just before.
struct WriteComparison
{
    WriteCheck check;
    // The values the write would change: first the gateway's, second the file's.
    QList<ValueDifference> changes;
    int changedRecords = 0;
    int records = 0; // the records the write sends

    bool changesNothing() const { return changes.isEmpty(); }
};

// Compares the records a write of `file` would send with `gateway`, the
// gateway's records; a key the file lacks keeps the gateway's value.
WriteComparison CompareWrite(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                             const WriteCheck &check, const QList<Record> &gateway);

// The values a write of `file` sends (a missing key taking its value from
// `kept`) that `gateway`, the gateway's records, holds otherwise: first the
// value sent, second the gateway's. Values compare as the gateway holds
// them. `recordsDiffering`, when given, counts the records concerned.
QList<ValueDifference> ValuesNotHeld(const WorkingFile::Snapshot &file, const FirmwareFeatures &features,
                                     const QList<Record> &kept, const QList<Record> &gateway,
                                     int *recordsDiffering = nullptr);

// The gateway's record `id` among `records`, or null.
const Record *FindRecord(const QList<Record> &records, const RecordId &id);
