// Shows the main window with a fresh working file, the editor pages and the
// monitor tab, opens each page in turn in German and in English and saves
// what the window shows as <folder>/<de|en>/<page>.png. Any caption that its
// control cuts off is listed, and the exit status is 2.

#include "TextFit.h"

#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/SerialPort.h"
#include "gui/FirstPage.h"
#include "gui/InterfacePage.h"
#include "gui/MainWindow.h"
#include "gui/MonitorPage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/SaveLoadPage.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScopeGuard>
#include <QTest>
#include <cstdio>

namespace {
// Stands in for the serial port: the window learns a firmware version from
// it and no device is opened.
class PicturePort : public SerialPort
{
public:
    bool open(const QString &, PortFailure *) override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void clearInput() override {}
    void clearOutput() override {}
    void write(const QByteArray &) override {}
    void reply(const QByteArray &record) { emit received(BuildRequestFrame(record) + "\r\n"); }

private:
    bool m_open = false;
};
} // namespace

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
    auto owned = std::make_unique<PicturePort>();
    PicturePort &port = *owned;
    MainWindow window(programFolder.path() + QLatin1Char('/'), std::move(owned));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    // Every row that the largest firmware shows: its handshake and version
    // reply, then offline again, so that the pictures show no link.
    GatewaySession &session = window.session();
    PortFailure reason;
    session.connectTo(QStringLiteral("pictures"), &reason);
    port.reply("cP0101Produkt  1");
    port.reply("cV311");
    session.disconnect();
    window.setStatusText(1, QString());
    window.setStatusText(2, QStringLiteral("OFFLINE"));
    window.setStatusText(3, QString());
    window.setEditorPagesVisible(true);
    window.toggleMonitor(); // the monitor tab, with which the tabs are narrowest

    const struct
    {
        QWidget *page;
        const char *name;
    } pages[] = {{window.firstPage(), "about"},         {window.pointsPage(), "configuration"},
                 {window.interfacePage(), "interface"}, {window.printerPage(), "printer"},
                 {window.saveLoadPage(), "save-load"},  {window.monitorPage(), "monitor"}};
    const struct
    {
        int language;
        const char *folder;
    } languages[] = {{0, "de"}, {1, "en"}};

    QStringList clipped;
    for (const auto &l : languages) {
        window.setLanguage(l.language);
        const QString folder = outFolder + QLatin1Char('/') + QLatin1String(l.folder);
        QDir().mkpath(folder);
        for (const auto &p : pages) {
            window.pageControl()->setCurrentWidget(p.page);
            QTest::qWait(50);
            // A fixed clock text, set right before the picture, so that
            // refreshed pictures only differ where the program does.
            window.setStatusText(4, QStringLiteral("10.12.2026   08:00"));
            for (const QString &problem : textfit::clippedTexts(&window))
                clipped << QLatin1String(l.folder) + QLatin1Char(' ') + problem;
            const QString file = folder + QLatin1Char('/') + QLatin1String(p.name) + QStringLiteral(".png");
            if (!window.grab().save(file)) {
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
