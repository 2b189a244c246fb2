#pragma once

#include <QComboBox>

// A drop-down list that a screen reader announces by its label (a buddy or
// its accessible name) and its value; Qt's own list is announced by its
// value alone on Linux.
class DropDownList : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownList(QWidget *parent = nullptr);
};
