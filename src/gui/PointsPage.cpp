#include "gui/PointsPage.h"

#include "core/Cp1252.h"
#include "core/Frame.h"
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
#include "gui/UpDown.h"

#include "ui_TabSheet2.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace {

struct PointRow
{
    QComboBox *quality;
    QComboBox *edv;
};

// Dispensing points 1 to 10, in order.
std::array<PointRow, 10> pointRows(const Ui::TabSheet2 &ui)
{
    return {{{ui.ComboBox10, ui.ComboBox14},
             {ui.ComboBox11, ui.ComboBox15},
             {ui.ComboBox12, ui.ComboBox16},
             {ui.ComboBox13, ui.ComboBox17},
             {ui.ComboBox2, ui.ComboBox3},
             {ui.ComboBoxQualityZP6, ui.ComboBoxEdvZP6},
             {ui.ComboBoxQualityZP7, ui.ComboBoxEdvZP7},
             {ui.ComboBoxQualityZP8, ui.ComboBoxEdvZP8},
             {ui.ComboBoxQualityZP9, ui.ComboBoxEdvZP9},
             {ui.ComboBoxQualityZP10, ui.ComboBoxEdvZP10}}};
}

// Selects the item whose text is `value` exactly; no such item leaves the box empty.
void selectItem(QComboBox *box, const QString &value)
{
    box->setCurrentIndex(box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

// Steps 1-based `p` by one within 1 .. count, wrapping at both ends.
int wrapStep(int p, bool next, int count)
{
    p += next ? 1 : -1;
    if (p > count)
        p = 1;
    if (p < 1)
        p = count;
    return p;
}

} // namespace

PointsPage::PointsPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent)
    : LazyPage("TabSheet2", parent), m_session(session), m_report(report), m_language(language), m_ui(std::make_unique<Ui::TabSheet2>())
{
    connect(&m_session, &GatewaySession::recordStored, this,
            Guarded(m_report, [this](const Record &record, bool duringRun) { recordStored(record, duringRun); }));
}

void PointsPage::build()
{
    m_ui->setupUi(this);
    QFont small = m_ui->Label47->font();
    small.setPixelSize(9); // 7 point
    m_ui->Label47->setFont(small);

    m_ui->UpDown3->setValueLabel(m_ui->Label59);
    m_ui->UpDown2->setValueLabel(m_ui->Label50);
    m_ui->StatusLightQualitaet->setName([](Language l) { return PartStatusLightName(PointsPart::Points, l); });
    m_ui->StatusLightProdukt->setName([](Language l) { return PartStatusLightName(PointsPart::Product, l); });

    // Dispensing points.
    connect(m_ui->UpDown3, &UpDown::clicked, this,
            Guarded(m_report, [this](UpDown::Button b) { stepAddress(b == UpDown::Button::Next); }));
    const auto rows = pointRows(*m_ui);
    for (int k = 1; k <= 10; ++k) {
        // activated: only the user's own choices are stored, not the loads.
        connect(rows[k - 1].quality, &QComboBox::activated, this,
                Guarded(m_report, [this, k] { storePointChoice(k, false); }));
        connect(rows[k - 1].edv, &QComboBox::activated, this,
                Guarded(m_report, [this, k] { storePointChoice(k, true); }));
    }
    m_pointsPanel = std::make_unique<RecordPanel>(m_session, m_report, m_language, m_ui->StatusLightQualitaet);
    connect(m_ui->ButtonKonfigurationLesen, &QPushButton::clicked, this,
            Guarded(m_report, [this] { m_pointsPanel->read({RecordKind::Points, shownAddress()}); }));
    connect(m_ui->ButtonKonfigurationSchreiben, &QPushButton::clicked, this, Guarded(m_report, [this] {
        m_pointsPanel->write([this](const WorkingFile::Snapshot &stored) { return shownPoints(stored); });
    }));

    // Product group.
    connect(m_ui->UpDown2, &UpDown::clicked, this,
            Guarded(m_report, [this](UpDown::Button b) { stepProduct(b == UpDown::Button::Next); }));
    connect(m_ui->ComboBox1, &QComboBox::activated, this, Guarded(m_report, [this] { storeProductQuality(); }));
    connect(m_ui->Edit5, &QLineEdit::textChanged, this, [this] { m_nameEdited = true; });
    connect(m_ui->Edit5, &QLineEdit::textEdited, this, [this] { m_nameTyped = true; });
    new TextFieldGuard(m_ui->Edit5, ConfigLayout::fieldWidth(RecordKind::Product, ConfigLayout::productNameKey()), [this] { RunGuarded(m_report, [this] { storeProductName(); }); });
    m_productPanel = std::make_unique<RecordPanel>(m_session, m_report, m_language, m_ui->StatusLightProdukt);
    connect(m_ui->Button2, &QPushButton::clicked, this,
            Guarded(m_report, [this] { m_productPanel->read({RecordKind::Product, m_product}); }));
    connect(m_ui->Button5, &QPushButton::clicked, this, Guarded(m_report, [this] {
        m_productPanel->write([this](const WorkingFile::Snapshot &stored) { return shownProduct(stored); });
    }));
}

