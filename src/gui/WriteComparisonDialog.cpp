#include "gui/WriteComparisonDialog.h"

#include "ui_WriteComparison.h"

#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <algorithm>

namespace {

enum Column { SectionColumn, KeyColumn, GatewayColumn, FileColumn, NoteColumn, ColumnCount };

struct Row
{
    QString section;
    QString key;
    QString gateway;
    QString file;
    QString note;
    bool setApart = false; // a key the file lacks, or a value that may not be what was meant
};

// The gateway's value of `key` in record `section`, shown as a value is;
// empty when the read did not bring that record.
QString gatewayValue(const QList<Record> &gateway, const QString &section, const QString &key)
{
    for (const Record &record : gateway) {
        if (record.section.compare(section, Qt::CaseInsensitive) == 0) {
            const QString value = record.value(key);
            return value.isNull() ? QString() : QuotedValue(value);
        }
    }
    return QString();
}

QString rowKey(const QString &section, const QString &key)
{
    return section + u'\n' + key;
}

// The rows set apart come first, so that hundreds of changes do not hide
// them: the keys the file lacks, then the doubtful values, the changed ones
// first (a doubt about a changed value is the note of its change); then the
// other changes, each in the write's order.
QList<Row> comparisonRows(const WriteComparison &comparison, const QList<Record> &gateway, Language language)
{
    QList<Row> rows;
    QSet<QString> missing;
    for (const ValueProblem &m : comparison.check.missing) {
        missing.insert(rowKey(m.section, m.key));
        rows.append({m.section, m.key, gatewayValue(gateway, m.section, m.key), ComparisonMissingText(language),
                     ComparisonKeptText(language), true});
    }
    QHash<QString, QString> doubts;
    for (const ValueProblem &doubt : comparison.check.doubts) {
        const QString key = rowKey(doubt.section, doubt.key);
        // A key the file lacks has no value to doubt.
        if (!missing.contains(key) && !doubts.contains(key))
            doubts.insert(key, DoubtReasonText(doubt, language));
    }
    QList<Row> changes;
    for (const ValueDifference &change : comparison.changes) {
        const QString key = rowKey(change.section, change.key);
        const QString note = doubts.take(key);
        (note.isNull() ? changes : rows)
            .append({change.section, change.key, QuotedValue(change.first), QuotedValue(change.second), note,
                     !note.isNull()});
    }
    for (const ValueProblem &doubt : comparison.check.doubts) {
        const QString note = doubts.take(rowKey(doubt.section, doubt.key));
        if (!note.isNull())
            rows.append({doubt.section, doubt.key, gatewayValue(gateway, doubt.section, doubt.key),
                         QuotedValue(doubt.value), note, true});
    }
    return rows + changes;
}

// A value column is never wider than this: a 40-character printer header
// beside the others would not leave the note room on a small screen. The
// whole value stays in the cell for a screen reader and in its tooltip.
constexpr int MaxValueColumnWidth = 300;
// The dialog is never narrower, so that its texts wrap into a few lines.
constexpr int MinimumWidth = 560;
// What the desktop's frame and title bar add around the dialog.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 48;

} // namespace

WriteComparisonDialog::WriteComparisonDialog(const WriteComparison &comparison, const QList<Record> &gateway,
                                             Language language, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::WriteComparison>())
{
    m_ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(AppCaption));
    const QString summary = ComparisonSummaryText(comparison, language);
    m_ui->LabelSummary->setText(summary);
    const QStringList reasons = WhyComparedLines(comparison.check, language);
    m_ui->LabelReasons->setText(reasons.join(u'\n'));
    m_ui->LabelReasons->setVisible(!reasons.isEmpty());
    m_ui->LabelQuestion->setText(ComparisonQuestionText(language));
    m_ui->TableChanges->setAccessibleName(ComparisonTableName(language));
    m_ui->TableChanges->setAccessibleDescription(summary);
    fillTable(comparison, gateway, language);

    // Enter (unless "Yes" has the focus) and Escape leave the gateway as it is.
    QPushButton *no = m_ui->ButtonsComparison->button(QDialogButtonBox::No);
    no->setDefault(true);
    no->setFocus();
    connect(m_ui->ButtonsComparison, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->ButtonsComparison, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fitToScreen();
}

WriteComparisonDialog::~WriteComparisonDialog() = default;

QTableWidget *WriteComparisonDialog::table() const
{
    return m_ui->TableChanges;
}

void WriteComparisonDialog::fillTable(const WriteComparison &comparison, const QList<Record> &gateway,
                                      Language language)
{
    QTableWidget *table = m_ui->TableChanges;
    const QList<Row> rows = comparisonRows(comparison, gateway, language);
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels(ComparisonColumnTexts(language));
    table->setRowCount(int(rows.size()));
    QFont apartFont = table->font();
    apartFont.setItalic(true);
    // Set apart by the palette's own pair of colours, so that the text keeps
    // its contrast; the note says in words what the colour shows.
    const QBrush apartBackground = table->palette().brush(QPalette::ToolTipBase);
    const QBrush apartText = table->palette().brush(QPalette::ToolTipText);
    for (int r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        const QString cells[ColumnCount] = {row.section, row.key, row.gateway, row.file, row.note};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c >= GatewayColumn && !cells[c].isEmpty())
                item->setToolTip(cells[c]);
            if (row.setApart) {
                item->setFont(apartFont);
                item->setBackground(apartBackground);
                item->setForeground(apartText);
            }
            table->setItem(r, c, item);
        }
    }
    // Each row one line of text high; the style's default is much taller.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->resizeColumnsToContents();
    for (int c = GatewayColumn; c < NoteColumn; ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), MaxValueColumnWidth));
    if (table->rowCount() > 0)
        table->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
}

void WriteComparisonDialog::fitToScreen()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen->availableGeometry().size() - QSize(FrameWidth, FrameHeight);
    setMaximumSize(room);
    ensurePolished();
    layout()->activate();
    // The table asks for room for all its rows; a vertical scroll bar takes
    // its width once they do not fit.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_ui->TableChanges);
    const int width = std::min(room.width(), std::max(MinimumWidth, sizeHint().width() + scrollBar));
    const int wanted = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    const int height = std::min(room.height(), wanted);
    resize(width, height);
}
