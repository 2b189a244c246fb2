#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons that only reports which arrow was pressed; the page
// that owns it keeps the value and decides how to step and wrap.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    enum class Button { Next, Previous };
    Q_ENUM(Button)

    explicit UpDown(QWidget *parent = nullptr);

    QSize sizeHint() const override;

signals:
    void clicked(UpDown::Button button);

private:
    QToolButton *m_previous;
    QToolButton *m_next;
};
