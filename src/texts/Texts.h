#pragma once
// The words of the program in German and English: the tab captions, a few
// labels, the connect button, the progress texts of bulk runs, and the
// messages that say what the core reports.

#include "texts/Language.h"

#include <QList>
#include <QString>
#include <QStringList>

// The captions and labels that have a word in each language.
enum class Caption {
    ConfigurationTab,
    SaveLoadTab,
    PrinterTab,
    InterfaceTab,
    PrinterGroup,
    DispensingPointStep, // followed by the terminal address
    ProductStep,         // followed by the product number
    Connect,
    Disconnect,
    BaudRateEdv,
    BaudRateQvr,
    HeadlineLabel,
    HeadlineLength,
    ProductGroup,
    QuitQuestion,
    CannotOpenPort,
};

QString CaptionText(Caption caption, Language language);

// The caption of the controls that carry `tag` (their "tag" property in the
// window's forms); empty when the tag has none.
QString TaggedCaptionText(int tag, Language language);

// The program's caption, on its message boxes.
inline constexpr const char *AppCaption = "PC / Velmora";

// The link to the gateway was lost (adapter pulled, hang-up).
QString LostConnectionText(Language language);
// A port refused for lack of rights.
QString PermissionHintText(Language language);
// A run whose reply did not come in time.
QString NoReplyText(Language language);
// A read-all run that ended early: how many of its records reached the file.
QString RunStoredText(Language language, int stored, int total);
// The gateway does not answer the polls on `port` (`device`).
QString NotAnsweringText(Language language, const QString &port, const QString &device);

struct ValueProblem;
struct ValueDifference;
struct WriteCheck;
struct WriteComparison;

// A value in a one-line listing: quoted, every unprintable character
// escaped (\r, \n, \t, \x1b, \u2028).
QString QuotedValue(const QString &value);
// "[QVR0] Qualitaet1: "123" is not two characters".
QString ValueProblemText(const ValueProblem &problem, Language language);
// The one message of a write refused for values that do not fit: a heading,
// then one line per value.
QString ValueProblemsText(const QList<ValueProblem> &problems, Language language);
// Saving the working file as itself.
QString SaveOntoItselfText(Language language);
// A file to be copied that does not exist.
QString MissingFileText(const QString &file, Language language);
// A chosen file that is a folder, a FIFO or a device.
QString NotOpenableText(const QString &file, Language language);
// The heading of a save that failed; its reason follows.
QString SaveFailedText(const QString &target, Language language);
// A write refused because the file holds no record of the gateway.
QString NoRecordsText(const QString &file, Language language);
// Why a write compares the file with the gateway before sending it: no or
// another firmware named, a read cut short, missing keys, values typed in
// another encoding, records the firmware lacks. One line each.
QStringList WhyComparedLines(const WriteCheck &check, Language language);
// The keys a file lacks: a record missing whole as one line ("[QVR3]: is
// missing (20 values)"), otherwise one line a key.
QStringList MissingLines(const QList<ValueProblem> &missing, Language language);
// The records a file holds that the gateway's firmware does not take.
QString SkippedRecordsText(const QStringList &sections, Language language);
// "Writing changes 3 values in 2 of 46 records of the Velmora."
QString ComparisonSummaryText(const WriteComparison &comparison, Language language);
// "[QVR8] EDV1: Velmora "58", file "08"".
QString ComparisonLineText(const ValueDifference &change, Language language);
// The question after the comparison.
QString ComparisonQuestionText(Language language);
// The comparison's table: its name for a screen reader, and its column
// headers (section, key, the Velmora's value, the file's value, a note).
QString ComparisonTableName(Language language);
QStringList ComparisonColumnTexts(Language language);
// The file's side of a key the file lacks, and the note beside it.
QString ComparisonMissingText(Language language);
QString ComparisonKeptText(Language language);
// What a warning says of its value, the value itself left out:
// "ist nicht zweistellig (00 bis 99)".
QString DoubtReasonText(const ValueProblem &doubt, Language language);
// The result line of a write the user did not agree to after the comparison.
QString WriteDeclinedText(Language language);
// "[QVR0] EDV3: sent "12", the Velmora has "34"".
QString NotTakenLineText(const ValueDifference &difference, Language language);
// The list of values the gateway did not take, with its heading.
QString NotTakenText(const QList<ValueDifference> &differences, Language language);
// The run's closing text when the gateway did not take every value.
QString NotTakenLabelText(Language language);
// A page's status light for a screen reader, and what it shows (lit: red,
// not yet confirmed by the gateway; not lit: green, confirmed), also its tooltip.
QString StatusLightName(Language language);
QString StatusLightText(bool lit, Language language);

// Names for a screen reader of controls whose caption alone does not tell
// them apart, or that have no caption.
// The arrows of a stepper: the previous or the next value.
QString StepperArrowName(bool next, Language language);
// The progress bar of the read-all and write-all runs.
QString RunProgressName(Language language);
// The arrows that scroll the page tabs.
QString TabScrollName(bool right, Language language);
// The configuration page's read and write buttons and status lights, of
// the dispensing points or of the product.
enum class PointsPart { Points, Product };
QString PartReadName(PointsPart part, Language language);
QString PartWriteName(PointsPart part, Language language);
QString PartStatusLightName(PointsPart part, Language language);
