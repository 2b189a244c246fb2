#pragma once
// The words of the system's failure reasons, in German and English.

#include "texts/Texts.h"

#include <QSerialPort>
#include <QString>

// The reason of the system error number `error` (an errno value) in
// `language`: every reason a technician meets at a port, a file or a network
// link has words in both languages; a rare other one keeps the system's words.
QString ReasonText(int error, Language language);
// The reason of a port whose device is gone (a name left by an unplugged adapter).
QString NotPresentText(Language language);
// The reason of a port whose device hung up.
QString HungUpText(Language language);
// The reason of a port whose lock another program holds.
QString LockedText(Language language);
// What Qt's kind of port error says when the system gave no error number;
// empty for no error.
QString SerialErrorText(QSerialPort::SerialPortError error, Language language);
