#pragma once
// The port drop-down of the first page, filled from the port directory.

#include "core/PortDirectory.h"

class QComboBox;

// Appends to `list` the names it does not hold yet (compared without regard
// to case), at their place in text order, with the device path as
// Qt::UserRole data and a tooltip naming the device, its by-id link and its
// USB maker, product and serial number. Removes the names of aliases whose
// device is gone; other names stay.
void ListSerialPorts(QComboBox *list, const QString &portsDir, const QStringList &devices);

// As above, with the devices that Qt SerialPort finds.
void ListSerialPorts(QComboBox *list, const QString &portsDir);

// The tooltip of a port: the device, its by-id link and its USB description,
// one a line, each only when known.
QString PortToolTip(const QString &devicePath);
