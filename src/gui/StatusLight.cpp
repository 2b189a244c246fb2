#include "gui/StatusLight.h"

#include "texts/Texts.h"

#include <QPainter>

namespace {
constexpr int Side = 13;
}

StatusLight::StatusLight(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(Side, Side);
    describe();
}

void StatusLight::setLit(bool lit)
{
    if (m_lit == lit)
        return;
    m_lit = lit;
    describe();
    update();
}

void StatusLight::setLanguage(Language language)
{
    m_language = language;
    describe();
}

void StatusLight::setName(std::function<QString(Language)> name)
{
    m_name = std::move(name);
    describe();
}

void StatusLight::describe()
{
    setAccessibleName(m_name(m_language));
    const QString text = StatusLightText(m_lit, m_language);
    if (text == toolTip())
        return;
    setToolTip(text);
    setAccessibleDescription(text);
}

QSize StatusLight::sizeHint() const
{
    return QSize(Side, Side);
}

void StatusLight::paintEvent(QPaintEvent *)
{
    const QColor fill = m_lit ? QColor(224, 32, 32) : QColor(32, 176, 48);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fill.darker(170), 1.0));
    painter.setBrush(fill);
    // Half-pixel inset keeps the 1 px rim on whole pixels.
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
