// Shows the main window with a fresh working file, opens each page in turn
// and saves what the window shows as <folder>/<page>.png.

#include "link/F_FormVerbindung.h"
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
    const int language = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1;
    QDir().mkpath(outFolder);

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
    form.SetLanguage(language);
    form.SetEditorPagesVisible(true);
    form.ImageDblClick(); // the monitor tab

    const struct
    {
        QWidget *page;
        const char *name;
    } pages[] = {{form.TabSheet1, "about"},          {form.TabSheet2, "configuration"},
                 {form.TabSheetInterface, "interface"}, {form.TabSheet4, "printer"},
                 {form.TabSheet3, "save-load"},       {form.TabSheetMonitor, "monitor"}};
    for (const auto &p : pages) {
        form.PageControl1->setCurrentWidget(p.page);
        QTest::qWait(50);
        const QString file =
            outFolder + QLatin1Char('/') + QLatin1String(p.name) + QStringLiteral(".png");
        if (!form.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
