#include "gui/TextFieldGuard.h"

#include "core/Cp1252.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>

TextFieldGuard::TextFieldGuard(QLineEdit *edit, int limit, std::function<void()> onExit)
    : QValidator(edit), m_edit(edit), m_limit(limit), m_onExit(std::move(onExit))
{
    // The field's own length limit would cut a longer text from the file.
    edit->setMaxLength(32767);
    edit->setValidator(this);
    edit->installEventFilter(this);
    m_ceiling = int(edit->text().size());
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ceiling = int(text.size()); });
}

QValidator::State TextFieldGuard::validate(QString &input, int &) const
{
    if (input.size() > std::max(m_limit, m_ceiling) || !Cp1252::canEncode(input))
        return Invalid;
    return Acceptable;
}

void TextFieldGuard::show(QLineEdit *edit, const QString &text)
{
    // Raise the ceiling first: a text the validator refuses when it is set
    // would let the next keystroke through unchecked.
    if (auto *guard = qobject_cast<TextFieldGuard *>(const_cast<QValidator *>(edit->validator())))
        guard->m_ceiling = std::max(guard->m_ceiling, int(text.size()));
    edit->setText(text);
}

bool TextFieldGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut && m_onExit) {
        // Leaving the window or opening the context menu is no exit from the
        // field; the focus comes back to it. A window that is closed or being
        // destroyed takes the focus too, and its handlers may be gone; so
        // does a field being destroyed with its page (it is no QLineEdit any
        // more by then).
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && m_edit->window()->isVisible() && qobject_cast<QLineEdit *>(watched))
            m_onExit();
    }
    return QValidator::eventFilter(watched, event);
}
