#include "gui/UpDown.h"

#include "gui/AccessibleFactory.h"
#include "gui/AccessibleText.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace {

QToolButton *makeArrow(QWidget *parent, Qt::ArrowType arrow, const char *name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The arrows never take the focus, so pressing one does not end an edit
    // in progress elsewhere on the page; the page stores pending edits itself.
    button->setFocusPolicy(Qt::NoFocus);
    // Let the pair shrink to the small fixed size of the layout.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

// A spin box that tells its value (as its text, and as a number in its
// range) and steps with increase and decrease.
class AccessibleUpDown : public QAccessibleWidget, public ReadOnlyAccessibleText, public QAccessibleValueInterface
{
public:
    explicit AccessibleUpDown(UpDown *upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString shownText() const override { return upDown()->valueText(); }

    QVariant currentValue() const override { return upDown()->value(); }
    // The value is stepped, never typed.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return upDown()->maximum(); }
    QVariant minimumValue() const override { return upDown()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

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

} // namespace

UpDown::UpDown(QWidget *parent)
    : QWidget(withAccessibleInterface<UpDown, AccessibleUpDown>(parent))
    , m_previous(makeArrow(this, Qt::LeftArrow, "UpDownPrevious"))
    , m_next(makeArrow(this, Qt::RightArrow, "UpDownNext"))
{
    // The pair itself is reached with Tab; a click on an arrow still leaves
    // the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);

    setLanguage(Language::German);

    connect(m_previous, &QToolButton::clicked, this, [this] { step(Button::Previous); });
    connect(m_next, &QToolButton::clicked, this, [this] { step(Button::Next); });
}

QSize UpDown::sizeHint() const
{
    return QSize(47, 19);
}

void UpDown::step(Button button)
{
    const QString before = valueText();
    emit clicked(button);
    const QString after = valueText();
    if (after != before) {
        QAccessibleValueChangeEvent event(this, after);
        QAccessible::updateAccessibility(&event);
    }
}

void UpDown::setValue(int value, int minimum, int maximum)
{
    m_value = value;
    m_minimum = minimum;
    m_maximum = maximum;
}

void UpDown::setLanguage(Language language)
{
    m_previous->setAccessibleName(StepperArrowName(false, language));
    m_next->setAccessibleName(StepperArrowName(true, language));
}

QString UpDown::valueText() const
{
    return m_valueLabel ? m_valueLabel->text() : QString();
}

void UpDown::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Plus:
            step(Button::Next);
            return;
        case Qt::Key_Left:
        case Qt::Key_Down:
        case Qt::Key_Minus:
            step(Button::Previous);
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void UpDown::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    showFocus(true);
}

void UpDown::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    showFocus(false);
}

// The arrows cover the whole pair, so the focus shows on them: they take the
// highlight colour while the pair has the focus.
void UpDown::showFocus(bool focused)
{
    QPalette highlighted;
    highlighted.setBrush(QPalette::Button, palette().highlight());
    for (QToolButton *arrow : {m_previous, m_next})
        arrow->setPalette(focused ? highlighted : QPalette());
}
