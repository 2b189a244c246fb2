#include "gui/UpDown.h"

#include <QHBoxLayout>
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

} // namespace

UpDown::UpDown(QWidget *parent)
    : QWidget(parent)
    , m_previous(makeArrow(this, Qt::LeftArrow, "UpDownPrevious"))
    , m_next(makeArrow(this, Qt::RightArrow, "UpDownNext"))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);

    connect(m_previous, &QToolButton::clicked, this, [this] { emit clicked(Button::Previous); });
    connect(m_next, &QToolButton::clicked, this, [this] { emit clicked(Button::Next); });
}

QSize UpDown::sizeHint() const
{
    return QSize(47, 19);
}
