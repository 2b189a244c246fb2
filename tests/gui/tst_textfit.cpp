// Every caption of the real main window fits its control in both languages,
// with the fonts the package installs and the monitor tab shown or not.

#include "TextFit.h"

#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "shell/F_FormMain.h"
#include "gui/PageControl.h"

#include <QTemporaryDir>
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
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TFormMain form(dir.path() + u'/');
        TFormVerbindung link(&form);
        form.SetFormVerbindung(&link);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Every row that the largest firmware shows.
        HasPoint5 = true;
        HasTenPoints = true;
        const auto restore = qScopeGuard([] {
            HasPoint5 = false;
            HasTenPoints = false;
        });
        form.ApplyFirmwareLayout();
        form.SetEditorPagesVisible(true);
        form.SetStatusText(2, QStringLiteral("OFFLINE"));
        form.SetLanguage(language);
        if (monitor)
            form.ImageDblClick();

        QStringList problems;
        PageControl *pages = form.PageControl1;
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
