#include "gui/LabelButton.h"

#include "gui/AccessibleFactory.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

// A button, or a link for a text that is an address, that can be pressed.
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

} // namespace

LabelButton::LabelButton(QWidget *parent) : QLabel(withAccessibleInterface<LabelButton, AccessibleLabelButton>(parent))
{
    // Tab only: a click does not take the focus from the connect button.
    setFocusPolicy(Qt::TabFocus);
}

void LabelButton::press()
{
    emit clicked();
}

void LabelButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            press();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void LabelButton::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    // Released outside the label is no click, as with buttons.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        press();
}

void LabelButton::paintEvent(QPaintEvent *event)
{
    if (!pixmap().isNull())
        QLabel::paintEvent(event);
    QPainter painter(this);
    // A text is drawn as Qt draws it for a label that takes no focus: Qt lays
    // a focusable label's text out a pixel higher, which would move the links.
    if (pixmap().isNull())
        style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), text(),
                              foregroundRole());
    if (!hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
