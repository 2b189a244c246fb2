#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// A framed column of radio buttons addressed by index, -1 meaning none.
// itemIndexChanged fires once per real change, from a click or from code,
// so a handler that stores the index needs no guard of its own.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)

public:
    explicit RadioGroup(QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    QStringList items() const { return m_items; }

    int itemIndex() const { return m_index; }
    // Negative clears the selection; past the end selects the last item.
    void setItemIndex(int index);

signals:
    void itemIndexChanged(int index);

private:
    void onToggled(int id, bool checked);
    void applyIndex(int index);

    QVBoxLayout *m_layout;
    QButtonGroup *m_group;
    QList<QRadioButton *> m_buttons;
    QStringList m_items;
    int m_index = -1;
    bool m_applying = false;
};
