#pragma once

#include <QTabWidget>

// The page control of the main window: a tab widget whose tabs all have one
// fixed width, narrower while the monitor tab is shown so that six tabs fit.
class PageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr);

    int tabWidth() const;
    void setTabWidth(int width);
};
