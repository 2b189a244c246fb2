#include "gui/ClockText.h"

#include <QtTest>

class TestClockText : public QObject
{
    Q_OBJECT
private slots:
    void clockShowsFourDigitYearInLocaleOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << "de_DE" << "08.12.2026   20:35";
        QTest::newRow("US: month first, 12-hour clock") << "en_US" << "12/8/2026   8:35 PM";
        QTest::newRow("British: already four digits") << "en_GB" << "08/12/2026   20:35";
        QTest::newRow("Korean: year first") << "ko_KR" << "2026. 12. 8.   오후 8:35";
        QTest::newRow("Bulgarian: quoted literals") << "bg_BG" << "8.12.2026 г.   20:35 ч.";
    }
    void clockShowsFourDigitYearInLocaleOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2026, 12, 8), QTime(20, 35, 41));
        QCOMPARE(ClockText(QLocale(locale), when), expected);
    }

    // The system's regional setting decides the formats; only under the
    // C/POSIX locale (or none) does the window's language.
    void clockFollowsTheRegionalSettings_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German window, US system") << 0 << "en_US.UTF-8" << "12/10/2026   8:35 PM";
        QTest::newRow("English window, German system") << 1 << "de_DE.UTF-8" << "10.12.2026   20:35";
        QTest::newRow("English window, German system with modifier") << 1 << "de_DE@euro" << "10.12.2026   20:35";
        QTest::newRow("German window, British system") << 0 << "en_GB.UTF-8" << "10/12/2026   20:35";
        QTest::newRow("German window, C system") << 0 << "C" << "10.12.2026   20:35";
        QTest::newRow("English window, C.UTF-8 system") << 1 << "C.UTF-8" << "10/12/2026   20:35";
        QTest::newRow("English window, POSIX system") << 1 << "POSIX" << "10/12/2026   20:35";
        QTest::newRow("German window, nothing set") << 0 << "" << "10.12.2026   20:35";
        QTest::newRow("English window, unknown name") << 1 << "xx_XX" << "10/12/2026   20:35";
    }
    void clockFollowsTheRegionalSettings()
    {
        QFETCH(int, language);
        QFETCH(QString, system);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2026, 12, 10), QTime(20, 35, 41));
        QCOMPARE(ClockText(ClockLocale(language, system), when), expected);
    }

    // LC_ALL overrides LC_TIME, which overrides LANG, as in the C library.
    void timeSettingIsTakenInTheLibrarysOrder_data()
    {
        QTest::addColumn<QString>("all");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("expected");
        QTest::newRow("LANG only") << "" << "" << "de_DE.UTF-8" << "de_DE.UTF-8";
        QTest::newRow("LC_TIME over LANG") << "" << "en_US.UTF-8" << "de_DE.UTF-8" << "en_US.UTF-8";
        QTest::newRow("LC_ALL over both") << "C" << "en_US.UTF-8" << "de_DE.UTF-8" << "C";
        QTest::newRow("none") << "" << "" << "" << "";
    }
    void timeSettingIsTakenInTheLibrarysOrder()
    {
        QFETCH(QString, all);
        QFETCH(QString, time);
        QFETCH(QString, lang);
        QFETCH(QString, expected);
        const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_TIME"), qgetenv("LANG")};
        const char *names[] = {"LC_ALL", "LC_TIME", "LANG"};
        const QString values[] = {all, time, lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i].isEmpty())
                qunsetenv(names[i]);
            else
                qputenv(names[i], values[i].toUtf8());
        }
        const QString seen = SystemTimeLocaleName();
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], saved[i]);
        }
        QCOMPARE(seen, expected);
    }

    void yearFieldsOutsideQuotesOnly_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two digits") << "dd.MM.yy" << "dd.MM.yyyy";
        QTest::newRow("four digits stay") << "yyyy-MM-dd" << "yyyy-MM-dd";
        QTest::newRow("quoted y stays") << "d 'yy' yy" << "d 'yy' yyyy";
        QTest::newRow("escaped quote") << "d''yy 'it''s y'" << "d''yyyy 'it''s y'";
    }
    void yearFieldsOutsideQuotesOnly()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(WithFourDigitYear(format), expected);
    }
};

QTEST_GUILESS_MAIN(TestClockText)
#include "tst_clocktext.moc"
