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

// The chip names of the kernel's UART types (PORT_* in serial_core.h) that
// a PC or its cards carry.
QString uartTypeName(int type)
{
    switch (type) {
    case 1: return QStringLiteral("8250");
    case 2: return QStringLiteral("16450");
    case 3: return QStringLiteral("16550");
    case 4: return QStringLiteral("16550A");
    case 5: return QStringLiteral("Cirrus");
    case 6: return QStringLiteral("16650");
    case 7: return QStringLiteral("16650V2");
    case 8: return QStringLiteral("16750");
    case 9: return QStringLiteral("Startech");
    case 10: return QStringLiteral("16C950");
    case 11: return QStringLiteral("16654");
    case 12: return QStringLiteral("16850");
    case 13: return QStringLiteral("RSA");
    case 14: return QStringLiteral("NS16550A");
    default: return QString();
    }
}

// A sysfs address ("0x3F8", "0x0") in lower case, empty for none.
QString address(const QString &text)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 0);
    return ok && value != 0 ? QStringLiteral("0x") + QString::number(value, 16) : QString();
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

    if (info.device.startsWith(QLatin1String("/dev/pts/"))) {
        info.kind = SerialDeviceInfo::Kind::PseudoTerminal;
        return info;
    }

    // A port of the serial core shows its UART beside the tty's name.
    const QString ttyFolder = sysRoot + QStringLiteral("/class/tty/") + QFileInfo(info.device).fileName();
    const QString type = attribute(ttyFolder, "type");
    if (!type.isEmpty()) {
        info.kind = SerialDeviceInfo::Kind::SerialCore;
        bool ok = false;
        info.uartType = type.toInt(&ok);
        if (!ok)
            info.uartType = -1;
        info.uartName = uartTypeName(info.uartType);
        info.ioPort = address(attribute(ttyFolder, "port"));
        info.memoryBase = address(attribute(ttyFolder, "iomem_base"));
        info.irq = attribute(ttyFolder, "irq");
        return info;
    }

    // The tty's device folder lies inside the USB interface, which lies
    // inside the USB device that carries the descriptor's attributes.
    const QString root = resolved(sysRoot);
    const QString deviceFolder = QFileInfo(ttyFolder + QStringLiteral("/device")).canonicalFilePath();
    QString folder = deviceFolder;
    while (!folder.isEmpty() && folder.startsWith(root + u'/')) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor"))) {
            info.kind = SerialDeviceInfo::Kind::Usb;
            info.vendorId = attribute(folder, "idVendor");
            info.productId = attribute(folder, "idProduct");
            info.manufacturer = attribute(folder, "manufacturer");
            info.product = attribute(folder, "product");
            info.serialNumber = attribute(folder, "serial");
            const QString driver = QFileInfo(deviceFolder + QStringLiteral("/driver")).canonicalFilePath();
            if (!driver.isEmpty())
                info.driver = QFileInfo(driver).fileName();
            break;
        }
        folder = QFileInfo(folder).path();
    }
    return info;
}
