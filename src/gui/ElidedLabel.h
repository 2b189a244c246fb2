#pragma once

#include <QLabel>

// A one-line label for a text that may be longer than its room: it shows as
// much as fits, ending in "…", and its tooltip and its name and description
// for a screen reader hold the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }
    // True when the label shows less than the whole text.
    bool isElided() const { return text() != m_fullText; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_fullText;
};

class QLabel;

// Shows `text` in the word-wrapped `label`; a text that needs more lines than
// the label has is cut at the end with "…", and its whole is then the
// label's tooltip and its description for a screen reader.
void SetWrappedText(QLabel *label, const QString &text);
