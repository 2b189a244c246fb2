#pragma once
// The words of the system's failure reasons, in German and English.

#include "texts/Texts.h"

#include <QString>

// The reason a port or file operation failed with, as the system words it
// (`systemText`), in `language` when it is one of the common ones: no such
// file or device, no permission, busy or locked, I/O error, hung up, no
// space, read-only file system, file name too long. Any other reason keeps
// the system's text.
QString ReasonText(const QString &systemText, Language language);
// The reason of the system error number `error` (an errno value), the same way.
QString ReasonText(int error, Language language);
// The reason of a port whose device is gone (a name left by an unplugged adapter).
QString NotPresentText(Language language);
// The reason of a port whose device hung up.
QString HungUpText(Language language);
