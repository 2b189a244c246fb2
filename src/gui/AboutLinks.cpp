#include "gui/AboutLinks.h"

#include <QDesktopServices>
#include <QUrl>

QString MailTarget(const QString &mailtoCaption)
{
    return mailtoCaption + QStringLiteral("?subject=") + QStringLiteral("PC / Velmora")
           + QLatin1Char(' ') + QStringLiteral("1.1.1");
}

bool OpenAddress(const QString &address)
{
    // Never through a shell: the desktop's handler gets the address as a URL.
    const QUrl url(address, QUrl::TolerantMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}
