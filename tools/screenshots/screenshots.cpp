// Shows the main window with a fresh working file, the editor pages and the
// monitor tab, opens each page in turn in German and in English and saves
// what the window shows as <folder>/<de|en>/<page>.png. Any caption that its
// control cuts off is listed, and the exit status is 2.

#include "TextFit.h"

#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "shell/F_FormMain.h"
#include "gui/PageControl.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScopeGuard>
#include <QTest>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString outFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    // A fixed folder: its path shows on the configuration page.
    QDir programFolder(QDir::temp().filePath(QStringLiteral("velmora-screenshots")));
    programFolder.removeRecursively();
    if (!programFolder.mkpath(QStringLiteral(".")))
        return 1;
    const auto cleanUp = qScopeGuard([&] { programFolder.removeRecursively(); });
    TFormMain form(programFolder.path() + QLatin1Char('/'));
    TFormVerbindung link(&form);
    form.SetFormVerbindung(&link);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    // Fixed clock text, so that refreshed pictures only differ where the
    // program does.
    form.TimerUhrzeit.stop();
    form.SetStatusText(4, QStringLiteral("10.12.2026   08:00"));
    // Every row that the largest firmware shows.
    HasPoint5 = true;
    HasTenPoints = true;
    form.ApplyFirmwareLayout();
    form.SetEditorPagesVisible(true);
    form.ImageDblClick(); // the monitor tab, with which the tabs are narrowest

    const struct
    {
        QWidget *page;
        const char *name;
    } pages[] = {{form.TabSheet1, "about"},          {form.TabSheet2, "configuration"},
                 {form.TabSheetInterface, "interface"}, {form.TabSheet4, "printer"},
                 {form.TabSheet3, "save-load"},       {form.TabSheetMonitor, "monitor"}};
    const struct
    {
        int language;
        const char *folder;
    } languages[] = {{0, "de"}, {1, "en"}};

    QStringList clipped;
    for (const auto &l : languages) {
        form.SetLanguage(l.language);
        const QString folder = outFolder + QLatin1Char('/') + QLatin1String(l.folder);
        QDir().mkpath(folder);
        for (const auto &p : pages) {
            form.PageControl1->setCurrentWidget(p.page);
            QTest::qWait(50);
            for (const QString &problem : textfit::clippedTexts(&form))
                clipped << QLatin1String(l.folder) + QLatin1Char(' ') + problem;
            const QString file = folder + QLatin1Char('/') + QLatin1String(p.name) + QStringLiteral(".png");
            if (!form.grab().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
        }
    }
    clipped.removeDuplicates();
    for (const QString &problem : clipped)
        std::fprintf(stderr, "cut off: %s\n", qPrintable(problem));
    return clipped.isEmpty() ? 0 : 2;
}
