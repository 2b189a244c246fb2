#pragma once
// Answers the window's next modal dialog from a test. A modal dialog runs its
// own event loop inside the call that opened it, so the answer is set up
// before that call and given from a timer once the dialog shows.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

// Runs `handle` once on the next visible modal widget of type T. A dialog
// that never comes leaves the timer polling until `owner` goes (the whole
// test program without one).
template <class T>
void onNextModal(std::function<void(T *)> handle, QObject *owner = nullptr)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        auto *widget = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!widget || !widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        handle(widget);
    });
    timer->start();
}

// What a message box showed.
struct SeenBox
{
    bool seen = false;
    QString caption;
    QString text;
    QString objectName;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // their captions, sorted
};

// Answers the next message box with `button` and records what it showed.
inline std::shared_ptr<SeenBox> answerNextMessageBox(QMessageBox::StandardButton button = QMessageBox::Ok,
                                                     QObject *owner = nullptr)
{
    auto seen = std::make_shared<SeenBox>();
    onNextModal<QMessageBox>(
        [seen, button](QMessageBox *box) {
            seen->seen = true;
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->objectName = box->objectName();
            seen->icon = box->icon();
            for (QAbstractButton *b : box->buttons())
                seen->buttons << b->text();
            seen->buttons.sort();
            box->button(button)->click();
        },
        owner);
    return seen;
}
