#pragma once
// The port drop-down of the first page, filled from the port directory.

#include "core/PortDirectory.h"

class QComboBox;

// Appends to `list` the names it does not hold yet (compared without regard
// to case), at their place in text order, with the device path as tooltip
// and as Qt::UserRole data. Never removes anything.
void ListSerialPorts(QComboBox *list, const QString &portsDir, const QStringList &devices);

// As above, with the devices that Qt SerialPort finds.
void ListSerialPorts(QComboBox *list, const QString &portsDir);
