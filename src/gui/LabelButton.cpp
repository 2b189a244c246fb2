#include "gui/LabelButton.h"

#include "gui/Accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

LabelButton::LabelButton(QWidget *parent) : QLabel(parent)
{
    InstallAccessibleControls();
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
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
