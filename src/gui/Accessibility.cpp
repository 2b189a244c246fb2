#include "gui/Accessibility.h"

#include "gui/DropDownList.h"
#include "gui/LabelButton.h"
#include "gui/UpDown.h"

#include <QAccessibleWidget>

namespace {

class AccessibleUpDown : public QAccessibleWidget
{
public:
    explicit AccessibleUpDown(UpDown *upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return upDown()->valueText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == increaseAction())
            upDown()->step(UpDown::Button::Next);
        else if (name == decreaseAction())
            upDown()->step(UpDown::Button::Previous);
        else
            QAccessibleWidget::doAction(name);
    }

private:
    UpDown *upDown() const { return static_cast<UpDown *>(widget()); }
};

class AccessibleLabelButton : public QAccessibleWidget
{
public:
    explicit AccessibleLabelButton(LabelButton *button)
        : QAccessibleWidget(button, button->pixmap().isNull() ? QAccessible::Link : QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<LabelButton *>(widget())->text();
        return own;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<LabelButton *>(widget())->press();
        else
            QAccessibleWidget::doAction(name);
    }
};

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

QAccessibleInterface *describe(const QString &className, QObject *object)
{
    if (className == QLatin1String("UpDown"))
        return new AccessibleUpDown(static_cast<UpDown *>(object));
    if (className == QLatin1String("DropDownList"))
        return new AccessibleDropDownList(static_cast<DropDownList *>(object));
    if (className == QLatin1String("LabelButton"))
        return new AccessibleLabelButton(static_cast<LabelButton *>(object));
    return nullptr;
}

} // namespace

void InstallAccessibleControls()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(describe);
}
