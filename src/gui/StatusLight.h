#pragma once

#include <QWidget>

// Small round indicator of a page or group: red while what the page shows is
// not yet confirmed by the gateway, green once a reply has been stored. Its
// tooltip and its description for a screen reader say the same in words.
class StatusLight : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool lit READ lit WRITE setLit)

public:
    explicit StatusLight(QWidget *parent = nullptr);

    bool lit() const { return m_lit; }
    void setLit(bool lit);
    // 0 German, 1 English: the language of its words.
    void setLanguage(int language);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void describe();

    bool m_lit = true;
    int m_language = 0;
};
