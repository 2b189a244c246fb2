// Dispensing-point page and product group of the main window, and the wiring
// of all editor pages.

#include "shell/F_FormMain.h"

#include "gui/RadioGroup.h"
#include "gui/StatusLight.h"
#include "gui/TextFieldGuard.h"
#include "core/IniFile.h"
#include "gui/UpDown.h"
#include "core/Firmware.h"
#include "gui/ErrorReport.h"

#include "ui_TabSheet2.h"
#include "ui_TabSheet4.h"
#include "ui_TabSheetInterface.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <array>
#include <cstring>

namespace {

constexpr int NameLimit = 10;
constexpr int HeaderLimit = 40;

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

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

int addressShown(const QLabel *label)
{
    const QString text = label->text();
    const char *found = text.size() == 1 && text.at(0).unicode() < 0x80 && text.at(0).unicode() > 0
                            ? std::strchr(AddressChars, text.at(0).toLatin1())
                            : nullptr;
    return found ? int(found - AddressChars) : 0;
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

void TFormMain::SetupEditorPages()
{
    // Dispensing points.
    connect(ui2->UpDown3, &UpDown::clicked, this,
            Guarded([this](UpDown::Button b) { UpDown3Click(b == UpDown::Button::Next); }));
    const auto rows = pointRows(*ui2);
    for (int k = 1; k <= 10; ++k) {
        // activated: only the user's own choices are stored, not the loads.
        connect(rows[k - 1].quality, &QComboBox::activated, this,
                Guarded([this, k] { PointComboSelect(k, false); }));
        connect(rows[k - 1].edv, &QComboBox::activated, this,
                Guarded([this, k] { PointComboSelect(k, true); }));
    }

    // Product group.
    connect(ui2->UpDown2, &UpDown::clicked, this,
            Guarded([this](UpDown::Button b) { UpDown2Click(b == UpDown::Button::Next); }));
    connect(ui2->ComboBox1, &QComboBox::activated, this, Guarded([this] { ComboBox1Select(); }));
    connect(ui2->Edit5, &QLineEdit::textChanged, this, [this] { Edit5Change(); });
    connect(ui2->Edit5, &QLineEdit::textEdited, this, [this] { m_nameTyped = true; });
    new TextFieldGuard(ui2->Edit5, NameLimit, [this] { RunGuarded([this] { Edit5Exit(); }); });

    // Interface.
    connect(uiInterface->RadioGroupBaudrateRS232, &RadioGroup::itemIndexChanged, this,
            Guarded([this] { RadioGroupBaudrateRS232Click(); }));
    connect(uiInterface->RadioGroupParameterRS232, &RadioGroup::itemIndexChanged, this,
            Guarded([this] { RadioGroupParameterRS232Click(); }));
    connect(uiInterface->RadioGroupBaudrateRS485, &RadioGroup::itemIndexChanged, this,
            Guarded([this] { RadioGroupBaudrateRS485Click(); }));
    connect(uiInterface->RadioGroupParameterRS485, &RadioGroup::itemIndexChanged, this,
            Guarded([this] { RadioGroupParameterRS485Click(); }));

    // Printer.
    connect(ui4->cbDruckerModell, &QComboBox::activated, this,
            Guarded([this] { cbDruckerModellChange(); }));
    new TextFieldGuard(ui4->eKopfzeiledrucker, HeaderLimit,
                       [this] { RunGuarded([this] { eKopfzeiledruckerExit(); }); });
}

void TFormMain::TabSheet2Show()
{
    ui2->LabelIniName1->setText(IniFileName);
    ui2->StatusLightProdukt->setLit(true);
    ui2->StatusLightQualitaet->setLit(true);
    if (ui2->ComboBox10->count() == 0) {
        QStringList items;
        items.reserve(99);
        for (int n = 1; n <= 99; ++n)
            items << twoDigits(n);
        const auto fill = [&items](QComboBox *box) {
            box->addItems(items);
            // A list selects its first item when filled; until loaded it shows none.
            box->setCurrentIndex(-1);
        };
        for (const PointRow &row : pointRows(*ui2)) {
            fill(row.quality);
            fill(row.edv);
        }
        fill(ui2->ComboBox1);
    }
    LoadAddressPage(addressShown(ui2->Label59));
}

void TFormMain::LoadAddressPage(int address)
{
    const QString section = QStringLiteral("QVR") + QString::number(address);
    const auto rows = pointRows(*ui2);
    // Everything is read before anything is shown: a file that cannot be
    // read leaves no list showing a value that did not come from it.
    QStringList quality, edv;
    try {
        for (int k = 1; k <= 10; ++k) {
            if ((k == 5 && !HasPoint5) || (k == 6 && !HasTenPoints))
                break;
            const QString d = twoDigits(k);
            const QString n = QString::number(k);
            quality << ReadIniValue(section, QStringLiteral("Qualitaet") + n, d);
            edv << ReadIniValue(section, QStringLiteral("EDV") + n, d);
        }
    } catch (const IniError &) {
        for (const PointRow &row : rows) {
            row.quality->setCurrentIndex(-1);
            row.edv->setCurrentIndex(-1);
        }
        m_pointsStale = true;
        ClearProductGroup();
        throw;
    }
    for (int k = 1; k <= quality.size(); ++k) {
        selectItem(rows[k - 1].quality, quality.at(k - 1));
        selectItem(rows[k - 1].edv, edv.at(k - 1));
    }
    m_pointsStale = false;
    LoadProductGroup();
}

void TFormMain::UpDown3Click(bool next)
{
    // The arrows never take the focus, so the name field is not left by
    // pressing them; the load below would replace a pending name.
    StorePendingName();
    const int p = wrapStep(addressShown(ui2->Label59) + 1, next, AddressCount);
    ui2->Label59->setText(QString(QLatin1Char(AddressChars[p - 1])));
    ui2->Label59->repaint();
    LoadAddressPage(p - 1);
}

void TFormMain::PointComboSelect(int point, bool edv)
{
    const PointRow row = pointRows(*ui2)[point - 1];
    const QComboBox *box = edv ? row.edv : row.quality;
    WriteIniValue(QStringLiteral("QVR") + QString::number(addressShown(ui2->Label59)),
                  (edv ? QStringLiteral("EDV") : QStringLiteral("Qualitaet")) + QString::number(point),
                  box->currentText());
}

void TFormMain::LoadProductGroup()
{
    const int m = ui2->Label50->text().toInt();
    const QString section = QStringLiteral("PRODUKT") + QString::number(m);
    QString quality, name;
    try {
        quality = ReadIniValue(section, QStringLiteral("Qualitaet"), twoDigits(m));
        name = ReadIniValue(section, QStringLiteral("Name"), QStringLiteral("Produkt ") + QString::number(m));
    } catch (const IniError &) {
        ClearProductGroup();
        throw;
    }
    selectItem(ui2->ComboBox1, quality);
    TextFieldGuard::show(ui2->Edit5, name);
    m_nameTyped = false;
    m_productStale = false;
}

void TFormMain::ClearProductGroup()
{
    ui2->ComboBox1->setCurrentIndex(-1);
    TextFieldGuard::show(ui2->Edit5, QString());
    // An empty name that the file did not give is nothing to store.
    NameEdited = false;
    m_nameTyped = false;
    m_productStale = true;
}

void TFormMain::StorePendingName()
{
    if (!NameEdited)
        return;
    if (m_nameTyped) {
        // A refused write ends the step, so the typed name stays on screen.
        Edit5Exit();
        return;
    }
    // The shown name came from the file or its default, not from the user:
    // a file that cannot be written must not keep the user from browsing.
    try {
        Edit5Exit();
    } catch (const IniError &) {
    }
}

void TFormMain::UpDown2Click(bool next)
{
    StorePendingName();
    const int m = wrapStep(ui2->Label50->text().toInt(), next, ProductCount);
    ui2->Label50->setText(QString::number(m));
    ui2->Label50->repaint();
    LoadProductGroup();
}

void TFormMain::ComboBox1Select()
{
    WriteIniValue(QStringLiteral("PRODUKT") + ui2->Label50->text(), QStringLiteral("Qualitaet"),
                  ui2->ComboBox1->currentText());
}

void TFormMain::Edit5Change()
{
    NameEdited = true;
}

void TFormMain::Edit5Exit()
{
    WriteIniValue(QStringLiteral("PRODUKT") + ui2->Label50->text(), QStringLiteral("Name"),
                  ui2->Edit5->text());
    NameEdited = false;
    m_nameTyped = false;
}

QComboBox *TFormMain::PointCombo(int point, bool edv) const
{
    const PointRow row = pointRows(*ui2).at(point - 1);
    return edv ? row.edv : row.quality;
}
