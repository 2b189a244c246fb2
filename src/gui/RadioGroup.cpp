#include "gui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

RadioGroup::RadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , m_layout(new QVBoxLayout(this))
    , m_group(new QButtonGroup(this))
{
    m_layout->setContentsMargins(8, 4, 8, 4);
    m_layout->setSpacing(0);
    connect(m_group, &QButtonGroup::idToggled, this, &RadioGroup::onToggled);
}

void RadioGroup::setItems(const QStringList &items)
{
    const bool hadSelection = m_index >= 0;
    for (QRadioButton *button : std::as_const(m_buttons)) {
        m_group->removeButton(button);
        m_layout->removeWidget(button);
        // Detach at once so the group shows only the new items, but free
        // later: this may run from a slot of one of these very buttons.
        button->hide();
        button->setParent(nullptr);
        button->deleteLater();
    }
    m_buttons.clear();
    m_items = items;
    m_index = -1;

    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(this);
        QString text = items.at(i);
        button->setText(text.replace(QLatin1Char('&'), QLatin1String("&&")));
        m_group->addButton(button, i);
        m_layout->addWidget(button);
        m_buttons.append(button);
    }

    if (hadSelection)
        emit itemIndexChanged(m_index);
}

void RadioGroup::setItemIndex(int index)
{
    if (index < 0)
        index = -1;
    else if (index >= m_buttons.size())
        index = int(m_buttons.size()) - 1;
    if (index == m_index)
        return;
    applyIndex(index);
    m_index = index;
    emit itemIndexChanged(m_index);
}

void RadioGroup::applyIndex(int index)
{
    m_applying = true;
    if (index >= 0) {
        m_buttons.at(index)->setChecked(true);
    } else if (QAbstractButton *checked = m_group->checkedButton()) {
        // An exclusive group refuses to uncheck its last checked button.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
    m_applying = false;
}

void RadioGroup::onToggled(int id, bool checked)
{
    if (m_applying || !checked || id == m_index)
        return;
    m_index = id;
    emit itemIndexChanged(m_index);
}
