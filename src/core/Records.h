#pragma once
// The gateway's records: a checked reply line becomes a record value (the
// section and keys it is stored under), and a record's values become a
// request, from a page's controls or from the working configuration file.

#include "core/Firmware.h"
#include "core/IniFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

class WorkingFile;

// The kind letter of a record in requests and replies.
enum class RecordKind : char { Points = 'Z', Product = 'P', Printer = 'D', Interface = 'I' };

// The keys of the interface record, in the order of its fields.
inline constexpr const char *InterfaceKeys[4] = {"BaudrateRS232", "ParameterRS232", "BaudrateRS485",
                                                 "ParameterRS485"};

struct Record
{
    RecordKind kind = RecordKind::Points;
    QString section;  // "QVR3", "PRODUKT7", "PRINTER", "INTERFACE"
    IniValues values; // in the order they are stored
    int address = -1; // terminal address of a points record (-1 for an unknown character)
    int product = 0;  // number of a product record
    // The first interface field that is no digit: stored as it came, then
    // reported as a conversion error.
    QString badField;

    QString value(const QString &key) const;
};

// `n` with a leading "0" to two digits ("07"); a longer number unchanged:
// the default of a point's or product's quality and EDV number.
QString TwoDigits(int n);

// The record of a reply line whose frame has been checked, for the firmware's
// layout; false for a line of another kind (version, handshake, unknown).
// Throws the conversion error for a product number that is not decimal.
bool RecordFromReply(const QByteArray &line, const FirmwareFeatures &features, Record *record);

// The read request of each record: "C0Z" + address character, "C0P" + two
// digits, "C0I", "C0D".
QByteArray PointsReadRequest(int address);
QByteArray ProductReadRequest(int number);
QByteArray InterfaceReadRequest();
QByteArray PrinterReadRequest();

// The write requests that the write-all run sends, with the values stored in
// the working file and the run's defaults for missing keys. A file that
// cannot be read throws IniError: no request from values that were not read.
QByteArray PointsRequestFromFile(const WorkingFile &file, int address, const FirmwareFeatures &features);
QByteArray ProductRequestFromFile(const WorkingFile &file, int number);
QByteArray InterfaceRequestFromFile(const WorkingFile &file);
QByteArray PrinterRequestFromFile(const WorkingFile &file);

// "C1Z" + address character + qualities of points 1-4 + EDV numbers of
// points 1-4, then quality and EDV number of point 5 when `hasPoint5`, then
// of points 6 to 10 in turn when `hasTenPoints`. `quality` and `edv` hold the
// ten points' two-character values.
QByteArray PointsWriteRequest(char address, const QList<QByteArray> &quality,
                              const QList<QByteArray> &edv, bool hasPoint5, bool hasTenPoints);

// "C1P" + number (two digits) + quality + name right-aligned in 10 characters.
QByteArray ProductWriteRequest(int number, const QByteArray &quality, const QByteArray &name);

// "C1D" + model (two characters, "0"-filled) + header filled with blanks to 40.
QByteArray PrinterWriteRequest(const QByteArray &model, const QByteArray &header);

// "C1I" + the four interface indexes, one digit each.
QByteArray InterfaceWriteRequest(const QList<int> &indexes);

// A stored interface value as the gateway takes it: its number when it is
// one of 0..5, else 3 (the default).
int InterfaceIndexOf(const QString &stored);
