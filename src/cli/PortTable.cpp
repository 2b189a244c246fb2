#include "cli/PortTable.h"

namespace {

// Fixed columns for scripts: "-" where the system knows nothing.
QString column(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("-") : trimmed;
}

// "at I/O 0x3f8, IRQ 4", "at memory 0xfe201000", or empty.
QString placeOf(const SerialDeviceInfo &info)
{
    QString place;
    if (!info.ioPort.isEmpty())
        place = QStringLiteral("at I/O ") + info.ioPort;
    else if (!info.memoryBase.isEmpty())
        place = QStringLiteral("at memory ") + info.memoryBase;
    if (!place.isEmpty() && !info.irq.isEmpty() && info.irq != QLatin1String("0"))
        place += QStringLiteral(", IRQ ") + info.irq;
    return place;
}

} // namespace

QString PortKindText(const SerialDeviceInfo &info)
{
    switch (info.kind) {
    case SerialDeviceInfo::Kind::Usb:
        return info.driver.isEmpty() ? QStringLiteral("USB adapter")
                                     : QStringLiteral("USB adapter (%1)").arg(info.driver);
    case SerialDeviceInfo::Kind::SerialCore: {
        const QString place = placeOf(info);
        // The kernel keeps a port whose chip did not answer: nothing is behind it.
        if (info.uartType == 0)
            return QStringLiteral("serial port: no UART found") + (place.isEmpty() ? QString() : u' ' + place);
        QString chip = info.uartName.isEmpty() ? QStringLiteral("UART") : info.uartName + QStringLiteral(" UART");
        if (info.uartName.isEmpty() && info.uartType > 0)
            chip += QStringLiteral(" type %1").arg(info.uartType);
        return QStringLiteral("serial port: ") + chip + (place.isEmpty() ? QString() : u' ' + place);
    }
    case SerialDeviceInfo::Kind::PseudoTerminal:
        return QStringLiteral("pseudo-terminal");
    case SerialDeviceInfo::Kind::Other:
        break;
    }
    return QStringLiteral("serial device");
}

QStringList PortTableLines(const QVector<SerialPortEntry> &ports, SerialDeviceInfo (*describe)(const QString &path))
{
    QStringList lines{QStringLiteral("PORT\tDEVICE\tBY-ID\tUSB VENDOR\tUSB PRODUCT\tUSB SERIAL\tKIND")};
    for (const SerialPortEntry &entry : InListOrder(ports)) {
        // An address in ports/ names a server, not a device of this machine.
        if (entry.device.contains(QLatin1String("://"))) {
            lines << QStringList{entry.name, entry.device, QStringLiteral("-"), QStringLiteral("-"),
                                 QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("network port")}
                         .join(u'\t');
            continue;
        }
        const SerialDeviceInfo info = describe(entry.device);
        const bool usb = info.kind == SerialDeviceInfo::Kind::Usb;
        lines << QStringList{entry.name,
                             entry.device,
                             column(info.byId),
                             column(usb ? info.vendorId + u' ' + info.manufacturer : QString()),
                             column(usb ? info.productId + u' ' + info.product : QString()),
                             column(info.serialNumber),
                             PortKindText(info)}
                     .join(u'\t');
    }
    return lines;
}
