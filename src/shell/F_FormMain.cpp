#include "shell/F_FormMain.h"

#include "gui/RadioGroup.h"
#include "core/IniFile.h"
#include "link/F_FormVerbindung.h"
#include "core/Firmware.h"
#include "gui/ErrorReport.h"
#include "core/MonitorLog.h"
#include "gui/Language.h"
#include "core/Texts.h"
#include "gui/ClockText.h"
#include "gui/Fonts.h"
#include "gui/ProgramIcon.h"

#include "ui_FormMain.h"
#include "ui_TabSheet1.h"
#include "ui_TabSheet2.h"
#include "ui_TabSheet3.h"
#include "ui_TabSheet4.h"
#include "ui_TabSheetInterface.h"
#include "ui_TabSheetMonitor.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include "gui/PageControl.h"

namespace {

constexpr char VersionCaption[] = "PC / Velmora 1.1.1";
constexpr char MakerPanelText[] = "Beispiel Zapftechnik GmbH  2004 - 2026";
constexpr int PanelWidths[4] = {220, 90, 130, 80};
constexpr int TabWidth = 130;
constexpr int TabWidthWithMonitor = 115;
// The system's 3-D dark shadow colour of the version and progress labels.
const QColor DarkShadow(105, 105, 105);

const QStringList BaudRateItems = {
    QStringLiteral("1200 Baud"),  QStringLiteral("2400 Baud"),  QStringLiteral("4800 Baud"),
    QStringLiteral("9600 Baud (default)"), QStringLiteral("19200 Baud"), QStringLiteral("38400 Baud")};
const QStringList FormatItems = {
    QStringLiteral("7-N-1"), QStringLiteral("7_E-1"), QStringLiteral("7-O-1"),
    QStringLiteral("8-N-1 (default)"), QStringLiteral("8-E-1"), QStringLiteral("8-O-1")};

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

TFormMain::TFormMain(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TFormMain>()),
      ui1(std::make_unique<Ui::TabSheet1>()),
      ui2(std::make_unique<Ui::TabSheet2>()),
      uiInterface(std::make_unique<Ui::TabSheetInterface>()),
      ui4(std::make_unique<Ui::TabSheet4>()),
      ui3(std::make_unique<Ui::TabSheet3>()),
      uiMonitor(std::make_unique<Ui::TabSheetMonitor>()),
      m_programFolder(programFolder)
{
    // Fonts are set before the controls exist: setting them afterwards would
    // send every control a font change, which slows the start noticeably.
    setFont(FormFont(11));
    ui->setupUi(this);
    PageControl1 = ui->PageControl1;
    const QFont pageFont = PageFont(11);
    PageControl1->setFont(pageFont);
    const auto newPage = [&pageFont] {
        auto *page = new QWidget;
        page->setFont(pageFont);
        return page;
    };

    // The pages, in tab order.
    TabSheet1 = newPage();
    ui1->setupUi(TabSheet1);
    TabSheet2 = newPage();
    ui2->setupUi(TabSheet2);
    TabSheetInterface = newPage();
    uiInterface->setupUi(TabSheetInterface);
    TabSheet4 = newPage();
    ui4->setupUi(TabSheet4);
    TabSheet3 = newPage();
    ui3->setupUi(TabSheet3);
    TabSheetMonitor = newPage();
    uiMonitor->setupUi(TabSheetMonitor);
    uiMonitor->MemoDebug->setMaximumBlockCount(MonitorLineLimit);
    PageControl1->addTab(TabSheet1, QString::fromUtf8(AppCaption));
    PageControl1->addTab(TabSheet2, TextPair(0, 0));
    PageControl1->addTab(TabSheetInterface, TextPair(3, 0));
    PageControl1->addTab(TabSheet4, TextPair(2, 0));
    PageControl1->addTab(TabSheet3, TextPair(1, 0));
    PageControl1->addTab(TabSheetMonitor, QStringLiteral("Monitor"));

    setFixedSize(750, 500);
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    SetupFonts();
    SetupStatusBar();

    // Key preview: the hot keys and Escape reach the window before the
    // focused control.
    qApp->installEventFilter(this);
    ui1->Image->installEventFilter(this);

    connect(&TimerUhrzeit, &QTimer::timeout, this, Guarded([this] { TimerUhrzeitTimer(); }));
    connect(PageControl1, &QTabWidget::currentChanged, this,
            Guarded([this](int index) { PageShown(index); }));
    connect(uiMonitor->ButtonDebugCopy, &QPushButton::clicked, this,
            Guarded([this] { ButtonDebugCopyClick(); }));
    connect(uiMonitor->ButtonDebugClear, &QPushButton::clicked, this,
            Guarded([this] { ButtonDebugClearClick(); }));
    connect(uiMonitor->ButtonDebugClose, &QPushButton::clicked, this,
            Guarded([this] { ButtonDebugCloseClick(); }));

    SetupLink();
    SetupPageRequests();
    SetupAboutPage();
    SetupEditorPages();
    SetupPortList();
    SetupSaveLoadPage();
    FormCreate();
}

TFormMain::~TFormMain()
{
    qApp->removeEventFilter(this);
}

void TFormMain::SetupFonts()
{
    ui1->LabelTitel->setFont(PageFont(12, true));
    for (QLabel *link : {ui1->LabelUrl, ui1->LabelMailto}) {
        QFont font = PageFont(11);
        font.setUnderline(true);
        link->setFont(font);
        setTextColour(link, Qt::blue);
    }
    setTextColour(ui1->Label8, DarkShadow);
    setTextColour(ui1->lVERSION, DarkShadow);
    setTextColour(ui3->Label5, DarkShadow);
    QFont small = ui2->Label47->font();
    small.setPixelSize(9); // 7 point
    ui2->Label47->setFont(small);
}

void TFormMain::SetupStatusBar()
{
    QStatusBar *bar = ui->StatusBar;
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 4)
            panel->setFixedWidth(PanelWidths[i]);
        bar->addWidget(panel, i < 4 ? 0 : 1);
        m_panels[i] = panel;
    }
    m_panels[0]->setText(QString::fromUtf8(MakerPanelText));
}

