#pragma once
// The gateway's records and the working configuration file, described once:
// for each kind of record its section, the number it carries and a table of
// its fields (key, place and width in a reply and a request, how a shorter
// value is filled, the form a value must have, the value of a new file).
// Reading a reply, building a request, checking a value, comparing an echo
// and the pages' input limits all follow these tables. A write never fills
// a missing key itself.

#include "core/Firmware.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The kind letter of a record in requests and replies: the only place the
// letters are spelled.
enum class RecordKind : char { Points = 'Z', Product = 'P', Printer = 'D', Interface = 'I' };

// One record of the gateway: its kind and number (terminal address of a
// points record, product number of a product record, 0 for the others).
struct RecordId
{
    RecordKind kind = RecordKind::Points;
    int number = 0;
    bool operator==(const RecordId &o) const { return kind == o.kind && number == o.number; }
    bool operator!=(const RecordId &o) const { return !(*this == o); }
};

// The form a value must have to fit its field of a request.
enum class ValueForm {
    TwoCharacters,  // qualities and EDV numbers
    Name,           // a product name, at most 10 characters
    Header,         // the printer header, at most 40 characters
    PrinterModel,   // a number 0..3, sent in two digits
    InterfaceIndex, // a whole number 0..5 ("3", "03", " 3"), sent as one digit
};

// How a value fills its field in a write request.
enum class Alignment {
    Exact, // sent as it stands: its form asks for the field's width
    Right, // right-aligned, filled on the left
    Left,  // left-aligned, filled on the right
};

// What a new file holds for a field.
enum class Initial {
    Text,         // the field's initial text
    PointNumber,  // point k of a terminal address holds k, in two digits
    RecordNumber, // the record's number, in two digits
    ProductName,  // "Produkt" and the number right-aligned in two characters
};

// What a numbered record carries in front of its fields.
enum class NumberField {
    None,
    AddressCharacter, // the terminal address as its character of AddressChars
    TwoDigits,        // the product number in two decimal digits
};

// One field of a record. Its place is the same in a reply and in a write
// request, counted from the character after the kind letter. How a field is
// read follows from its form: a header loses its blanks and control
// characters at both ends, an interface index that is no digit is a
// conversion error.
struct Field
{
    RecordKind kind = RecordKind::Points;
    QString key;
    int point = 0;  // the dispensing point of a points record's field, 1..10
    int offset = 0;
    int width = 0;
    Alignment alignment = Alignment::Exact;
    // What fills a shorter value to its width on sending. Never a value of
    // its own: a key the file lacks sends nothing made up.
    char fill = ' ';
    ValueForm form = ValueForm::TwoCharacters;
    Initial initial = Initial::Text;
    QString initialText;
};

// Why a value does not fit its field, or, for the warnings, why it fits but
// may not be what its author meant.
enum class Misfit {
    Form,            // too long, too short or out of range for its form
    FrameCharacter,  // "<" or ">", which end a request's frame
    ControlCharacter,
    NoWindows1252,   // a character the gateway's single-byte text lacks
    Missing,         // the file lacks the key: there is no value to send
    // Warnings: the value is sent as it stands.
    NotTwoDigits,    // a quality or EDV number that is not two decimal digits
    TypedAsUtf8,     // a value of a Windows-1252 file whose bytes read as UTF-8 text
};

// True for the misfits that only warn.
inline bool IsWarning(Misfit misfit)
{
    return misfit == Misfit::NotTwoDigits || misfit == Misfit::TypedAsUtf8;
}

struct ValueProblem
{
    QString section;
    QString key;
    QString value;
    ValueForm form = ValueForm::TwoCharacters;
    Misfit misfit = Misfit::Form;
    QString character; // the offending character of the character misfits
    bool isWarning() const { return IsWarning(misfit); }
};

// A value of a record that differs between two configurations, or between
// what was sent and what the gateway echoed. A null text stands for a key
// that is missing.
struct ValueDifference
{
    QString section;
    QString key;
    QString first;
    QString second;
};

