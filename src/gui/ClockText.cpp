#include "gui/ClockText.h"

QString WithFourDigitYear(const QString &dateFormat)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < dateFormat.size();) {
        const QChar c = dateFormat.at(i);
        if (c == u'\'') {
            // '' inside or outside a quote toggles twice: the state holds.
            quoted = !quoted;
            result += c;
            ++i;
        } else if (!quoted && c == u'y') {
            while (i < dateFormat.size() && dateFormat.at(i) == u'y')
                ++i;
            result += QStringLiteral("yyyy");
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

QString ClockText(const QLocale &locale, const QDateTime &when)
{
    // Short date formats of many locales have a two-digit year.
    const QString format = WithFourDigitYear(locale.dateFormat(QLocale::ShortFormat))
                           + QStringLiteral("   ") + locale.timeFormat(QLocale::ShortFormat);
    return locale.toString(when, format);
}

QLocale ClockLocale(int language, const QLocale &system)
{
    const QLocale::Language wanted = language == 0 ? QLocale::German : QLocale::English;
    if (system.language() == wanted)
        return system;
    return language == 0 ? QLocale(QLocale::German, QLocale::Germany)
                         : QLocale(QLocale::English, QLocale::UnitedKingdom);
}
