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

namespace {

bool fitsWrapped(const QLabel *label, const QString &text)
{
    const QRect room = label->contentsRect();
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 100000),
                                                           int(label->alignment()) | Qt::TextWordWrap, text);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

} // namespace

void SetWrappedText(QLabel *label, const QString &text)
{
    QString shown = text;
    if (!fitsWrapped(label, text)) {
        // The longest start of the text that fits with the ellipsis.
        qsizetype low = 0, high = text.size();
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (fitsWrapped(label, text.left(mid) + QChar(0x2026)))
                low = mid;
            else
                high = mid - 1;
        }
        shown = text.left(low) + QChar(0x2026);
    }
    label->setText(shown);
    const QString whole = shown == text ? QString() : text;
    label->setToolTip(whole);
    label->setAccessibleDescription(whole);
}
