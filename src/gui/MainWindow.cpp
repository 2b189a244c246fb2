#include "gui/MainWindow.h"

#include "core/ConfigLayout.h"
#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "core/TransferRun.h"
#include "texts/ErrorTexts.h"
#include "texts/Texts.h"
#include "gui/ClockText.h"
#include "gui/ElidedLabel.h"
#include "gui/ErrorReport.h"
#include "gui/FirstPage.h"
#include "gui/Fonts.h"
#include "gui/InterfacePage.h"
#include "gui/Language.h"
#include "gui/MonitorPage.h"
#include "gui/PageControl.h"
#include "gui/PointsPage.h"
#include "gui/PrinterPage.h"
#include "gui/ProgramIcon.h"
#include "gui/SaveLoadPage.h"
#include "gui/ShownPage.h"

#include "ui_FormMain.h"

#include <algorithm>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>

namespace {
constexpr char VersionCaption[] = "PC / Velmora 1.1.1";
constexpr char MakerPanelText[] = "Beispiel Zapftechnik GmbH  2004 - 2026";
constexpr int PanelWidths[4] = {220, 90, 130, 80};
constexpr int TabWidth = 130;
constexpr int TabWidthWithMonitor = 115;
} // namespace

MainWindow::MainWindow(const QString &programFolder, std::unique_ptr<SerialPort> port, QWidget *parent)
    : QMainWindow(parent), m_programFolder(programFolder),
      m_session(std::make_unique<GatewaySession>(m_file, std::move(port))),
      m_ui(std::make_unique<Ui::TFormMain>())
{
    // Fonts are set before the controls exist: setting them afterwards would
    // send every control a font change, which slows the start noticeably.
    setFont(FormFont(11));
    m_ui->setupUi(this);
    m_pages = m_ui->PageControl1;
    m_pages->setFont(PageFont(11));
    createPages();

    setFixedSize(750, 500);
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setupStatusBar();

    // Key preview: the hot keys and Escape reach the window before the
    // focused control.
    qApp->installEventFilter(this);

    connect(&m_clock, &QTimer::timeout, this, Guarded(m_errorReport, [this] { updateClock(); }));
    connect(m_pages, &QTabWidget::currentChanged, this,
            Guarded(m_errorReport, [this](int index) { pageShown(index); }));
    connectSession();

    m_pages->setCurrentWidget(m_firstPage);
    setWindowTitle(QString::fromUtf8(VersionCaption));
    m_firstPage->setTitle(QString::fromUtf8(VersionCaption));
    m_pages->setTabVisible(m_pages->indexOf(m_monitorPage), false);
    m_pages->setTabWidth(TabWidth);
    // Centred on the desktop; Qt's device-independent pixels keep the
    // 750 x 500 proportions on any screen scale.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The pages hold references to the session and the error report, which are
    // members: they go first, while both still exist.
    m_clock.stop();
    m_pages->disconnect(this);
    delete m_pages;
    m_pages = nullptr;
}

void MainWindow::setErrorReporter(ErrorReport::Handler reporter)
{
    m_errorReport.setHandler(std::move(reporter));
}

void MainWindow::setFileChooser(FileChooser chooser)
{
    m_saveLoadPage->setFileChooser(std::move(chooser));
}

void MainWindow::setLogFileChooser(LogFileChooser chooser)
{
    m_monitorPage->setLogFileChooser(std::move(chooser));
}

void MainWindow::setAddressOpener(AddressOpener opener)
{
    m_firstPage->setAddressOpener(std::move(opener));
}

void MainWindow::createPages()
{
    GatewaySession &session = *m_session;
    m_firstPage = new FirstPage(session, m_errorReport, m_language, m_programFolder + QStringLiteral("ports/"));
    m_pointsPage = new PointsPage(session, m_errorReport, m_language);
    m_interfacePage = new InterfacePage(session, m_errorReport, m_language);
    m_printerPage = new PrinterPage(session, m_errorReport, m_language);
    m_saveLoadPage = new SaveLoadPage(session, m_errorReport, m_language);
    m_monitorPage = new MonitorPage(m_errorReport);
    m_pages->addTab(m_firstPage, QString::fromUtf8(AppCaption));
    m_pages->addTab(m_pointsPage, CaptionText(Caption::ConfigurationTab, Language::German));
    m_pages->addTab(m_interfacePage, CaptionText(Caption::InterfaceTab, Language::German));
    m_pages->addTab(m_printerPage, CaptionText(Caption::PrinterTab, Language::German));
    m_pages->addTab(m_saveLoadPage, CaptionText(Caption::SaveLoadTab, Language::German));
    m_pages->addTab(m_monitorPage, QStringLiteral("Monitor"));

    connect(m_firstPage, &FirstPage::linkOpened, this,
            [this](const QString &name, const QString &device) { linkOpened(name, device); });
    connect(m_firstPage, &FirstPage::disconnectRequested, this, Guarded(m_errorReport, [this] { disconnectLink(); }));
    connect(m_firstPage, &FirstPage::languageChosen, this,
            Guarded(m_errorReport, [this](int l) { chooseLanguage(l); }));
    connect(m_firstPage, &FirstPage::monitorToggleRequested, this, Guarded(m_errorReport, [this] { toggleMonitor(); }));
    connect(m_monitorPage, &MonitorPage::closeRequested, this, Guarded(m_errorReport, [this] {
                if (monitorShown())
                    toggleMonitor();
            }));
}

