#include "gui/DropDownList.h"

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

// What a screen reader learns of a drop-down list.
QAccessibleInterface *describeDropDownList(const QString &className, QObject *object)
{
    if (className == QLatin1String("DropDownList"))
        return new AccessibleDropDownList(static_cast<DropDownList *>(object));
    return nullptr;
}

// Registered before the control exists: Qt may describe it while building it.
QWidget *withAccessibleDropDownList(QWidget *parent)
{
    static const bool installed = (QAccessible::installFactory(describeDropDownList), true);
    Q_UNUSED(installed);
    return parent;
}

} // namespace

DropDownList::DropDownList(QWidget *parent) : QComboBox(withAccessibleDropDownList(parent))
{
}
