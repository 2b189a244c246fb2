#include "gui/PortList.h"

#include "core/SerialDeviceInfo.h"

#include <QComboBox>

QString PortToolTip(const QString &devicePath)
{
    const SerialDeviceInfo info = DescribeSerialDevice(devicePath);
    QStringList lines{info.device};
    if (!info.byId.isEmpty())
        lines << info.byId;
    if (info.isUsb()) {
        QStringList usb{info.usbVendor(), info.usbProduct()};
        if (!info.serialNumber.isEmpty())
            usb << info.serialNumber;
        lines << usb.join(QStringLiteral(" \u00b7 "))
                     + QStringLiteral(" (USB %1:%2)").arg(info.vendorId, info.productId);
    }
    return lines.join(u'\n');
}

void ListSerialPorts(QComboBox *list, const QString &portsDir, const QStringList &devices)
{
    // An alias of an unplugged adapter could only fail to open.
    for (const QString &name : VanishedAliases(portsDir)) {
        const int index = list->findText(name, Qt::MatchFixedString);
        if (index >= 0)
            list->removeItem(index);
    }
    for (const SerialPortEntry &port : DiscoverSerialPorts(portsDir, devices)) {
        int index = list->findText(port.name, Qt::MatchFixedString);
        if (index < 0) {
            // Kept sorted as text ("COM10" before "COM2"), the order users know from the port list.
            index = 0;
            while (index < list->count()
                   && ComparePortNames(list->itemText(index), port.name) <= 0)
                ++index;
            list->insertItem(index, port.name);
        }
        // A name found again leads to where it leads now.
        list->setItemData(index, port.device, Qt::UserRole);
        list->setItemData(index, PortToolTip(port.device), Qt::ToolTipRole);
    }
}

void ListSerialPorts(QComboBox *list, const QString &portsDir)
{
    ListSerialPorts(list, portsDir, SystemSerialDevices());
}