void MainWindow::setupStatusBar()
{
    QStatusBar *bar = m_ui->StatusBar;
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < PanelCount; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 4)
            panel->setFixedWidth(PanelWidths[i]);
        bar->addWidget(panel, i < 4 ? 0 : 1);
        m_panels[i] = panel;
    }
    m_panels[MakerPanel]->setText(QString::fromUtf8(MakerPanelText));
    // The "no answer" hint stands in for the maker's text; port, link state,
    // exchange indicator and clock stay in view. It shows what fits of its
    // text, and the whole of it as its tooltip and to a screen reader.
    m_hint = new ElidedLabel(bar);
    m_hint->setObjectName(QStringLiteral("StatusHint"));
    m_hint->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bar->insertWidget(0, m_hint, 1);
    m_hint->hide();
}

void MainWindow::connectSession()
{
    GatewaySession &session = *m_session;
    connect(&session, &GatewaySession::stateChanged, this, Guarded(m_errorReport, [this](GatewaySession::State state) {
                m_firstPage->showVersion(m_session->versionText());
                showNotAnswering(false);
                if (state != GatewaySession::State::Online)
                    return;
                setStatusText(LinkStatePanel, QStringLiteral("ONLINE"));
                setEditorPagesVisible(true);
            }));
    connect(&session, &GatewaySession::notAnswering, this, [this] { showNotAnswering(true); });
    connect(&session, &GatewaySession::exchangeShown, this, [this](const QString &text) {
        if (text == QLatin1String("ok"))
            showNotAnswering(false);
        // Painted when the event loop next idles, which it does while the
        // next reply is on the wire: painting at once would delay the request.
        setStatusText(ExchangePanel, text);
    });
    connect(&session, &GatewaySession::firmwareChanged, this, Guarded(m_errorReport, [this] {
                m_firstPage->showVersion(m_session->versionText());
                applyFirmwareLayout();
            }));
    // A read-all cut by the loss of the port: the box says how much of it
    // reached the working file.
    connect(&session.run(), &TransferRun::finished, this, [this](const RunResult &result) {
        const TransferRun &run = m_session->run();
        m_cutRunNote = result.outcome == RunResult::Outcome::PortLost && run.kind() == TransferRun::Kind::ReadAll
                           ? RunStoredText(m_language.current(), run.recordsStored(), run.total())
                           : QString();
    });
    connect(&session, &GatewaySession::portLost, this, Guarded(m_errorReport, [this](const PortFailure &loss) {
                const QString message = PortLostText(loss, m_language.current());
                const QString note = std::exchange(m_cutRunNote, QString());
                showOffline();
                m_errorReport.show(note.isEmpty() ? message : message + QStringLiteral("\n\n") + note);
            }));
    connect(&session, &GatewaySession::errorOccurred, this,
            [this](const ReportedError &error) { m_errorReport.show(error); });
    connect(&session, &GatewaySession::writeNotTaken, this, [this](const QList<ValueDifference> &differences) {
        m_errorReport.show(NotTakenText(differences, m_language.current()));
    });
    connect(&session, &GatewaySession::requestSent, m_monitorPage, &MonitorPage::logSent);
    connect(&session, &GatewaySession::lineReceived, m_monitorPage, &MonitorPage::logReceived);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        RunGuarded(m_errorReport, [this] { firstShow(); });
    }
}

