#pragma once

#include "texts/Texts.h"

#include <QWidget>
#include <functional>

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
    // The language of its words.
    void setLanguage(Language language);
    // Its name for a screen reader in each language, where a page has two
    // lights that the plain name would not tell apart.
    void setName(std::function<QString(Language)> name);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void describe();

    bool m_lit = true;
    Language m_language = Language::German;
    std::function<QString(Language)> m_name = StatusLightName;
};
