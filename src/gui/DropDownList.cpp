#include "gui/DropDownList.h"

#include "gui/AccessibleFactory.h"

#include <QAccessibleWidget>

namespace {

// Named by its label, valued by its item; opened as a press opens it.
class AccessibleDropDownList : public QAccessibleWidget
{
public:
    explicit AccessibleDropDownList(DropDownList *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

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
}
