#pragma once
// What a write-all would change on the gateway, asked before a file the tool
// cannot vouch for is sent: why it is compared, then one table row per value
// the write changes, set apart from them the keys the file lacks (the
// gateway keeps its own value) and the values that may not be what was
// meant, and the question. Saying no, the default, and Escape write nothing.

#include "core/Records.h"
#include "texts/Texts.h"

#include <QDialog>
#include <QList>
#include <memory>

class QTableWidget;

namespace Ui {
class WriteComparison;
}

class WriteComparisonDialog : public QDialog
{
    Q_OBJECT
public:
    // `gateway`: the gateway's records the comparison was made with; they
    // give the gateway's side of the keys the file lacks.
    WriteComparisonDialog(const WriteComparison &comparison, const QList<Record> &gateway, Language language,
                          QWidget *parent = nullptr);
    ~WriteComparisonDialog() override;

    QTableWidget *table() const;

private:
    void fillTable(const WriteComparison &comparison, const QList<Record> &gateway, Language language);
    // Sized to its table, but never beyond the screen: a long table scrolls
    // inside.
    void fitToScreen();

    std::unique_ptr<Ui::WriteComparison> m_ui;
};
