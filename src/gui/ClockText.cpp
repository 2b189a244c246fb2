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

QString SystemTimeLocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QLocale ClockLocale(int language, const QString &timeLocaleName)
{
    // "de_DE.UTF-8@euro": the encoding and the modifier say nothing of the
    // formats.
    QString name = timeLocaleName;
    name.truncate(name.indexOf(u'@') < 0 ? name.size() : name.indexOf(u'@'));
    name.truncate(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    if (!name.isEmpty() && name != QLatin1String("C") && name != QLatin1String("POSIX")) {
        const QLocale system(name);
        // A name Qt does not know gives the C locale: the window's language then.
        if (system.language() != QLocale::C)
            return system;
    }
    return language == 0 ? QLocale(QLocale::German, QLocale::Germany)
                         : QLocale(QLocale::English, QLocale::UnitedKingdom);
}
