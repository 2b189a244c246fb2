// The port list of the first page: refreshed while offline when the page is
// shown and when its drop-down is about to open.

#include "gui/PortList.h"
#include "shell/F_FormMain.h"

#include "ui_TabSheet1.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <functional>

namespace {

// Sees the presses that open a combo box's drop-down before the box does,
// so that new ports are in the list the popup shows.
class PopupWatch : public QObject
{
public:
    PopupWatch(QComboBox *box, std::function<void()> refresh)
        : QObject(box), m_refresh(std::move(refresh))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (OpensPopup(static_cast<QComboBox *>(watched), event))
            m_refresh();
        return false;
    }

private:
    static bool OpensPopup(QComboBox *box, QEvent *event)
    {
        if (event->type() == QEvent::MouseButtonPress)
            return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_F4:
            return key->modifiers() == Qt::NoModifier;
        case Qt::Key_Up:
        case Qt::Key_Down:
            return key->modifiers() & Qt::AltModifier;
        case Qt::Key_Space:
            return !box->isEditable();
        default:
            return false;
        }
    }

    std::function<void()> m_refresh;
};

} // namespace

void TFormMain::SetupPortList()
{
    QComboBox *box = ui1->cb_COM_Port;
    // Owned by the box and needing nothing of the window, so it stays safe
    // while the window is torn down.
    const QString portsDir = ProgramFolderPath() + QStringLiteral("ports/");
    new PopupWatch(box, [box, portsDir] {
        // Disabled while the link is open: the open port's entry must not move.
        if (box->isEnabled())
            ListSerialPorts(box, portsDir);
    });
}

void TFormMain::TabSheet1Show()
{
    QComboBox *box = ui1->cb_COM_Port;
    if (!box->isEnabled())
        return;
    ListSerialPorts(box, ProgramFolderPath() + QStringLiteral("ports/"));
    if (box->count() > 0)
        box->setCurrentIndex(0);
}
