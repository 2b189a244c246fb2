#pragma once
// The main window: its pages, status bar, clock, hot keys, the confirmed
// close, the texts of both languages and the monitor log of the traffic.

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <memory>

class QComboBox;
class QLabel;
class PageControl;
class TFormVerbindung;

namespace Ui {
class TFormMain;
class TabSheet1;
class TabSheet2;
class TabSheetInterface;
class TabSheet4;
class TabSheet3;
class TabSheetMonitor;
} // namespace Ui

class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    // `programFolder` holds the working configuration file (with trailing '/').
    explicit TFormMain(const QString &programFolder, QWidget *parent = nullptr);
    ~TFormMain() override;

    // The device link, created after the main window.
    void SetFormVerbindung(TFormVerbindung *link) { FormVerbindung = link; }

    // Fields shared with the device link and the pages.
    int Language = 0;
    int MonitorActive = 0;
    QString IniFileName;
    QString VersionText;
    int ProductCount = 20;
    int ProgressBase = 17;
    int ProgressTotal = 37;
    TFormVerbindung *FormVerbindung = nullptr;

    // The working configuration file at IniFileName.
    QString ReadIniValue(const QString &section, const QString &key, const QString &def) const;
    void WriteIniValue(const QString &section, const QString &key, const QString &value) const;

    // Status bar panels 0..4.
    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString &text);

    // Language.
    void RefreshCaptions();
    void SetLanguage(int language);

    // Monitor log: toggle, and the lines the device link appends while it records.
    void ImageDblClick();
    void AppendMonitorLine(const QString &line);
    void LogSentRequest(const QString &requestLine);
    void LogReceivedLine(const QString &line);

    // Makes the editor pages' tabs visible (or hides them again).
    void SetEditorPagesVisible(bool visible);
    bool IsPageVisible(QWidget *page) const;

    // Pages, in tab order.
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *TabSheetInterface = nullptr;
    QWidget *TabSheet4 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QWidget *TabSheetMonitor = nullptr;
    PageControl *PageControl1 = nullptr;
    QTimer TimerUhrzeit;

    std::unique_ptr<Ui::TFormMain> ui;
    std::unique_ptr<Ui::TabSheet1> ui1;
    std::unique_ptr<Ui::TabSheet2> ui2;
    std::unique_ptr<Ui::TabSheetInterface> uiInterface;
    std::unique_ptr<Ui::TabSheet4> ui4;
    std::unique_ptr<Ui::TabSheet3> ui3;
    std::unique_ptr<Ui::TabSheetMonitor> uiMonitor;

    // ---- device link: connect button, firmware-dependent layout ----
    void Button1Click();
    // Closes the link as the connect button does and shows the offline state.
    void Disconnect();
    // Shows the rows, buttons and tab that the firmware values call for.
    void ApplyFirmwareLayout();
    void SetupLink();
    // Paints one status bar panel at once, without waiting for the event loop.
    void RepaintStatusPanel(int panel);
    // Read and write buttons of the editor pages (FormMainRequests.cpp).
    void SetupPageRequests();
    void SendRequest(const QByteArray &command);
    void ButtonKonfigurationLesenClick();
    void ButtonKonfigurationSchreibenClick();
    void Button2Click();
    void Button5Click();
    void ButtonDruckerAuslesenClick();
    void ButtonDruckerSchreibenClick();
    void ButtonReadInterfaceClick();
    void ButtonWriteInterfaceClick();
    void ButtonAlleDatenLesenClick();
    void ButtonAlleDatenSchreibenClick();

    // About page: pictures, web and mail links, language flags (FormMainAbout.cpp).
    void SetupAboutPage();
    void Label13Click(QLabel *sender);
    void Label14Click(QLabel *sender);
    void Label14MouseEnter(QObject *sender);
    void Label14MouseLeave(QObject *sender);
    void Image1Click();
    void Image2Click();

    // ---- editor pages: dispensing points, product group, interface, printer ----
    // Set when the product name field's text changes; cleared once stored.
    bool NameEdited = false;
    void SetupEditorPages();
    void TabSheet2Show();
    void LoadAddressPage(int address);
    void UpDown3Click(bool next);
    void PointComboSelect(int point, bool edv);
    // The quality or EDV list of dispensing point 1..10.
    QComboBox *PointCombo(int point, bool edv) const;
    void LoadProductGroup();
    void UpDown2Click(bool next);
    void ComboBox1Select();
    void Edit5Change();
    void Edit5Exit();
    void TabSheetInterfaceShow();
    void RadioGroupBaudrateRS232Click();
    void RadioGroupParameterRS232Click();
    void RadioGroupBaudrateRS485Click();
    void RadioGroupParameterRS485Click();
    void TabSheet4Show();
    void cbDruckerModellChange();
    void eKopfzeiledruckerExit();
    // Throws the read error of a working file that exists but cannot be
    // read; a write button calls it before it builds its request.
    void CheckIniReadable() const;
private:
    void StorePendingName();
    void ClearProductGroup();
    void InterfaceGroupClick(const QString &key, int index);
    bool m_nameTyped = false;
    bool m_loadingInterface = false;
    // Set while a page shows no values because its last load failed.
    bool m_pointsStale = false;
    bool m_productStale = false;
    bool m_printerStale = false;
    bool m_interfaceStale = false;

public:
    // ---- port list on the first page (FormMainPorts.cpp) ----
    // The folder given at construction, with trailing '/'; aliases live in its ports/.
    QString ProgramFolderPath() const { return m_programFolder; }
    // Refreshes cb_COM_Port while offline and selects its first item.
    void TabSheet1Show();
    // Also refreshes the list, without reselecting, when its drop-down is about to open.
    void SetupPortList();

public:
    // ---- save/load page: open, save a copy, run progress (FormMainSaveLoad.cpp) ----
    void SetupSaveLoadPage();
    void TabSheet3Show();
    void Button7Click();
    void Button8Click();
    // Clears the run text and resets the progress bar before a file action.
    void ResetSaveLoadProgress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormClose();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void TimerUhrzeitTimer();
    void TabSheetMonitorShow();
    void ButtonDebugCopyClick();
    void ButtonDebugClearClick();
    void ButtonDebugCloseClick();
    void PageShown(int index);
    void SetupFonts();
    void SetupStatusBar();

    QString m_programFolder;
    QLabel *m_panels[5] = {};
    bool m_shown = false;
};
