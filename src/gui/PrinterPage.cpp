#include "gui/PrinterPage.h"

#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/WorkingFile.h"
#include "texts/Texts.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"
#include "gui/Language.h"
#include "gui/RecordPanel.h"
#include "gui/StatusLight.h"
#include "gui/TextFieldGuard.h"

#include "ui_TabSheet4.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PrinterPage::PrinterPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent)
    : LazyPage("TabSheet4", parent), m_session(session), m_report(report), m_language(language), m_ui(std::make_unique<Ui::TabSheet4>())
{
    connect(&m_session, &GatewaySession::recordStored, this,
            Guarded(m_report, [this](const Record &record, bool duringRun) { recordStored(record, duringRun); }));
}

void PrinterPage::build()
{
    m_ui->setupUi(this);
    connect(m_ui->cbDruckerModell, &QComboBox::activated, this, Guarded(m_report, [this] { storeModel(); }));
    new TextFieldGuard(m_ui->eKopfzeiledrucker,
                       ConfigLayout::fieldWidth(RecordKind::Printer, ConfigLayout::printerHeaderKey()),
                       [this] { RunGuarded(m_report, [this] { storeHeader(); }); });
    m_panel = std::make_unique<RecordPanel>(m_session, m_report, m_language, m_ui->StatusLightDrucker);
    connect(m_ui->ButtonDruckerAuslesen, &QPushButton::clicked, this,
            Guarded(m_report, [this] { m_panel->read({RecordKind::Printer, 0}); }));
    connect(m_ui->ButtonDruckerSchreiben, &QPushButton::clicked, this, Guarded(m_report, [this] {
        m_panel->write([this](const WorkingFile::Snapshot &stored) { return shownRecord(stored); });
    }));
}

void PrinterPage::catchUp()
{
    ApplyLanguage(this, m_language.current());
    refreshCaptions();
}

PrinterPage::~PrinterPage() = default;

void PrinterPage::refreshCaptions()
{
    if (!isBuilt())
        return;
    const Language language = m_language.current();
    m_ui->GroupBoxPrinter->setTitle(CaptionText(Caption::PrinterGroup, language));
    m_ui->LabelDruckerKopfzeile->setText(CaptionText(Caption::HeadlineLabel, language));
    m_ui->LabelDruckerFusszeile->setText(CaptionText(Caption::HeadlineLength, language));
    m_ui->StatusLightDrucker->setLanguage(language);
}

void PrinterPage::shown()
{
    ensureBuilt();
    m_panel->setConfirmed(false);
    QString model, head;
    try {
        const WorkingFile::Snapshot stored = m_session.file().snapshot();
        const RecordId id{RecordKind::Printer, 0};
        const QString section = ConfigLayout::section(id);
        const QString modelKey = ConfigLayout::printerModelKey();
        const QString headKey = ConfigLayout::printerHeaderKey();
        model = stored.read(section, modelKey, ConfigLayout::shownDefault(id, modelKey));
        head = stored.read(section, headKey, ConfigLayout::shownDefault(id, headKey));
    } catch (const FileError &) {
        // Nothing shown that the file did not give.
        m_ui->cbDruckerModell->setCurrentIndex(-1);
        TextFieldGuard::show(m_ui->eKopfzeiledrucker, QString());
        m_stale = true;
        throw;
    }
    bool ok = false;
    int index = model.toInt(&ok);
    if (!ok)
        index = 0;
    // No such model leaves the list without a selection; the file keeps its value.
    m_ui->cbDruckerModell->setCurrentIndex(index >= 0 && index < m_ui->cbDruckerModell->count() ? index : -1);
    TextFieldGuard::show(m_ui->eKopfzeiledrucker, head);
    m_stale = false;
}

void PrinterPage::storeModel()
{
    const int index = m_ui->cbDruckerModell->currentIndex();
    if (index >= 0)
        m_session.file().write(ConfigLayout::section({RecordKind::Printer, 0}), ConfigLayout::printerModelKey(),
                               QString::number(index));
}

void PrinterPage::storeHeader()
{
    // The empty field of a page that could not be loaded is not the user's.
    if (m_stale && !m_ui->eKopfzeiledrucker->isModified())
        return;
    m_session.file().write(ConfigLayout::section({RecordKind::Printer, 0}), ConfigLayout::printerHeaderKey(),
                           m_ui->eKopfzeiledrucker->text());
}

Record PrinterPage::shownRecord(const WorkingFile::Snapshot &stored)
{
    if (m_stale && !m_ui->eKopfzeiledrucker->isModified())
        shown();
    Record record = Record::fromFile(stored, {RecordKind::Printer, 0}, m_session.features());
    // No model selected would send "-1": the stored model goes instead.
    const int index = m_ui->cbDruckerModell->currentIndex();
    if (index >= 0)
        record.setValue(ConfigLayout::printerModelKey(), QString::number(index));
    record.setValue(ConfigLayout::printerHeaderKey(), m_ui->eKopfzeiledrucker->text());
    return record;
}

void PrinterPage::recordStored(const Record &record, bool)
{
    // The printer reply is shown also during a run, as its last record.
    // A page not yet built reads the file when it is first shown.
    if (record.kind != RecordKind::Printer || !isBuilt())
        return;
    m_panel->setConfirmed(true);
    bool ok = false;
    const int index = record.value(ConfigLayout::printerModelKey()).toInt(&ok);
    QComboBox *list = m_ui->cbDruckerModell;
    const int entry = ok ? index : 0;
    list->setCurrentIndex(entry >= 0 && entry < list->count() ? entry : -1);
    m_ui->eKopfzeiledrucker->setText(record.value(ConfigLayout::printerHeaderKey()));
    m_stale = false;
}
