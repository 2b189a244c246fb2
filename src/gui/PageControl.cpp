#include "gui/PageControl.h"

#include <QTabBar>

namespace {
class FixedWidthTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;
    int width = 130;

protected:
    QSize tabSizeHint(int index) const override
    {
        return QSize(width, QTabBar::tabSizeHint(index).height());
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
};
} // namespace

PageControl::PageControl(QWidget *parent) : QTabWidget(parent)
{
    setTabBar(new FixedWidthTabBar(this));
}

int PageControl::tabWidth() const
{
    return static_cast<const FixedWidthTabBar *>(tabBar())->width;
}

void PageControl::setTabWidth(int width)
{
    auto *bar = static_cast<FixedWidthTabBar *>(tabBar());
    if (bar->width == width)
        return;
    bar->width = width;
    // The bar asks for the size hints again when it lays its tabs out anew,
    // which setting a tab's text makes it do.
    if (bar->count() > 0)
        bar->setTabText(0, bar->tabText(0));
}