void PointsPage::catchUp()
{
    ApplyLanguage(this, m_language.current());
    refreshCaptions();
    layOutRows();
}

PointsPage::~PointsPage() = default;

int PointsPage::shownAddress() const
{
    return m_address;
}

QComboBox *PointsPage::pointList(int point, bool edv)
{
    ensureBuilt();
    const PointRow row = pointRows(*m_ui).at(point - 1);
    return edv ? row.edv : row.quality;
}

void PointsPage::refreshCaptions()
{
    if (!isBuilt())
        return;
    const Language language = m_language.current();
    m_ui->GroupBoxProduktName->setTitle(CaptionText(Caption::ProductGroup, language));
    // A list of the grid is named by its column and its row.
    const auto rows = pointRows(*m_ui);
    for (int k = 1; k <= 10; ++k) {
        rows[k - 1].quality->setAccessibleName(TaggedCaptionText(5, language) + u' ' + QString::number(k));
        rows[k - 1].edv->setAccessibleName(TaggedCaptionText(6, language) + u' ' + QString::number(k));
    }
    m_ui->StatusLightQualitaet->setLanguage(language);
    m_ui->StatusLightProdukt->setLanguage(language);
    // The page has two read/write pairs and two lights with one caption
    // each: a screen reader hears which part each belongs to.
    m_ui->ButtonKonfigurationLesen->setAccessibleName(PartReadName(PointsPart::Points, language));
    m_ui->ButtonKonfigurationSchreiben->setAccessibleName(PartWriteName(PointsPart::Points, language));
    m_ui->Button2->setAccessibleName(PartReadName(PointsPart::Product, language));
    m_ui->Button5->setAccessibleName(PartWriteName(PointsPart::Product, language));
    for (UpDown *stepper : {m_ui->UpDown3, m_ui->UpDown2})
        stepper->setLanguage(language);
}

void PointsPage::applyFirmwareLayout()
{
    m_firmwareKnown = true;
    layOutRows();
}

void PointsPage::layOutRows()
{
    if (!isBuilt())
        return;
    FirmwareFeatures f = m_session.features();
    if (!m_firmwareKnown) {
        f.hasPoint5 = true;
        f.hasTenPoints = true;
    }
    const int points = ConfigLayout::pointCount(f);
    for (QWidget *w : {static_cast<QWidget *>(m_ui->Label9), static_cast<QWidget *>(m_ui->ComboBox2),
                       static_cast<QWidget *>(m_ui->ComboBox3)})
        w->setVisible(points >= 5);
    for (int k = 6; k <= 10; ++k) {
        if (QWidget *label = findChild<QWidget *>(QStringLiteral("LabelAnzeigeZP%1").arg(k)))
            label->setVisible(k <= points);
        pointList(k, false)->setVisible(k <= points);
        pointList(k, true)->setVisible(k <= points);
    }
    const int top = f.hasTenPoints ? 340 : 212;
    m_ui->ButtonKonfigurationLesen->move(m_ui->ButtonKonfigurationLesen->x(), top);
    m_ui->ButtonKonfigurationSchreiben->move(m_ui->ButtonKonfigurationSchreiben->x(), top);
    m_ui->StatusLightQualitaet->move(m_ui->StatusLightQualitaet->x(), top + 6);
    // The steppers' ranges follow the firmware's counts.
    m_ui->UpDown3->setValue(m_address, 0, m_session.features().addressCount - 1);
    m_ui->UpDown2->setValue(m_product, 1, m_session.features().productCount);
}

