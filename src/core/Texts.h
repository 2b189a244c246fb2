#pragma once
// The German/English text pairs of the tab captions, a few labels, the
// connect button, the progress texts of bulk runs and two messages.

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
