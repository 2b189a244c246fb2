#pragma once

#include "texts/Texts.h"

#include <QTabWidget>

// The page control of the main window: a tab widget whose tabs all have one
// fixed width, narrower while the monitor tab is shown so that six tabs fit.
// A screen reader meets only the tabs that are shown and the page that is
// current; pages of hidden tabs are not there.
class PageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr);

    int tabWidth() const;
    void setTabWidth(int width);

    // Makes the next (or previous) shown tab current, wrapping around.
    void stepPage(bool forward);
    // The language of the tab bar's scroll arrows.
    void setLanguage(Language language);
};