void MainWindow::firstShow()
{
    setEditorPagesVisible(false);
    m_firstPage->focusConnectButton();
    setStatusText(LinkStatePanel, QStringLiteral("OFFLINE"));
    m_clock.start(1000);
    updateClock();
    m_firstPage->showVersion(m_session->versionText());

    m_file.setPath(m_programFolder + QString::fromLatin1(IniBaseName));
    int language = 0;
    try {
        // Copies left by a write that was killed before it finished.
        RemoveStaleTemporaryFiles(m_file.path());
        CreateDefaultIniFile(m_file.path());
        bool ok = false;
        const int stored = m_file.read(QLatin1String(ConfigLayout::LanguageSection), QLatin1String(ConfigLayout::LanguageKey),
                                       QLatin1String(ConfigLayout::LanguageInitial)).toInt(&ok);
        language = (ok && stored != 0) ? 1 : 0;
    } catch (const FileError &error) {
        // The tool still starts, in German, and says why its file is missing.
        const ReportedError reported(error);
        QMetaObject::invokeMethod(this, [this, reported] { m_errorReport.show(reported); }, Qt::QueuedConnection);
    }
    m_language.set(LanguageOfIndex(language));
    refreshCaptions();
    ApplyLanguage(m_language.current());
    m_firstPage->shown();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool quit = false;
    RunGuarded(m_errorReport, [&] { quit = confirmClose(); });
    if (quit)
        event->accept();
    else
        event->ignore();
}

bool MainWindow::confirmClose()
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(AppCaption), CaptionText(Caption::QuitQuestion, m_language.current()),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("QuitQuestion"));
    if (box.exec() != QMessageBox::Yes)
        return false;
    m_clock.stop();
    try {
        m_session->disconnect();
    } catch (...) {
        // Closing the link must not keep the program from ending.
    }
    // Records received and held for a batch reach the file now, while a
    // store that fails can still be reported.
    m_session->writer().drain();
    return true;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
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
    RunGuarded(m_errorReport, [&] { handled = handleHotKey(keyEvent->key(), modifiers); });
    return handled;
}

