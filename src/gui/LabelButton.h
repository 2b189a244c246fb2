#pragma once

#include <QLabel>

// A label that works as a button: the web and mail links and the language
// flags. It looks like its label, is reached with Tab, is pressed with a
// click, Space or Enter, and tells a screen reader that it is a button (or
// a link, for a text that is an address).
class LabelButton : public QLabel
{
    Q_OBJECT
public:
    explicit LabelButton(QWidget *parent = nullptr);

    // Presses it as a click does.
    void press();

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
