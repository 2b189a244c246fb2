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
