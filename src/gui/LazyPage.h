#pragma once
// A page whose controls are built when it is first needed: a page hidden at
// start costs the start nothing. The window builds a page before its tab is
// shown; a page built later takes the current language and layout then.

#include "gui/ShownPage.h"

#include <QWidget>

class LazyPage : public QWidget, public ShownPage
{
    Q_OBJECT
public:
    // `objectName` is the page's name in its .ui file, known before it is built.
    explicit LazyPage(const char *objectName, QWidget *parent = nullptr);

    bool isBuilt() const { return m_built; }
    void ensureBuilt();

protected:
    // Sets up the controls from the .ui file and connects them.
    virtual void build() = 0;
    // Brings freshly built controls to the current language and layout.
    virtual void catchUp() = 0;

private:
    bool m_built = false;
};
