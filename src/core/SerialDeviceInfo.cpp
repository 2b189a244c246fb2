#include "core/SerialDeviceInfo.h"

#include "core/NetworkAddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// One line of a sysfs attribute; attributes are short, a bound keeps an odd
// file from costing more.
QString attribute(const QString &folder, const char *name)
{
    QFile file(folder + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(256)).section(u'\n', 0, 0).trimmed();
}

QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

QString SerialDeviceInfo::usbVendor() const
{
    return manufacturer.isEmpty() ? vendorId : manufacturer;
}

QString SerialDeviceInfo::usbProduct() const
{
    return product.isEmpty() ? productId : product;
}

SerialDeviceInfo DescribeSerialDevice(const QString &path, const QString &sysRoot, const QString &byIdFolder)
{
    SerialDeviceInfo info;
    // A network port is its address; there is no device to describe.
    if (NetworkAddress::looksLikeAddress(path)) {
        info.device = path;
        return info;
    }
    info.device = resolved(path);

    const QFileInfoList links =
        QDir(byIdFolder).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == info.device) {
            info.byId = link.absoluteFilePath();
            break;
        }
    }

    // The tty's device folder lies inside the USB interface, which lies
    // inside the USB device that carries the descriptor's attributes.
    const QString root = resolved(sysRoot);
    QString folder = QFileInfo(sysRoot + QStringLiteral("/class/tty/") + QFileInfo(info.device).fileName()
                               + QStringLiteral("/device"))
                         .canonicalFilePath();
    while (!folder.isEmpty() && folder.startsWith(root + u'/')) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor"))) {
            info.vendorId = attribute(folder, "idVendor");
            info.productId = attribute(folder, "idProduct");
            info.manufacturer = attribute(folder, "manufacturer");
            info.product = attribute(folder, "product");
            info.serialNumber = attribute(folder, "serial");
            break;
        }
        folder = QFileInfo(folder).path();
    }
    return info;
}
