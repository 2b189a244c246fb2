#include "gui/AboutLinks.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

std::function<bool(const QString &)> &opener()
{
    static std::function<bool(const QString &)> current;
    return current;
}

} // namespace

QString MailTarget(const QString &mailtoCaption)
{
    return mailtoCaption + QStringLiteral("?subject=") + QStringLiteral("PC / Velmora")
           + QLatin1Char(' ') + QStringLiteral("1.1.1");
}

bool OpenAddress(const QString &address)
{
    if (opener())
        return opener()(address);
    // Never through a shell: the desktop's handler gets the address as a URL.
    const QUrl url(address, QUrl::TolerantMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void SetAddressOpener(std::function<bool(const QString &)> opener_)
{
    opener() = std::move(opener_);
}
