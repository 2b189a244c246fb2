#include "gui/PageControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QProxyStyle>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>

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

// One tab of the page control, pressed to show its page.
class AccessiblePageTab : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    AccessiblePageTab(QTabBar *bar, int index) : m_bar(bar), m_index(index) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_bar && m_bar->window() ? m_bar->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_bar.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        if (t == QAccessible::Name)
            return QString(m_bar->tabText(m_index)).remove(u'&');
        if (t == QAccessible::Description)
            return m_bar->tabToolTip(m_index);
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect r = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_bar->isVisible() || !m_bar->isTabVisible(m_index);
        s.disabled = !m_bar->isTabEnabled(m_index);
        s.focusable = !s.invisible;
        s.selectable = true;
        s.selected = m_index == m_bar->currentIndex();
        s.focused = s.selected && m_bar->hasFocus();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid() && m_bar->isTabVisible(m_index))
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

// The tab bar of the page control: the tabs that are shown, then its
// scroll arrows. A hidden tab is no child, so that its page is not
// announced.
class AccessiblePageTabBar : public QAccessibleWidget
{
public:
    explicit AccessiblePageTabBar(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~AccessiblePageTabBar() override
    {
        for (QAccessible::Id id : std::as_const(m_tabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    // Named by the current page, as Qt's own tab bar is.
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && bar()->currentIndex() >= 0 && widget()->accessibleName().isEmpty())
            return QString(bar()->tabText(bar()->currentIndex())).remove(u'&');
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return int(shownTabs().size() + arrows().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<int> tabs = shownTabs();
        if (index < 0)
            return nullptr;
        if (index < tabs.size())
            return tabInterface(tabs.at(index));
        const QList<QToolButton *> buttons = arrows();
        index -= int(tabs.size());
        return index < buttons.size() ? QAccessible::queryAccessibleInterface(buttons.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }

private:
    QTabBar *bar() const { return static_cast<QTabBar *>(widget()); }
    QList<int> shownTabs() const
    {
        QList<int> tabs;
        for (int i = 0; i < bar()->count(); ++i) {
            if (bar()->isTabVisible(i))
                tabs << i;
        }
        return tabs;
    }
    QList<QToolButton *> arrows() const { return bar()->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly); }
    QAccessibleInterface *tabInterface(int index) const
    {
        if (const auto known = m_tabs.constFind(index); known != m_tabs.cend())
            return QAccessible::accessibleInterface(*known);
        QAccessibleInterface *tab = new AccessiblePageTab(bar(), index);
        m_tabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    mutable QHash<int, QAccessible::Id> m_tabs;
};

// The pages of the page control: only the current one is a child.
class AccessiblePageStack : public QAccessibleWidget
{
public:
    explicit AccessiblePageStack(QStackedWidget *stack) : QAccessibleWidget(stack, QAccessible::LayeredPane) {}

    int childCount() const override { return stack()->currentWidget() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(stack()->currentWidget()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() && child->object() == stack()->currentWidget() ? 0 : -1;
    }

private:
    QStackedWidget *stack() const { return static_cast<QStackedWidget *>(widget()); }
};

// The page control itself, which hands the focus to its tab bar, is named
// by its current page as well.
class AccessiblePageControl : public QAccessibleWidget
{
public:
    explicit AccessiblePageControl(PageControl *pages) : QAccessibleWidget(pages, QAccessible::Pane) {}

    QString text(QAccessible::Text t) const override
    {
        const auto *pages = static_cast<PageControl *>(widget());
        if (t == QAccessible::Name && pages->currentIndex() >= 0 && pages->accessibleName().isEmpty())
            return QString(pages->tabText(pages->currentIndex())).remove(u'&');
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *pageControlPart(const QString &className, QObject *object)
{
    if (auto *pages = qobject_cast<PageControl *>(object); pages && className == QLatin1String("PageControl"))
        return new AccessiblePageControl(pages);
    if (!qobject_cast<PageControl *>(object->parent()))
        return nullptr;
    if (className == QLatin1String("QTabBar"))
        return new AccessiblePageTabBar(static_cast<QTabBar *>(object));
    if (className == QLatin1String("QStackedWidget"))
        return new AccessiblePageStack(static_cast<QStackedWidget *>(object));
    return nullptr;
}

} // namespace

PageControl::PageControl(QWidget *parent) : QTabWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(pageControlPart), true);
    Q_UNUSED(installed);
    auto *bar = new FixedWidthTabBar(this);
    // Without a base style the proxy follows the application's style.
    auto *style = new TabPaddingStyle;
    style->setParent(bar);
    bar->setStyle(style);
    setTabBar(bar);
    setLanguage(Language::German);
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

void PageControl::stepPage(bool forward)
{
    const int n = count();
    for (int step = 1; step < n; ++step) {
        const int index = ((currentIndex() + (forward ? step : -step)) % n + n) % n;
        if (isTabVisible(index) && isTabEnabled(index)) {
            setCurrentIndex(index);
            return;
        }
    }
}

void PageControl::setLanguage(Language language)
{
    // Qt names the arrows once, in the language of its translation at the
    // time; they follow the window's language here.
    for (QToolButton *arrow : tabBar()->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly)) {
        if (arrow->arrowType() == Qt::LeftArrow || arrow->arrowType() == Qt::RightArrow)
            arrow->setAccessibleName(TabScrollName(arrow->arrowType() == Qt::RightArrow, language));
    }
}
