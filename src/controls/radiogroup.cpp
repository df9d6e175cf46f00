#include "radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace controls {

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this))
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 0, 6, 0);
    grid->setVerticalSpacing(0);
    const int rows = (int(items.size()) + columns - 1) / std::max(1, columns);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

int RadioGroup::count() const
{
    return int(m_group->buttons().size());
}

void RadioGroup::setItemIndex(int index)
{
    index = std::clamp(index, -1, count() - 1);
    if (index < 0) {
        if (QAbstractButton *b = m_group->checkedButton()) {
            m_group->setExclusive(false);
            b->setChecked(false);
            m_group->setExclusive(true);
        }
        return;
    }
    m_group->button(index)->setChecked(true);
}

void RadioGroup::placeAt(const QRect &design)
{
    const QSize need = sizeHint();
    setGeometry(QRect(design.topLeft(), design.size().expandedTo(need)));
}

} // namespace controls
