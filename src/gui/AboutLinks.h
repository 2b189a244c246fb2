#pragma once
// The web and mail links of the about panel.

#include <QString>
#include <functional>

// The mail link's target: the caption ("mailto:...") with the program's name
// and version as subject, appended as it is (no escaping).
QString MailTarget(const QString &mailtoCaption);

// Opens an address with the desktop's default handler; false when nothing
// could open it.
bool OpenAddress(const QString &address);

// Opens an address in place of the desktop (tests hand in a recorder);
// false when nothing could open it.
using AddressOpener = std::function<bool(const QString &address)>;
