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

    // The date speaks the window's language whatever the system's is; a
    // system in that language keeps its region's order and clock.
    void clockFollowsTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German window, C system") << 0 << "C" << "10.12.2026   20:35";
        QTest::newRow("German window, English system") << 0 << "en_US" << "10.12.2026   20:35";
        QTest::newRow("German window, German system") << 0 << "de_DE" << "10.12.2026   20:35";
        QTest::newRow("English window, German system") << 1 << "de_DE" << "10/12/2026   20:35";
        QTest::newRow("English window, C system") << 1 << "C" << "10/12/2026   20:35";
        QTest::newRow("English window, US system keeps its order") << 1 << "en_US" << "12/10/2026   8:35 PM";
    }
    void clockFollowsTheWindowsLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, system);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2026, 12, 10), QTime(20, 35, 41));
        QCOMPARE(ClockText(ClockLocale(language, QLocale(system)), when), expected);
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
