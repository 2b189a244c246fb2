#pragma once

#include <QValidator>
#include <functional>

class QLineEdit;

// Guards a free-text field whose text goes into the working configuration
// file. Typing is refused when it would put a character there that
// Windows-1252 cannot hold, or make the text longer than `limit`; a longer
// text shown by the program (with show()) stays whole and may be shortened.
// `onExit` runs whenever the focus moves from the field to another control.
class TextFieldGuard : public QValidator
{
    Q_OBJECT

public:
    TextFieldGuard(QLineEdit *edit, int limit, std::function<void()> onExit);

    State validate(QString &input, int &pos) const override;

    // Shows `text` in `edit` in full, whatever its length.
    static void show(QLineEdit *edit, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    int m_limit;
    int m_ceiling = 0;
    std::function<void()> m_onExit;
};
