#include "gui/InterfacePage.h"

#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/WorkingFile.h"
#include "texts/Texts.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"
#include "gui/Language.h"
#include "gui/RadioGroup.h"
#include "gui/RecordPanel.h"
#include "gui/StatusLight.h"

#include "ui_TabSheetInterface.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QStringList BaudRateItems = {
    QStringLiteral("1200 Baud"),  QStringLiteral("2400 Baud"),  QStringLiteral("4800 Baud"),
    QStringLiteral("9600 Baud (default)"), QStringLiteral("19200 Baud"), QStringLiteral("38400 Baud")};
const QStringList FormatItems = {
    QStringLiteral("7-N-1"), QStringLiteral("7_E-1"), QStringLiteral("7-O-1"),
    QStringLiteral("8-N-1 (default)"), QStringLiteral("8-E-1"), QStringLiteral("8-O-1")};

} // namespace

InterfacePage::InterfacePage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent)
    : LazyPage("TabSheetInterface", parent), m_session(session), m_report(report), m_language(language),
      m_ui(std::make_unique<Ui::TabSheetInterface>())
{
    connect(&m_session, &GatewaySession::recordStored, this,
            Guarded(m_report, [this](const Record &record, bool duringRun) { recordStored(record, duringRun); }));
}

void InterfacePage::build()
{
    m_ui->setupUi(this);
    m_ui->RadioGroupBaudrateRS232->setItems(BaudRateItems);
    m_ui->RadioGroupBaudrateRS485->setItems(BaudRateItems);
    m_ui->RadioGroupParameterRS232->setItems(FormatItems);
    m_ui->RadioGroupParameterRS485->setItems(FormatItems);

    const std::array<RadioGroup *, 4> groups = this->groups();
    const QStringList keys = ConfigLayout::keys(RecordKind::Interface);
    for (int i = 0; i < 4; ++i) {
        RadioGroup *group = groups[i];
        const QString key = keys.at(i);
        connect(group, &RadioGroup::itemIndexChanged, this,
                Guarded(m_report, [this, group, key] { storeChoice(key, group->itemIndex()); }));
    }
    m_panel = std::make_unique<RecordPanel>(m_session, m_report, m_language, m_ui->ApdStatusLightInterface);
    connect(m_ui->ButtonReadInterface, &QPushButton::clicked, this,
            Guarded(m_report, [this] { m_panel->read({RecordKind::Interface, 0}); }));
    connect(m_ui->ButtonWriteInterface, &QPushButton::clicked, this, Guarded(m_report, [this] {
        m_panel->write([this](const WorkingFile::Snapshot &stored) { return shownRecord(stored); });
    }));
}

void InterfacePage::catchUp()
{
    ApplyLanguage(this, m_language.current());
    refreshCaptions();
}

InterfacePage::~InterfacePage() = default;

std::array<RadioGroup *, 4> InterfacePage::groups() const
{
    return {m_ui->RadioGroupBaudrateRS232, m_ui->RadioGroupParameterRS232, m_ui->RadioGroupBaudrateRS485,
            m_ui->RadioGroupParameterRS485};
}

void InterfacePage::refreshCaptions()
{
    if (!isBuilt())
        return;
    m_ui->LabelBaudrate232->setText(CaptionText(Caption::BaudRateEdv, m_language.current()));
    m_ui->LabelBaudrate485->setText(CaptionText(Caption::BaudRateQvr, m_language.current()));
    m_ui->ApdStatusLightInterface->setLanguage(m_language.current());
}

void InterfacePage::shown()
{
    ensureBuilt();
    const std::array<RadioGroup *, 4> groups = this->groups();
    // Showing never changes a value the file holds: a value that fits no
    // item shows no selection and stays as it is. Only keys missing from
    // the file are stored, once, at the page's first show.
    const QString missing = QStringLiteral("\n");
    int values[4] = {-1, -1, -1, -1};
    bool absent[4] = {};
    const RecordId id{RecordKind::Interface, 0};
    const QString section = ConfigLayout::section(id);
    const QStringList keys = ConfigLayout::keys(RecordKind::Interface);
    try {
        const WorkingFile::Snapshot stored = m_session.file().snapshot();
        for (int i = 0; i < 4; ++i) {
            const QString text = stored.read(section, keys.at(i), missing);
            absent[i] = text == missing;
            const int value = ConfigLayout::interfaceIndex(absent[i] ? ConfigLayout::fileDefault(id, keys.at(i)) : text);
            if (value >= 0 && value < groups[i]->items().size())
                values[i] = value;
        }
    } catch (const FileError &) {
        m_loading = true;
        for (RadioGroup *group : groups)
            group->setItemIndex(-1);
        m_loading = false;
        throw;
    }
    m_loading = true;
    for (int i = 0; i < 4; ++i)
        groups[i]->setItemIndex(values[i]);
    m_loading = false;
    if (m_missingStored)
        return;
    m_missingStored = true;
    for (int i = 0; i < 4; ++i) {
        // A file that cannot take it is no reason to complain while merely showing.
        try {
            if (absent[i])
                m_session.file().write(section, keys.at(i), QString::number(values[i]));
        } catch (const FileError &) {
        }
    }
}

void InterfacePage::storeChoice(const QString &key, int index)
{
    // A reply's record is in the file already, exactly as it came; what a
    // load shows came from the file.
    if (index < 0 || m_showingRecord || m_loading)
        return;
    m_session.file().write(ConfigLayout::section({RecordKind::Interface, 0}), key, QString::number(index));
}

Record InterfacePage::shownRecord(const WorkingFile::Snapshot &stored) const
{
    const std::array<RadioGroup *, 4> groups = this->groups();
    Record record = Record::fromFile(stored, {RecordKind::Interface, 0}, m_session.features());
    for (int i = 0; i < 4; ++i) {
        // A group without a selection would send "-1": the stored value goes instead.
        const int shown = groups[i]->itemIndex();
        if (shown >= 0)
            record.values[i].second = QString::number(shown);
    }
    return record;
}

void InterfacePage::recordStored(const Record &record, bool)
{
    // A page not yet built reads the file when it is first shown.
    if (record.kind != RecordKind::Interface || !isBuilt())
        return;
    m_panel->setConfirmed(true);
    const std::array<RadioGroup *, 4> groups = this->groups();
    // The groups show the reply up to a field that is no digit; that field
    // is reported by the session.
    m_showingRecord = true;
    for (int i = 0; i < 4 && i < record.values.size(); ++i) {
        const QString v = record.values.at(i).second;
        if (v.size() != 1 || !v.at(0).isDigit() || v.at(0).unicode() > '9')
            break;
        groups[i]->setItemIndex(v.toInt());
    }
    m_showingRecord = false;
}