void PointsPage::shown()
{
    ensureBuilt();
    m_ui->LabelIniName1->setText(m_session.file().path());
    m_productPanel->setConfirmed(false);
    m_pointsPanel->setConfirmed(false);
    if (m_ui->ComboBox10->count() == 0) {
        QStringList items;
        items.reserve(99);
        for (int n = 1; n <= 99; ++n)
            items << TwoDigits(n);
        const auto fill = [&items](QComboBox *box) {
            box->addItems(items);
            // A list selects its first item when filled; until loaded it shows none.
            box->setCurrentIndex(-1);
        };
        for (const PointRow &row : pointRows(*m_ui)) {
            fill(row.quality);
            fill(row.edv);
        }
        fill(m_ui->ComboBox1);
    }
    loadAddress(shownAddress());
}

void PointsPage::loadAddress(int address)
{
    ensureBuilt();
    const FirmwareFeatures &f = m_session.features();
    const RecordId id{RecordKind::Points, address};
    const QString section = ConfigLayout::section(id);
    const auto rows = pointRows(*m_ui);
    // Everything is read before anything is shown: a file that cannot be
    // read leaves no list showing a value that did not come from it.
    QStringList quality, edv;
    try {
        const WorkingFile::Snapshot stored = m_session.file().snapshot();
        for (int k = 1; k <= ConfigLayout::pointCount(f); ++k) {
            const QString q = ConfigLayout::pointKey(k, false);
            const QString e = ConfigLayout::pointKey(k, true);
            quality << stored.read(section, q, ConfigLayout::fileDefault(id, q));
            edv << stored.read(section, e, ConfigLayout::fileDefault(id, e));
        }
    } catch (const FileError &) {
        for (const PointRow &row : rows) {
            row.quality->setCurrentIndex(-1);
            row.edv->setCurrentIndex(-1);
        }
        m_pointsStale = true;
        clearProductGroup();
        throw;
    }
    for (int k = 1; k <= quality.size(); ++k) {
        selectItem(rows[k - 1].quality, quality.at(k - 1));
        selectItem(rows[k - 1].edv, edv.at(k - 1));
    }
    m_pointsStale = false;
    loadProductGroup();
}

void PointsPage::stepAddress(bool next)
{
    ensureBuilt();
    // The arrows never take the focus, so the name field is not left by
    // pressing them; the load below would replace a pending name.
    storePendingName();
    const int p = wrapStep(shownAddress() + 1, next, m_session.features().addressCount);
    m_address = p - 1;
    m_ui->Label59->setText(QString(QLatin1Char(AddressChars[m_address])));
    m_ui->UpDown3->setValue(m_address, 0, m_session.features().addressCount - 1);
    loadAddress(m_address);
}

void PointsPage::storePointChoice(int point, bool edv)
{
    const QComboBox *box = pointList(point, edv);
    m_session.file().write(ConfigLayout::section({RecordKind::Points, shownAddress()}),
                           ConfigLayout::pointKey(point, edv), box->currentText());
}

