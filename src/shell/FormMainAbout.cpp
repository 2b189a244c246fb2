// The about side of the first page: the pictures, the web and mail links with
// their hover styles, and the two flags that choose the language.

#include "gui/AboutLinks.h"
#include "gui/ErrorReport.h"
#include "shell/F_FormMain.h"
#include "gui/JpegImage.h"
#include "gui/Language.h"

#include "ui_TabSheet1.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <exception>
#include <functional>
#include <utility>

namespace {

// The hand cursor is pushed once and popped once, so that moving from one
// link straight onto the other keeps it and other override cursors survive.
bool handCursorShown = false;

void showHandCursor(bool show)
{
    if (show == handCursorShown)
        return;
    handCursorShown = show;
    if (show)
        QApplication::setOverrideCursor(Qt::PointingHandCursor);
    else
        QApplication::restoreOverrideCursor();
}

// Hands a widget's events to a function; TFormMain's own filter is busy with
// the hot keys.
class EventHook : public QObject
{
public:
    EventHook(QObject *parent, std::function<bool(QObject *, QEvent *)> handler)
        : QObject(parent), m_handler(std::move(handler))
    {
    }
    // A window closed under the mouse gets no leave event.
    ~EventHook() override { showHandCursor(false); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject *, QEvent *)> m_handler;
};

bool isClick(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    // Released outside the control is no click, as with buttons.
    return mouse->button() == Qt::LeftButton && widget
           && widget->rect().contains(mouse->position().toPoint());
}

void showPicture(QLabel *label, const char *resource, bool sizeToContent)
{
    const QImage image = LoadJpeg(QString::fromLatin1(resource));
    if (image.isNull())
        return; // a damaged picture leaves its place empty
    label->setPixmap(QPixmap::fromImage(image));
    if (sizeToContent)
        label->resize(image.size());
}

void setLinkStyle(QObject *sender, bool hovered)
{
    auto *label = qobject_cast<QLabel *>(sender);
    if (!label)
        return;
    QFont font = label->font();
    font.setBold(hovered);
    font.setUnderline(true);
    label->setFont(font);
}

} // namespace

void TFormMain::SetupAboutPage()
{
    // The resources sit in a static library: without this call the linker
    // drops them.
    Q_INIT_RESOURCE(pictures);
    showPicture(ui1->Image, ":/pictures/logo.jpg", true);
    showPicture(ui1->Image1, ":/pictures/flag_de.jpg", false);
    showPicture(ui1->Image2, ":/pictures/flag_gb.jpg", false);

    // The labels, not ui1, are captured: the window's members are gone before
    // its children, and the hook still sees their last events.
    QLabel *web = ui1->LabelUrl;
    QLabel *mail = ui1->LabelMailto;
    QLabel *german = ui1->Image1;
    QLabel *english = ui1->Image2;
    const auto handle = [this, web, mail, german, english](QObject *watched, QEvent *event) {
        const bool link = watched == web || watched == mail;
        if (link && event->type() == QEvent::Enter)
            RunGuarded([&] { Label14MouseEnter(watched); });
        else if (link && event->type() == QEvent::Leave)
            RunGuarded([&] { Label14MouseLeave(watched); });
        else if (!isClick(watched, event))
            return false;
        else if (watched == web)
            RunGuarded([&] { Label13Click(web); });
        else if (watched == mail)
            RunGuarded([&] { Label14Click(mail); });
        else if (watched == german)
            RunGuarded([this] { Image1Click(); });
        else if (watched == english)
            RunGuarded([this] { Image2Click(); });
        return false;
    };
    auto *hook = new EventHook(this, handle);
    for (QLabel *label : {web, mail, german, english})
        label->installEventFilter(hook);
}

void TFormMain::Label13Click(QLabel *sender)
{
    try {
        OpenAddress(sender->text());
    } catch (...) {
        // A web address that does not open is not reported.
    }
}

void TFormMain::Label14Click(QLabel *sender)
{
    bool opened = false;
    try {
        opened = OpenAddress(MailTarget(sender->text()));
    } catch (...) {
        opened = false;
    }
    if (opened)
        return;
    // English in both languages, a plain box without icon.
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppCaption),
                    QStringLiteral("No mail program installed!"), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("NoMailProgram"));
    box.exec();
}

void TFormMain::Label14MouseEnter(QObject *sender)
{
    showHandCursor(true);
    setLinkStyle(sender, true);
}

void TFormMain::Label14MouseLeave(QObject *sender)
{
    showHandCursor(false);
    setLinkStyle(sender, false);
}

namespace {

// The captions switch even when the choice cannot be stored, so the window
// never shows one language while Language says the other; the store failure
// is still reported afterwards.
void chooseLanguage(TFormMain &form, int language)
{
    form.Language = language;
    std::exception_ptr storeFailure;
    try {
        form.WriteIniValue(QStringLiteral("Speech"), QStringLiteral("Speech"),
                           QString::number(language));
    } catch (...) {
        storeFailure = std::current_exception();
    }
    ApplyLanguage(language == 0 ? 0 : EnglishOffset);
    form.RefreshCaptions();
    if (storeFailure)
        std::rethrow_exception(storeFailure);
}

} // namespace

void TFormMain::Image1Click()
{
    chooseLanguage(*this, 0);
}

void TFormMain::Image2Click()
{
    chooseLanguage(*this, 1);
}
