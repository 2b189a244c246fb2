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

// The name of the system's regional setting for dates and times, as the C
// library takes it: LC_ALL, else LC_TIME, else LANG ("de_DE.UTF-8"); empty
// when none is set.
QString SystemTimeLocaleName();

// The clock's locale: the system's regional setting `timeLocaleName` when it
// names one; under the C/POSIX locale (or none) the window's language (0
// German, 1 English), as Germany or the United Kingdom write it.
QLocale ClockLocale(int language, const QString &timeLocaleName);
