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
// The gateway does not answer the polls on `port` (`device`).
QString NotAnsweringText(int language, const QString &port, const QString &device);

// A page's status light for a screen reader, and what it shows (lit: red,
// not yet confirmed by the gateway; not lit: green, confirmed), also its tooltip.
QString StatusLightName(int language);
QString StatusLightText(bool lit, int language);

// The reason a port or file operation failed with, as the system words it
// (`systemText`), in `language` when it is one of the common ones: no such
// file or device, no permission, busy or locked, I/O error, hung up, no
// space, read-only file system, file name too long. Any other reason keeps
// the system's text.
QString ReasonText(const QString &systemText, int language);
// The reason of the system error number `error` (an errno value), the same way.
QString ReasonText(int error, int language);
// The reason a port gives when its device hung up.
QString HungUpReason();
