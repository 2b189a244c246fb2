#include "gui/LazyPage.h"

#include "gui/Fonts.h"

LazyPage::LazyPage(const char *objectName, QWidget *parent) : QWidget(parent)
{
    setObjectName(QLatin1String(objectName));
}

void LazyPage::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    // Fonts are set before the controls exist: setting them afterwards would
    // send every control a font change.
    setFont(PageFont(11));
    build();
    catchUp();
}
