// Every caption of the real main window fits its control in both languages,
// with the fonts the package installs and the monitor tab shown or not.

#include "TextFit.h"
#include "WindowFixture.h"

#include "gui/PageControl.h"

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
};

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
