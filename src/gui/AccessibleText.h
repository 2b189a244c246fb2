#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>

// The text of a control that shows one value and cannot be edited (the
// item of a drop-down list, the value of a stepper), as a screen reader reads
// it through the text interface: no caret to move, nothing to select.
class ReadOnlyAccessibleText : public QAccessibleTextInterface
{
public:
    // The text the control shows now.
    virtual QString shownText() const = 0;

    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString shown = shownText();
        if (startOffset < 0 || endOffset < startOffset || startOffset > shown.size())
            return QString();
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shownText().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }
};
