// Every caption of the real main window fits its control in both languages,
// with the fonts the package installs and the monitor tab shown or not.

#include "TextFit.h"
#include "WindowFixture.h"

#include "core/TransferRun.h"
#include "gui/ElidedLabel.h"
#include "gui/PageControl.h"
#include "gui/SaveLoadPage.h"
#include "texts/ErrorTexts.h"

#include <QtTest>

class TestTextFit : public QObject
{
    Q_OBJECT
private slots:
    void everyPageFits_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("monitor");
        QTest::newRow("German") << 0 << false;
        QTest::newRow("German, monitor tab") << 0 << true;
        QTest::newRow("English") << 1 << false;
        QTest::newRow("English, monitor tab") << 1 << true;
    }
    void everyPageFits()
    {
        QFETCH(int, language);
        QFETCH(bool, monitor);
        WindowFixture f;
        QVERIFY(f.dir.isValid());
        f.start();
        MainWindow &form = *f.window;

        // Every row that the largest firmware shows, with the captions of a
        // closed link.
        f.goOnline("311");
        QVERIFY(form.session().features().hasTenPoints);
        QTest::mouseClick(f.child<QPushButton>("Button1"), Qt::LeftButton);
        QVERIFY(!form.session().isOpen());
        form.setEditorPagesVisible(true);
        form.setLanguage(language);
        if (monitor)
            form.toggleMonitor();

        QStringList problems;
        PageControl *pages = form.pageControl();
        for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i))
                continue;
            pages->setCurrentIndex(i);
            problems << textfit::clippedTexts(&form);
        }
        problems.removeDuplicates(); // the tab bar is seen from every page
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The result line of the save/load page holds the longest ending of a
    // run whole, in both languages: a read-all cut short says why and how
    // much of it was stored.
    void longestRunResultsFit_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("outcome");
        for (int language : {0, 1}) {
            for (auto outcome : {RunResult::Outcome::NoReply, RunResult::Outcome::PortLost,
                                 RunResult::Outcome::BadRecord, RunResult::Outcome::Stopped}) {
                QTest::addRow("%s, outcome %d", language == 0 ? "German" : "English", int(outcome))
                    << language << int(outcome);
            }
        }
    }
    void longestRunResultsFit()
    {
        QFETCH(int, language);
        QFETCH(int, outcome);
        WindowFixture f;
        f.start();
        f.window->setEditorPagesVisible(true);
        f.showPage(f.window->saveLoadPage());
        const Language l = LanguageOfIndex(language);
        const QString text = RunResultText({RunResult::Outcome(outcome), {}, {RecordKind::Points, 23}}, l) + u' '
                             + RunStoredText(l, 45, 46);
        auto *line = f.child<QLabel>("Label5");
        line->show();
        SetWrappedText(line, text);
        QCOMPARE(line->text(), text);
        QCOMPARE(line->toolTip(), QString());
        const QStringList problems = textfit::clippedTexts(f.window.get());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // A text longer than the line's room is cut with "…" at its end; the
    // whole of it is the tooltip and the description for a screen reader.
    void overlongResultIsCutVisibly()
    {
        WindowFixture f;
        f.start();
        f.window->setEditorPagesVisible(true);
        f.showPage(f.window->saveLoadPage());
        auto *line = f.child<QLabel>("Label5");
        line->show();
        const QString text = QStringLiteral("/home/techniker/") + QString(60, u'x') + QStringLiteral(" ")
                             + QStringList(60, QStringLiteral("Velmora")).join(u' ');
        SetWrappedText(line, text);
        QVERIFY(line->text().endsWith(QChar(0x2026)));
        QVERIFY(text.startsWith(line->text().chopped(1)));
        QCOMPARE(line->toolTip(), text);
        QCOMPARE(line->accessibleDescription(), text);
        QVERIFY(textfit::clippedTexts(line->parentWidget()).isEmpty());
        SetWrappedText(line, QStringLiteral("OK"));
        QCOMPARE(line->toolTip(), QString());
    }
};

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