void TFormMain::FormCreate()
{
    MonitorActive = 0;
    VersionText = QStringLiteral("---");
    ProductCount = 20;
    ProgressBase = 17;
    HasPoint5 = false;
    HasTenPoints = false;

    PageControl1->setCurrentWidget(TabSheet1);
    setWindowTitle(QString::fromUtf8(VersionCaption));
    ui1->LabelTitel->setText(QString::fromUtf8(VersionCaption));
    setTextColour(ui1->LabelTitel, QColor(188, 207, 19));
    ProgressTotal = ProgressBase + ProductCount;

    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetMonitor), false);
    PageControl1->setTabWidth(TabWidth);

    uiInterface->RadioGroupBaudrateRS232->setItems(BaudRateItems);
    uiInterface->RadioGroupBaudrateRS485->setItems(uiInterface->RadioGroupBaudrateRS232->items());
    uiInterface->RadioGroupParameterRS232->setItems(FormatItems);
    uiInterface->RadioGroupParameterRS485->setItems(uiInterface->RadioGroupParameterRS232->items());

    // Centred on the desktop; Qt's device-independent pixels keep the
    // 750 x 500 proportions on any screen scale.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TFormMain::FormShow()
{
    SetEditorPagesVisible(false);
    ui1->Button1->setFocus();
    SetStatusText(2, QStringLiteral("OFFLINE"));
    TimerUhrzeit.start(1000);
    TimerUhrzeitTimer();

    IniFileName = m_programFolder + QString::fromLatin1(IniBaseName);
    Language = 0;
    try {
        // Copies left by a write that was killed before it finished.
        RemoveStaleTemporaryFiles(IniFileName);
        CreateDefaultIniFile(IniFileName);
        bool ok = false;
        const int stored = ReadIniValue(QStringLiteral("Speech"), QStringLiteral("Speech"),
                                        QStringLiteral("0"))
                               .toInt(&ok);
        Language = (ok && stored != 0) ? 1 : 0;
    } catch (const IniError &error) {
        // The tool still starts, in German, and says why its file is missing.
        const QString text = error.text();
        QMetaObject::invokeMethod(this, [text] { ShowErrorReport(text); }, Qt::QueuedConnection);
    }
    RefreshCaptions();
    ApplyLanguage(Language == 0 ? 0 : EnglishOffset);
    TabSheet1Show();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    bool quit = false;
    RunGuarded([&] { quit = FormClose(); });
    if (quit)
        event->accept();
    else
        event->ignore();
}

bool TFormMain::FormClose()
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(AppCaption), TextPair(14, Language),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("QuitQuestion"));
    if (box.exec() != QMessageBox::Yes)
        return false;
    TimerUhrzeit.stop();
    if (FormVerbindung) {
        try {
            FormVerbindung->ClosePort();
        } catch (...) {
            // Closing the link must not keep the program from ending.
        }
    }
    return true;
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui1->Image && event->type() == QEvent::MouseButtonDblClick) {
        RunGuarded([this] { ImageDblClick(); });
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    const auto *keyEvent = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers =
        keyEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (keyEvent->key() == Qt::Key_Escape && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        // Escape asks to close, with the confirmation of the close itself.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return true;
    }
    bool handled = false;
    RunGuarded([&] { handled = FormKeyDown(keyEvent->key(), modifiers); });
    return handled;
}

