#pragma once
// Line formats of the monitor log of the serial traffic.

#include <QByteArray>
#include <QStringList>
#include <QTime>

// The log keeps this many most recent lines: a day of polling without a
// gateway writes about 86,400, a read-all run fewer than 200.
inline constexpr int MonitorLineLimit = 100000;

// "hh:mm:ss:zzz", the time stamp in front of every logged line.
QString MonitorTimeStamp(const QTime &time);

// The line logged for a request sent: time, " # ", the framed request.
QString MonitorSentLine(const QString &request, const QTime &time);

// The lines logged for a received reply line: time, " # ", the trimmed text,
// then a separator of 69 "-" and one blank; nothing for a blank line.
QStringList MonitorReceivedLines(const QString &line, const QTime &time);

// The log's text for the clipboard: every line followed by CR LF.
QString MonitorClipboardText(const QString &plainText);

// The log as a plain text file: every line followed by LF, in UTF-8.
QByteArray MonitorFileContent(const QString &plainText);
