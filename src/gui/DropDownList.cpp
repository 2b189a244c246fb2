#include "gui/DropDownList.h"

#include "gui/AccessibleFactory.h"
#include "gui/AccessibleText.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QItemSelectionModel>

namespace {

// Named by its label, valued by its item, which it also gives as its text;
// its one child is the list of items with the shown one selected, as Qt's
// own combo box has it. Opened as a press opens it.
class AccessibleDropDownList : public QAccessibleWidget, public ReadOnlyAccessibleText
{
public:
    explicit AccessibleDropDownList(DropDownList *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString shownText() const override { return list()->currentText(); }

    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    DropDownList *list() const { return static_cast<DropDownList *>(widget()); }
};

} // namespace

DropDownList::DropDownList(QWidget *parent) : QComboBox(withAccessibleInterface<DropDownList, AccessibleDropDownList>(parent))
{
    // Qt selects the shown item in the list only when it opens; a screen
    // reader asks the closed list which item is selected as well.
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        QItemSelectionModel *selection = view()->selectionModel();
        if (!selection)
            return;
        const QModelIndex item = model()->index(index, modelColumn(), rootModelIndex());
        if (item.isValid())
            selection->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
        else
            selection->clear();
    });
}
