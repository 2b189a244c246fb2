// Shows the main window with a fresh working file, the editor pages and the
// monitor tab, opens each page in turn in German and in English and saves
// what the window shows as <folder>/<de|en>/<page>.png. Then it shows the
// longest text of every kind of message in both languages: the save/load
// page's result line, the status bar's no-answer hint and the message boxes
// (saved as <message folder>/<de|en>/message-<kind>.png; the second argument,
// by default the first). Any caption that its
// control cuts off, and any message that does not fit, is listed, and the
// exit status is 2.

#include "TextFit.h"

#include "core/ConfigLayout.h"
#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/SerialPort.h"
#include "gui/ElidedLabel.h"
#include "gui/FirstPage.h"
#include "gui/InterfacePage.h"
#include "gui/MainWindow.h"
#include "gui/MonitorPage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/MessageBox.h"
#include "gui/SaveLoadPage.h"
#include "texts/ErrorTexts.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
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
    const QString messageFolder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : outFolder;

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
    window.setStatusText(MainWindow::PortPanel, QString());
    window.setStatusText(MainWindow::LinkStatePanel, QStringLiteral("OFFLINE"));
    window.setStatusText(MainWindow::ExchangePanel, QString());
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

    // The longest of each kind of message. A port alias may be any COM
    // number; a by-id path of a USB adapter is the longest device name.
    const QString longPort = QStringLiteral("COM256");
    const QString longDevice = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    QList<ValueDifference> allValues;
    for (int address = 0; address < 24; ++address) {
        for (int point = 1; point <= 10; ++point) {
            for (const char *key : {"Qualitaet", "EDV"})
                allValues.append({QStringLiteral("QVR%1").arg(address), QLatin1String(key) + QString::number(point),
                                  QString(QChar(0x1b)) + QChar(0x2028), QStringLiteral("99")});
        }
    }
    for (int product = 1; product <= 20; ++product) {
        allValues.append({QStringLiteral("PRODUKT%1").arg(product), QStringLiteral("Name"),
                          QStringLiteral("WWWWWWWWWW"), QStringLiteral("MMMMMMMMMM")});
    }
    const auto resultLines = [&](Language language) {
        const QString stored = RunStoredText(language, 45, 46);
        WriteComparison comparison;
        comparison.changes = allValues;
        comparison.changedRecords = 46;
        comparison.records = 46;
        return QStringList{
            RunResultText({RunResult::Outcome::NoReply}, language) + u' ' + stored,
            RunResultText({RunResult::Outcome::PortLost}, language) + u' ' + stored,
            RunResultText({RunResult::Outcome::BadRecord, {}, {RecordKind::Points, 23}}, language) + u' ' + stored,
            RunResultText({RunResult::Outcome::ValuesRefused}, language),
            ComparisonSummaryText(comparison, language),
        };
    };
    const auto boxTexts = [&](Language language) {
        return QList<QPair<QString, QString>>{
            {QStringLiteral("not-taken"), NotTakenText(allValues, language)},
            {QStringLiteral("port-lost"),
             LostConnectionText(language) + QStringLiteral("\n\n") + RunStoredText(language, 45, 46)},
            {QStringLiteral("cannot-open"), CaptionText(Caption::CannotOpenPort, language) + QStringLiteral("\n\n")
                                                + longPort + QStringLiteral(" (") + longDevice + QStringLiteral(")")
                                                + QStringLiteral("\n\n") + PermissionHintText(language)},
        };
    };
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto save = [&](QWidget *widget, const QString &file) {
        if (!widget->grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        return true;
    };

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
            window.setStatusText(MainWindow::ClockPanel, QStringLiteral("10.12.2026   08:00"));
            for (const QString &problem : textfit::clippedTexts(&window))
                clipped << QLatin1String(l.folder) + QLatin1Char(' ') + problem;
            const QString file = folder + QLatin1Char('/') + QLatin1String(p.name) + QStringLiteral(".png");
            if (!window.grab().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
        }

        const Language language = LanguageOfIndex(l.language);
        const QString messages = messageFolder + QLatin1Char('/') + QLatin1String(l.folder);
        QDir().mkpath(messages);
        const QString tag = QLatin1String(l.folder) + QLatin1Char(' ');
        // The save/load page's result line.
        window.pageControl()->setCurrentWidget(window.saveLoadPage());
        auto *result = window.findChild<QLabel *>(QStringLiteral("Label5"));
        result->show();
        int line = 0;
        for (const QString &text : resultLines(language)) {
            SetWrappedText(result, text);
            QTest::qWait(20);
            if (result->text() != text)
                clipped << tag + QStringLiteral("result line cut: ") + text;
            for (const QString &problem : textfit::clippedTexts(&window))
                clipped << tag + problem;
            if (!save(&window, messages + QStringLiteral("/message-result-%1.png").arg(++line)))
                return 1;
        }
        SetWrappedText(result, QString());

        // The status bar's hint while the gateway does not answer: every
        // panel but the maker's stays, the whole text is the tooltip.
        window.pageControl()->setCurrentWidget(window.firstPage());
        emit window.firstPage()->linkOpened(longPort, longDevice);
        emit session.notAnswering(3);
        emit session.exchangeShown(QStringLiteral("ping"));
        QTest::qWait(20);
        auto *hint = window.findChild<ElidedLabel *>(QStringLiteral("StatusHint"));
        const QString hintText = NotAnsweringText(language, longPort, longDevice);
        if (!hint || !hint->isVisible() || hint->toolTip() != hintText || hint->fullText() != hintText
            || !hintText.startsWith(hint->isElided() ? hint->text().chopped(1) : hint->text()))
            clipped << tag + QStringLiteral("hint not readable whole: ") + hintText;
        for (int panel = 1; panel < MainWindow::PanelCount; ++panel) {
            auto *label = window.findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(panel));
            if (!label || !label->isVisible() || label->width() < label->fontMetrics().horizontalAdvance(label->text()))
                clipped << tag + QStringLiteral("status panel %1 hidden or cut beside the hint").arg(panel);
        }
        for (const QString &problem : textfit::clippedTexts(window.statusBar()))
            clipped << tag + problem;
        if (!save(&window, messages + QStringLiteral("/message-hint.png")))
            return 1;
        emit session.exchangeShown(QStringLiteral("ok"));
        window.setStatusText(MainWindow::PortPanel, QString());
        window.setStatusText(MainWindow::ExchangePanel, QString());

        // The message boxes, on the 1024 x 768 screen.
        for (const auto &[kind, text] : boxTexts(language)) {
            const std::unique_ptr<QDialog> box = MakeMessageBox(QMessageBox::Critical, text, &window);
            box->show();
            if (!QTest::qWaitForWindowExposed(box.get()))
                return 1;
            QTest::qWait(50);
            if (!screen.contains(box->frameGeometry()))
                clipped << tag + QStringLiteral("message %1 is larger than the screen").arg(kind);
            for (const QString &problem : textfit::clippedTexts(box.get()))
                clipped << tag + QStringLiteral("message ") + kind + QLatin1Char(' ') + problem;
            if (!save(box.get(), messages + QStringLiteral("/message-%1.png").arg(kind)))
                return 1;
        }
    }
    clipped.removeDuplicates();
    for (const QString &problem : clipped)
        std::fprintf(stderr, "cut off: %s\n", qPrintable(problem));
    return clipped.isEmpty() ? 0 : 2;
}
