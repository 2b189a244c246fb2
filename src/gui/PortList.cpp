#include "gui/PortList.h"

#include <QComboBox>

void ListSerialPorts(QComboBox *list, const QString &portsDir, const QStringList &devices)
{
    for (const SerialPortEntry &port : DiscoverSerialPorts(portsDir, devices)) {
        int index = list->findText(port.name, Qt::MatchFixedString);
        if (index < 0) {
            // Kept sorted as text, as the user has always seen it.
            index = 0;
            while (index < list->count()
                   && QString::compare(list->itemText(index), port.name, Qt::CaseInsensitive) <= 0)
                ++index;
            list->insertItem(index, port.name);
        }
        // A name found again leads to where it leads now.
        list->setItemData(index, port.device, Qt::UserRole);
        list->setItemData(index, port.device, Qt::ToolTipRole);
    }
}

void ListSerialPorts(QComboBox *list, const QString &portsDir)
{
    ListSerialPorts(list, portsDir, SystemSerialDevices());
}
