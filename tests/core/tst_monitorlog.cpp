#include "core/MonitorLog.h"

#include <QtTest>

class TestMonitorLog : public QObject
{
    Q_OBJECT
private slots:
    void timeStampHasMilliseconds()
    {
        QCOMPARE(MonitorTimeStamp(QTime(20, 35, 7, 123)), QStringLiteral("20:35:07:123"));
        QCOMPARE(MonitorTimeStamp(QTime(0, 0, 0, 5)), QStringLiteral("00:00:00:005"));
    }

    void sentLineIsTrimmedRequest()
    {
        QCOMPARE(MonitorSentLine(QStringLiteral(">C0P01<9E\r\n"), QTime(8, 1, 2, 3)),
                 QStringLiteral("08:01:02:003 # >C0P01<9E"));
    }

    void receivedLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        const QString separator = QString(69, u'-') + u' ';
        QTest::newRow("reply") << QStringLiteral(">P0101Produkt  1<3A\r\n")
                               << QStringList{QStringLiteral("12:00:00:000 # >P0101Produkt  1<3A"), separator};
        QTest::newRow("blanks and line end only") << QStringLiteral("   \r\n") << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("control characters around")
            << QStringLiteral("\x01\t>ok<\x7f\n") << QStringList{QStringLiteral("12:00:00:000 # >ok<\x7f"), separator};
        QTest::newRow("inner blanks kept") << QStringLiteral(" a  b \n")
                                           << QStringList{QStringLiteral("12:00:00:000 # a  b"), separator};
    }
    void receivedLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        const QStringList lines = MonitorReceivedLines(line, QTime(12, 0));
        QCOMPARE(lines, expected);
        if (!lines.isEmpty())
            QCOMPARE(lines.last().size(), 70);
    }

    void clipboardText_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty log") << QString() << QString();
        QTest::newRow("one line") << QStringLiteral("a") << QStringLiteral("a\r\n");
        QTest::newRow("two lines") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("trailing break") << QStringLiteral("a\n") << QStringLiteral("a\r\n");
        QTest::newRow("blank line inside") << QStringLiteral("a\n\nb") << QStringLiteral("a\r\n\r\nb\r\n");
    }
    void clipboardText()
    {
        QFETCH(QString, plain);
        QFETCH(QString, expected);
        QCOMPARE(MonitorClipboardText(plain), expected);
    }
};

QTEST_GUILESS_MAIN(TestMonitorLog)
#include "tst_monitorlog.moc"