void PointsPage::loadProductGroup()
{
    ensureBuilt();
    const RecordId id{RecordKind::Product, m_product};
    const QString section = ConfigLayout::section(id);
    const QString qualityKey = ConfigLayout::productQualityKey();
    const QString nameKey = ConfigLayout::productNameKey();
    QString quality, name;
    try {
        const WorkingFile::Snapshot stored = m_session.file().snapshot();
        quality = stored.read(section, qualityKey, ConfigLayout::fileDefault(id, qualityKey));
        name = stored.read(section, nameKey, ConfigLayout::shownDefault(id, nameKey));
    } catch (const FileError &) {
        clearProductGroup();
        throw;
    }
    selectItem(m_ui->ComboBox1, quality);
    TextFieldGuard::show(m_ui->Edit5, name);
    m_nameTyped = false;
    m_productStale = false;
}

void PointsPage::clearProductGroup()
{
    m_ui->ComboBox1->setCurrentIndex(-1);
    TextFieldGuard::show(m_ui->Edit5, QString());
    // An empty name that the file did not give is nothing to store.
    m_nameEdited = false;
    m_nameTyped = false;
    m_productStale = true;
}

void PointsPage::storePendingName()
{
    if (!m_nameEdited)
        return;
    if (m_nameTyped) {
        // A refused write ends the step, so the typed name stays on screen.
        storeProductName();
        return;
    }
    // The shown name came from the file or its default, not from the user:
    // a file that cannot be written must not keep the user from browsing.
    try {
        storeProductName();
    } catch (const FileError &) {
    }
}

void PointsPage::stepProduct(bool next)
{
    ensureBuilt();
    storePendingName();
    m_product = wrapStep(m_product, next, m_session.features().productCount);
    m_ui->Label50->setText(QString::number(m_product));
    m_ui->UpDown2->setValue(m_product, 1, m_session.features().productCount);
    loadProductGroup();
}

void PointsPage::storeProductQuality()
{
    m_session.file().write(ConfigLayout::section({RecordKind::Product, m_product}),
                           ConfigLayout::productQualityKey(), m_ui->ComboBox1->currentText());
}

void PointsPage::storeProductName()
{
    m_session.file().write(ConfigLayout::section({RecordKind::Product, m_product}),
                           ConfigLayout::productNameKey(), m_ui->Edit5->text());
    m_nameEdited = false;
    m_nameTyped = false;
}

Record PointsPage::shownPoints(const WorkingFile::Snapshot &stored)
{
    const RecordId id{RecordKind::Points, shownAddress()};
    Record record = Record::fromFile(stored, id, m_session.features());
    const int points = ConfigLayout::pointCount(m_session.features());
    for (int k = 1; k <= points; ++k) {
        for (const bool edv : {false, true}) {
            // A list without a selection would shift every later field: it
            // sends the stored value, as the write-all run would.
            const QString shown = pointList(k, edv)->currentText();
            if (!shown.isEmpty())
                record.setValue(ConfigLayout::pointKey(k, edv), shown);
        }
    }
    return record;
}

Record PointsPage::shownProduct(const WorkingFile::Snapshot &stored)
{
    // A group left empty by a failed load shows nothing to send: load it now,
    // unless the user has typed a name since.
    if (m_productStale && !m_nameTyped)
        loadProductGroup();
    Record record = Record::fromFile(stored, {RecordKind::Product, m_product}, m_session.features());
    if (!m_ui->ComboBox1->currentText().isEmpty())
        record.setValue(ConfigLayout::productQualityKey(), m_ui->ComboBox1->currentText());
    record.setValue(ConfigLayout::productNameKey(), m_ui->Edit5->text());
    return record;
}

void PointsPage::recordStored(const Record &record, bool duringRun)
{
    // A run stores its records without showing them here; a page not yet
    // built reads the file when it is first shown.
    if (duringRun || !isBuilt())
        return;
    // Only the answer to the page's own request puts its light out; a
    // record of another address or product leaves the shown one as it is.
    if (record.kind == RecordKind::Points) {
        m_pointsPanel->recordStored(record);
        if (record.address == shownAddress())
            loadAddress(shownAddress());
    } else if (record.kind == RecordKind::Product) {
        m_productPanel->recordStored(record);
        if (record.product == m_product)
            loadProductGroup();
    }
}
