#pragma once
// The German/English text pairs of the tab captions, a few labels, the
// connect button, the progress texts of bulk runs and two messages.

#include <QList>
#include <QString>

inline constexpr int TextPairCount = 16;

// TextPairs[entry][Language] in UTF-8; Language 0 is German, 1 English.
extern const char *const TextPairs[TextPairCount][2];

// TextPairs[entry][language] as text; language 0 gives German, anything else English.
QString TextPair(int entry, int language);

// The program's caption, on its message boxes.
inline constexpr const char *AppCaption = "PC / Velmora";

// The link to the gateway was lost (adapter pulled, hang-up).
QString LostConnectionText(int language);
// A port refused for lack of rights.
QString PermissionHintText(int language);
// A run whose reply did not come in time.
QString NoReplyText(int language);
// A read-all run that ended early: how many of its records reached the file.
QString RunStoredText(int language, int stored, int total);
// The gateway does not answer the polls on `port` (`device`).
QString NotAnsweringText(int language, const QString &port, const QString &device);

struct ValueProblem;
struct ValueDifference;
struct WriteCheck;

// A value in a one-line listing: quoted, control characters escaped.
QString QuotedValue(const QString &value);
// "[QVR0] Qualitaet1: "123" is not two characters".
QString ValueProblemText(const ValueProblem &problem, int language);
// The one message of a write refused for values that do not fit: a heading,
// then one line per value.
QString ValueProblemsText(const QList<ValueProblem> &problems, int language);
// A write refused because the file holds no record of the gateway.
QString NoRecordsText(const QString &file, int language);
// What differs between a file and the gateway it is to be written to: the
// firmware, and the records written as defaults or skipped; no question.
QString FirmwareDifferenceText(const WriteCheck &check, int language);
// The question before such a write.
QString FirmwareQuestionText(const WriteCheck &check, int language);
// "[QVR0] EDV3: sent "12", the Velmora has "34"".
QString NotTakenLineText(const ValueDifference &difference, int language);
// The list of values the gateway did not take, with its heading.
QString NotTakenText(const QList<ValueDifference> &differences, int language);
// The run's closing text when the gateway did not take every value.
QString NotTakenLabelText(int language);
// A page's status light for a screen reader, and what it shows (lit: red,
// not yet confirmed by the gateway; not lit: green, confirmed), also its tooltip.
QString StatusLightName(int language);
QString StatusLightText(bool lit, int language);
