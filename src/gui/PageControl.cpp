#include "gui/PageControl.h"

#include <QProxyStyle>
#include <QTabBar>

namespace {

// Qt's styles keep 12 px on each side of a tab's caption; the layout's fixed
// tab widths were made for about 4, and with 12 "Speichern / Laden" does not
// fit into a 115 px tab. The tab's own frame is left to the style.
class TabPaddingStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};
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
    auto *bar = new FixedWidthTabBar(this);
    // Without a base style the proxy follows the application's style.
    auto *style = new TabPaddingStyle;
    style->setParent(bar);
    bar->setStyle(style);
    setTabBar(bar);
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
