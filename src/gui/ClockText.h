#pragma once
// The text of the status bar clock.

#include <QDateTime>
#include <QLocale>
#include <QString>

// `dateFormat` with every year field written with four digits ("dd.MM.yy"
// gives "dd.MM.yyyy"); quoted literal text is left alone.
QString WithFourDigitYear(const QString &dateFormat);

// The locale's short date with a four-digit year, three blanks, and its short
// time: "08.12.2026   20:35" under German settings.
QString ClockText(const QLocale &locale, const QDateTime &when);

// The clock's locale for the window's language (0 German, 1 English): the
// system's own when it speaks that language, so its region's order and clock
// apply; otherwise Germany's or the United Kingdom's.
QLocale ClockLocale(int language, const QLocale &system);