namespace ConfigLayout {

inline constexpr int MaxAddresses = 24;
inline constexpr int MaxProducts = 20;

// The section and key of the window's language, 0 German, 1 English.
inline constexpr char LanguageSection[] = "Speech";
inline constexpr char LanguageKey[] = "Speech";
inline constexpr char LanguageInitial[] = "0";

// The section holding where a file's values came from: firmware, date, port,
// whether the read that made it completed ("yes"/"no") and how many records
// it stored, and the file's encoding where its bytes alone would mislead.
inline constexpr char SourceSection[] = "SOURCE";
inline constexpr char SourceFirmwareKey[] = "Firmware";
inline constexpr char SourceDateKey[] = "Date";
inline constexpr char SourcePortKey[] = "Port";
inline constexpr char SourceCompleteKey[] = "Complete";
inline constexpr char SourceRecordsKey[] = "Records";
inline constexpr char SourceEncodingKey[] = "Encoding";
inline constexpr char Windows1252Name[] = "windows-1252";

// Every record of every firmware: 24 addresses of ten points, 20 products,
// the interface and the printer.
FirmwareFeatures largestLayout();

// The features of a version as written ("3.11") or as a number ("311");
// nothing when it is neither.
std::optional<FirmwareFeatures> featuresOfVersion(const QString &version);

// True when two versions name the same firmware in either form ("3.11",
// "311"); texts that are no version match only themselves.
bool sameVersion(const QString &a, const QString &b);

// The records a run handles for the firmware, in the run's order.
QList<RecordId> records(const FirmwareFeatures &features);

// Dispensing points per terminal address: 4, 5 or 10.
int pointCount(const FirmwareFeatures &features);

// "QVR3", "PRODUKT7", "PRINTER", "INTERFACE".
QString section(const RecordId &record);

// The kind whose letter `letter` is; nothing for any other character.
std::optional<RecordKind> kindOfLetter(char letter);

// What a record of `kind` carries in front of its fields, and how many
// characters it takes.
NumberField numberField(RecordKind kind);
int numberWidth(RecordKind kind);
// The record's number as it stands in a request ("B" for address 11, "07").
QString numberText(const RecordId &record);

// The fields of a record in the order they are stored; a points record has
// those of its first `points` points.
const QList<Field> &fields(RecordKind kind, int points = 10);
// The same fields in the order they follow each other on the wire.
const QList<Field> &wireFields(RecordKind kind, int points = 10);
// The field of `key`, or null for a key the record does not have.
const Field *field(RecordKind kind, const QString &key);
// The width of the field of `key`: the longest value a page takes for it.
int fieldWidth(RecordKind kind, const QString &key);
// The characters of a record in a reply or a request after its kind letter.
int recordLength(RecordKind kind, int points = 10);

// `value` as its field sends it: an interface index as its digit, a shorter
// value filled to the field's width. A longer value is never shortened.
QString sentForm(const Field &field, const QString &value);
// A field's characters as received, as they are stored.
QString receivedForm(const Field &field, const QString &text);
// True for a field received without the blanks and control characters at
// its ends (the printer header, which comes filled with blanks).
bool trimmedOnReceipt(const Field &field);

// The record a section holds, for sections of the largest layout.
std::optional<RecordId> recordOfSection(const QString &section);

// The keys of a record in the order they are stored; a points record has
// `points` qualities, then as many EDV numbers.
QStringList keys(RecordKind kind, int points = 10);

// The key of point `point`'s quality or EDV number.
QString pointKey(int point, bool edv);
// The keys of a product's quality and name, a printer's model and header.
QString productQualityKey();
QString productNameKey();
QString printerModelKey();
QString printerHeaderKey();

// The value a new file holds.
QString fileDefault(const RecordId &record, const QString &key);
// The value a page shows for a key missing from the file (a product's name
// "Produkt 7", unpadded; otherwise as in a new file). Never sent unless the
// user takes it over by writing the page.
QString shownDefault(const RecordId &record, const QString &key);

ValueForm formOf(RecordKind kind, const QString &key);

// Whether `value` fits its field; nothing when it does. A null value is a
// missing key.
std::optional<ValueProblem> check(const QString &section, const QString &key, const QString &value, ValueForm form);

// A value that fits but may not be what was meant (a quality or EDV number
// that is not two decimal digits); nothing when there is no doubt or the
// value does not fit at all.
std::optional<ValueProblem> doubt(const QString &section, const QString &key, const QString &value, ValueForm form);

// The number an interface value stands for ("03" and " 3" stand for 3);
// -1 when it is no whole number.
int interfaceIndex(const QString &value);

// `value` as the gateway holds it after a write of it (a name right-aligned
// in 10 characters, a model in two digits, the header trimmed, an interface
// index as one digit), so that a value and its echo or read-back compare.
QString heldForm(RecordKind kind, const QString &key, const QString &value);

} // namespace ConfigLayout

// The bytes of a new working configuration file with its 787 default
// entries, exactly as the same number of single value writes would leave them.
QByteArray DefaultIniContent();

// `n` with a leading "0" to two digits ("07"); a longer number unchanged.
QString TwoDigits(int n);
