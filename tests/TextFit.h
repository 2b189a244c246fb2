#pragma once
// Finds texts that their control cuts off: labels, buttons, radio buttons,
// check boxes, group box titles and tab captions of the visible part of a
// window, measured with the fonts and the style the window really uses.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QCheckBox>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTextDocument>

namespace textfit {

inline QString describe(const QWidget *widget, const QString &text, int needed, int available,
                        const char *what)
{
    return QStringLiteral("%1 \"%2\": %3 needs %4 px, has %5 px")
        .arg(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                            : widget->objectName(),
             text, QString::fromLatin1(what))
        .arg(needed)
        .arg(available);
}

inline void checkLabel(const QLabel *label, QStringList &problems)
{
    const QString text = label->text();
    if (text.isEmpty() || Qt::mightBeRichText(text))
        return;
    QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                -label->margin());
    const QFontMetrics fm(label->font());
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = fm.horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0 && (label->alignment() & (Qt::AlignLeft | Qt::AlignRight)))
        room.setWidth(room.width() - indent);
    const int flags = int(label->alignment()) | Qt::TextShowMnemonic
                      | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect needed = fm.boundingRect(QRect(0, 0, room.width(), 10000), flags, text);
    // One line needs the font's height; the line spacing counts only between lines.
    const int height = label->wordWrap() ? needed.height() : fm.height() * int(text.count(u'\n') + 1);
    if (needed.width() > room.width())
        problems << describe(label, text, needed.width(), room.width(), "width");
    if (height > room.height())
        problems << describe(label, text, height, room.height(), "height");
}

template <class Button>
void checkButtonText(const Button *button, QStyle::SubElement contents, QStringList &problems)
{
    const QString text = button->text();
    if (text.isEmpty())
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QRect room = button->style()->subElementRect(contents, &option, button);
    if (!button->icon().isNull())
        room.setWidth(room.width() - button->iconSize().width() - 4);
    const int width = button->fontMetrics().size(Qt::TextShowMnemonic, text).width();
    if (width > room.width())
        problems << describe(button, text, width, room.width(), "width");
    if (button->fontMetrics().height() > room.height())
        problems << describe(button, text, button->fontMetrics().height(), room.height(), "height");
}

inline void checkGroupBox(const QGroupBox *box, QStringList &problems)
{
    if (box->title().isEmpty())
        return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.features = box->isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    option.lineWidth = 1;
    const QRect title =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    if (!box->rect().contains(title))
        problems << describe(box, box->title(), title.right() + 1, box->width(), "title width");
}

inline void checkTabBar(const QTabBar *bar, QStringList &problems)
{
    for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i) || bar->tabText(i).isEmpty())
            continue;
        QStyleOptionTab option;
        option.initFrom(bar);
        option.rect = bar->tabRect(i);
        option.text = bar->tabText(i);
        option.shape = bar->shape();
        option.documentMode = bar->documentMode();
        const QRect room = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
        const int needed = bar->fontMetrics().size(Qt::TextShowMnemonic, option.text).width();
        if (needed > room.width())
            problems << describe(bar, option.text, needed, room.width(), "tab width");
    }
}

// Every visible control of `window` whose text does not fit into it.
inline QStringList clippedTexts(const QWidget *window)
{
    QStringList problems;
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        if (auto *label = qobject_cast<const QLabel *>(widget))
            checkLabel(label, problems);
        else if (auto *push = qobject_cast<const QPushButton *>(widget))
            checkButtonText(push, QStyle::SE_PushButtonContents, problems);
        else if (auto *radio = qobject_cast<const QRadioButton *>(widget))
            checkButtonText(radio, QStyle::SE_RadioButtonContents, problems);
        else if (auto *check = qobject_cast<const QCheckBox *>(widget))
            checkButtonText(check, QStyle::SE_CheckBoxContents, problems);
        else if (auto *bar = qobject_cast<const QTabBar *>(widget))
            checkTabBar(bar, problems);
        if (auto *box = qobject_cast<const QGroupBox *>(widget))
            checkGroupBox(box, problems);
    }
    return problems;
}

} // namespace textfit