bool MainWindow::handleHotKey(int key, Qt::KeyboardModifiers modifiers)
{
    // Each hot key counts only with exactly its modifier held.
    bool handled = false;
    if (key == Qt::Key_F5 && modifiers == Qt::AltModifier) {
        toggleMonitor();
        handled = true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::ShiftModifier) {
        setEditorPagesVisible(true);
        m_pages->setCurrentWidget(m_firstPage);
        handled = true;
    }
    if (key == Qt::Key_F12 && modifiers == Qt::AltModifier) {
        setLanguage(language() == 0 ? 1 : 0);
        handled = true;
    }
    // Ctrl+Tab and Ctrl+PgDn change the page from any control: a drop-down
    // list would take Ctrl+PgDn for its items, a text area Ctrl+Tab.
    const bool forward = (key == Qt::Key_Tab && modifiers == Qt::ControlModifier)
                         || (key == Qt::Key_PageDown && modifiers == Qt::ControlModifier);
    const bool backward = (key == Qt::Key_Backtab && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
                          || (key == Qt::Key_Tab && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
                          || (key == Qt::Key_PageUp && modifiers == Qt::ControlModifier);
    if (forward || backward) {
        m_pages->stepPage(forward);
        handled = true;
    }
    return handled;
}

void MainWindow::setLanguage(int language)
{
    m_language.set(LanguageOfIndex(language));
    ApplyLanguage(m_language.current());
    refreshCaptions();
}

void MainWindow::chooseLanguage(int language)
{
    // The captions switch even when the choice cannot be stored, so the
    // window never shows one language while it holds the other; the store
    // failure is still reported afterwards.
    std::exception_ptr storeFailure;
    try {
        m_file.write(QLatin1String(ConfigLayout::LanguageSection), QLatin1String(ConfigLayout::LanguageKey),
                     QString::number(language));
    } catch (...) {
        storeFailure = std::current_exception();
    }
    setLanguage(language);
    if (storeFailure)
        std::rethrow_exception(storeFailure);
}

void MainWindow::refreshCaptions()
{
    const Language l = m_language.current();
    m_pages->setTabText(m_pages->indexOf(m_pointsPage), CaptionText(Caption::ConfigurationTab, l));
    m_pages->setTabText(m_pages->indexOf(m_saveLoadPage), CaptionText(Caption::SaveLoadTab, l));
    m_pages->setTabText(m_pages->indexOf(m_printerPage), CaptionText(Caption::PrinterTab, l));
    m_pages->setTabText(m_pages->indexOf(m_interfacePage), CaptionText(Caption::InterfaceTab, l));
    m_pages->setLanguage(l);
    m_printerPage->refreshCaptions();
    m_interfacePage->refreshCaptions();
    m_pointsPage->refreshCaptions();
    m_saveLoadPage->refreshCaptions();
    m_firstPage->refreshCaptions();
    if (m_notAnswering)
        showNotAnswering(true);
    // Under the C locale the date follows the language, at once rather than
    // at the next tick.
    if (m_clock.isActive())
        updateClock();
}

void MainWindow::updateClock()
{
    setStatusText(ClockPanel, ClockText(ClockLocale(language(), SystemTimeLocaleName()), QDateTime::currentDateTime()));
}

QString MainWindow::statusText(StatusPanel panel) const
{
    return m_panels[panel]->text();
}

void MainWindow::setStatusText(StatusPanel panel, const QString &text)
{
    m_panels[panel]->setText(text);
}

void MainWindow::setEditorPagesVisible(bool visible)
{
    LazyPage *const editorPages[] = {m_pointsPage, m_saveLoadPage, m_printerPage, m_interfacePage};
    // The first page becomes current before the others hide: hiding the
    // current tab would make each next one current and run its show handler.
    if (!visible && std::find(std::begin(editorPages), std::end(editorPages), m_pages->currentWidget())
                        != std::end(editorPages))
        m_pages->setCurrentWidget(m_firstPage);
    for (LazyPage *page : editorPages) {
        // Built while its tab is still hidden, so that no page is put
        // together in front of the user.
        if (visible)
            page->ensureBuilt();
        m_pages->setTabVisible(m_pages->indexOf(page), visible);
    }
}

bool MainWindow::isPageVisible(QWidget *page) const
{
    return m_pages->isTabVisible(m_pages->indexOf(page));
}

void MainWindow::pageShown(int index)
{
    if (auto *page = dynamic_cast<ShownPage *>(m_pages->widget(index)))
        page->shown();
}

void MainWindow::toggleMonitor()
{
    const bool show = !monitorShown();
    if (show)
        m_monitorPage->ensureBuilt();
    m_monitorPage->setRecording(show);
    m_pages->setTabWidth(show ? TabWidthWithMonitor : TabWidth);
    m_pages->setTabVisible(m_pages->indexOf(m_monitorPage), show);
}

bool MainWindow::monitorShown() const
{
    return m_monitorPage->recording();
}

void MainWindow::linkOpened(const QString &portName, const QString &device)
{
    m_portName = portName;
    m_device = device;
    // A read-all records the port by the name the user chose.
    m_session->setPortLabel(device.isEmpty() ? portName : QStringLiteral("%1 (%2)").arg(portName, device));
    setStatusText(PortPanel, portName);
    setStatusText(LinkStatePanel, QStringLiteral("OFFLINE"));
}

// A port with nothing behind it polls for ever; after a few polls the status
// bar says so and what to check, beside the port, link state and clock, until
// the gateway answers or the link is closed.
void MainWindow::showNotAnswering(bool shown)
{
    m_notAnswering = shown;
    m_hint->setFullText(shown ? NotAnsweringText(m_language.current(), m_portName, m_device) : QString());
    m_hint->setVisible(shown);
    m_panels[MakerPanel]->setVisible(!shown);
    // The clock keeps the room its text needs; the hint has the rest.
    QLabel *clock = m_panels[ClockPanel];
    if (shown) {
        const QDateTime widest(QDate(2026, 12, 28), QTime(22, 58));
        const QString text = ClockText(ClockLocale(language(), SystemTimeLocaleName()), widest);
        clock->setFixedWidth(clock->fontMetrics().horizontalAdvance(text) + 2 * clock->frameWidth()
                             + clock->fontMetrics().horizontalAdvance(QLatin1Char('x')));
    } else {
        clock->setMinimumWidth(0);
        clock->setMaximumWidth(QWIDGETSIZE_MAX);
    }
}

void MainWindow::disconnectLink()
{
    // A run under way ends with the link, rather than waiting for a reply
    // that cannot come; a write-all waiting for its comparison read writes
    // nothing then.
    m_session->run().abort(RunResult::Outcome::Stopped);
    m_session->disconnect();
    showOffline();
}

void MainWindow::showOffline()
{
    m_firstPage->showLinkOpen(false);
    setEditorPagesVisible(false);
    setStatusText(PortPanel, QString());
    setStatusText(LinkStatePanel, QStringLiteral("OFFLINE"));
}

void MainWindow::applyFirmwareLayout()
{
    m_pointsPage->applyFirmwareLayout();
    m_pages->setTabVisible(m_pages->indexOf(m_interfacePage), m_session->features().hasTenPoints);
}
