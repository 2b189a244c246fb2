#include "gui/ElidedLabel.h"

#include <QFontMetrics>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    // The label takes the room it is given; its text never asks for more.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(0);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    setToolTip(text);
    setAccessibleName(text);
    setAccessibleDescription(text);
    elide();
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    int room = contentsRect().width() - 2 * margin();
    // A framed label indents its text by half an "x", as QLabel draws it.
    if (indent() < 0 && frameWidth() > 0)
        room -= fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    else if (indent() > 0)
        room -= indent();
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, qMax(0, room));
    if (shown != text())
        setText(shown);
}