bool TFormMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Each hot key counts only with exactly its modifier held.
    bool handled = false;
    if (key == Qt::Key_F5 && modifiers == Qt::AltModifier) {
        ImageDblClick();
        handled = true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::ShiftModifier) {
        SetEditorPagesVisible(true);
        PageControl1->setCurrentWidget(TabSheet1);
        handled = true;
    }
    if (key == Qt::Key_F12 && modifiers == Qt::AltModifier) {
        SetLanguage(Language == 0 ? 1 : 0);
        handled = true;
    }
    return handled;
}

void TFormMain::SetLanguage(int language)
{
    Language = language == 0 ? 0 : 1;
    ApplyLanguage(Language == 0 ? 0 : EnglishOffset);
    RefreshCaptions();
}

void TFormMain::RefreshCaptions()
{
    PageControl1->setTabText(PageControl1->indexOf(TabSheet2), TextPair(0, Language));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet3), TextPair(1, Language));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet4), TextPair(2, Language));
    PageControl1->setTabText(PageControl1->indexOf(TabSheetInterface), TextPair(3, Language));
    ui4->GroupBoxPrinter->setTitle(TextPair(4, Language));
    uiInterface->LabelBaudrate232->setText(TextPair(9, Language));
    uiInterface->LabelBaudrate485->setText(TextPair(10, Language));
    ui4->LabelDruckerKopfzeile->setText(TextPair(11, Language));
    ui4->LabelDruckerFusszeile->setText(TextPair(12, Language));
    ui2->GroupBoxProduktName->setTitle(TextPair(13, Language));
    ui1->Button1->setText(TextPair(StatusText(2) == QLatin1String("OFFLINE") ? 7 : 8, Language));
}

void TFormMain::TimerUhrzeitTimer()
{
    SetStatusText(4, ClockText(QLocale::system(), QDateTime::currentDateTime()));
    ui1->lVERSION->setText(VersionText);
    ui1->lVERSION->repaint();
}

QString TFormMain::StatusText(int panel) const
{
    return (panel >= 0 && panel < 5) ? m_panels[panel]->text() : QString();
}

void TFormMain::SetStatusText(int panel, const QString &text)
{
    if (panel >= 0 && panel < 5)
        m_panels[panel]->setText(text);
}

QString TFormMain::ReadIniValue(const QString &section, const QString &key,
                                const QString &def) const
{
    return ::ReadIniValue(IniFileName, section, key, def);
}

void TFormMain::WriteIniValue(const QString &section, const QString &key,
                              const QString &value) const
{
    ::WriteIniValue(IniFileName, section, key, value);
}

void TFormMain::CheckIniReadable() const
{
    ReadIniFile(IniFileName);
}

void TFormMain::SetEditorPagesVisible(bool visible)
{
    for (QWidget *page : {TabSheet2, TabSheet3, TabSheet4, TabSheetInterface})
        PageControl1->setTabVisible(PageControl1->indexOf(page), visible);
}

bool TFormMain::IsPageVisible(QWidget *page) const
{
    return PageControl1->isTabVisible(PageControl1->indexOf(page));
}

void TFormMain::PageShown(int index)
{
    QWidget *page = PageControl1->widget(index);
    if (page == TabSheetMonitor)
        TabSheetMonitorShow();
    else if (page == TabSheet1)
        TabSheet1Show();
    else if (page == TabSheet2)
        TabSheet2Show();
    else if (page == TabSheetInterface)
        TabSheetInterfaceShow();
    else if (page == TabSheet4)
        TabSheet4Show();
    else if (page == TabSheet3)
        TabSheet3Show();
}

// ---- monitor log ----

void TFormMain::ImageDblClick()
{
    MonitorActive = 1 - MonitorActive;
    PageControl1->setTabWidth(MonitorActive == 1 ? TabWidthWithMonitor : TabWidth);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetMonitor), MonitorActive == 1);
}

void TFormMain::TabSheetMonitorShow()
{
    QPlainTextEdit *memo = uiMonitor->MemoDebug;
    memo->moveCursor(QTextCursor::End);
    memo->ensureCursorVisible();
    memo->setFocus();
}

void TFormMain::ButtonDebugCopyClick()
{
    QGuiApplication::clipboard()->setText(MonitorClipboardText(uiMonitor->MemoDebug->toPlainText()));
}

void TFormMain::ButtonDebugClearClick()
{
    uiMonitor->MemoDebug->clear();
}

void TFormMain::ButtonDebugCloseClick()
{
    MonitorActive = 1;
    ImageDblClick();
}

void TFormMain::AppendMonitorLine(const QString &line)
{
    uiMonitor->MemoDebug->appendPlainText(line);
}

void TFormMain::LogSentRequest(const QString &requestLine)
{
    if (MonitorActive == 1)
        AppendMonitorLine(MonitorSentLine(requestLine, QTime::currentTime()));
}

void TFormMain::LogReceivedLine(const QString &line)
{
    if (MonitorActive != 1)
        return;
    for (const QString &logLine : MonitorReceivedLines(line, QTime::currentTime()))
        AppendMonitorLine(logLine);
}
