#pragma once

#include "texts/Texts.h"

#include <QWidget>

class QLabel;
class QToolButton;

// A pair of arrow buttons that only reports which arrow was pressed; the page
// that owns it keeps the value and decides how to step and wrap. Reached with
// Tab, it steps with the arrow keys as well (right and up: next).
class UpDown : public QWidget
{
    Q_OBJECT

public:
    enum class Button { Next, Previous };
    Q_ENUM(Button)

    explicit UpDown(QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // Reports a press of one arrow.
    void step(Button button);

    // The label beside the arrows that shows the value they step; a screen
    // reader hears its text as the value, and again after every step.
    void setValueLabel(QLabel *label) { m_valueLabel = label; }
    QString valueText() const;
    // The value as a number within its range, for a screen reader's value
    // interface; the page that steps it keeps it up to date.
    void setValue(int value, int minimum, int maximum);
    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // The language of the arrows' names.
    void setLanguage(Language language);

signals:
    void clicked(UpDown::Button button);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showFocus(bool focused);

    QToolButton *m_previous;
    QToolButton *m_next;
    QLabel *m_valueLabel = nullptr;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};
