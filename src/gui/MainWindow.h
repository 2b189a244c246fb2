#pragma once
// The main window: start-up, the pages in their tabs, the status bar with
// its clock, the hot keys, the language, the monitor toggle and the
// confirmed close. The pages are classes of their own; this window only
// puts them together and connects them to the gateway session.

#include "core/GatewaySession.h"
#include "core/WorkingFile.h"
#include "gui/AboutLinks.h"
#include "gui/ErrorReport.h"
#include "gui/MonitorPage.h"
#include "gui/SaveLoadPage.h"
#include "gui/WindowLanguage.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <memory>

class QLabel;
class ElidedLabel;
class PageControl;
class FirstPage;
class PointsPage;
class InterfacePage;
class PrinterPage;
class SerialPort;

namespace Ui {
class TFormMain;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // `programFolder` holds the working file and ports/ (with trailing '/');
    // `port` replaces the real serial port (tests pass a recording one).
    explicit MainWindow(const QString &programFolder, std::unique_ptr<SerialPort> port = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    // Where error reports go (tests hand in a recorder); empty shows the
    // modal box.
    void setErrorReporter(ErrorReport::Handler reporter);
    const ErrorReport &errorReport() const { return m_errorReport; }
    // Stand in for the file dialogs of the save/load and the monitor page;
    // empty shows the dialogs.
    void setFileChooser(FileChooser chooser);
    void setLogFileChooser(LogFileChooser chooser);
    // Stands in for the desktop when a link of the first page is followed;
    // empty opens with the desktop.
    void setAddressOpener(AddressOpener opener);

    GatewaySession &session() { return *m_session; }
    WorkingFile &workingFile() { return m_file; }
    QString programFolder() const { return m_programFolder; }

    // 0 German, 1 English, as the language switch counts.
    int language() const { return IndexOfLanguage(m_language.current()); }
    // Switches every text to `language` for this run (Alt+F12).
    void setLanguage(int language);
    // Switches and stores the choice in the working file (the flags).
    void chooseLanguage(int language);

    // The panels of the status bar, left to right.
    enum StatusPanel { MakerPanel, PortPanel, LinkStatePanel, ExchangePanel, ClockPanel, PanelCount };
    QString statusText(StatusPanel panel) const;
    void setStatusText(StatusPanel panel, const QString &text);

    // The monitor page's tab, shown or hidden (Alt+F5, logo double-click).
    void toggleMonitor();
    bool monitorShown() const;
    // The clock of the status bar ticks until the window is closed.
    bool clockRunning() const { return m_clock.isActive(); }

    void setEditorPagesVisible(bool visible);
    bool isPageVisible(QWidget *page) const;
    PageControl *pageControl() const { return m_pages; }

    FirstPage *firstPage() const { return m_firstPage; }
    PointsPage *pointsPage() const { return m_pointsPage; }
    InterfacePage *interfacePage() const { return m_interfacePage; }
    PrinterPage *printerPage() const { return m_printerPage; }
    SaveLoadPage *saveLoadPage() const { return m_saveLoadPage; }
    MonitorPage *monitorPage() const { return m_monitorPage; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void setupStatusBar();
    void connectSession();
    void firstShow();
    bool confirmClose();
    bool handleHotKey(int key, Qt::KeyboardModifiers modifiers);
    void updateClock();
    void refreshCaptions();
    void pageShown(int index);
    void linkOpened(const QString &portName, const QString &device);
    void showNotAnswering(bool shown);
    void disconnectLink();
    void showOffline();
    void applyFirmwareLayout();

    ErrorReport m_errorReport;
    WindowLanguage m_language;
    QString m_programFolder;
    WorkingFile m_file;
    std::unique_ptr<GatewaySession> m_session;
    std::unique_ptr<Ui::TFormMain> m_ui;
    PageControl *m_pages = nullptr;
    FirstPage *m_firstPage = nullptr;
    PointsPage *m_pointsPage = nullptr;
    InterfacePage *m_interfacePage = nullptr;
    PrinterPage *m_printerPage = nullptr;
    SaveLoadPage *m_saveLoadPage = nullptr;
    MonitorPage *m_monitorPage = nullptr;
    QLabel *m_panels[PanelCount] = {};
    ElidedLabel *m_hint = nullptr;
    QTimer m_clock;
    bool m_shown = false;
    QString m_portName;
    QString m_device;
    bool m_notAnswering = false;
    QString m_cutRunNote;
};
