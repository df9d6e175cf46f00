#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace controls {

// A captioned group of radio buttons laid out in columns, with one selected
// index (-1 for none).
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent = nullptr);

    int itemIndex() const;
    // An index outside the items is brought into range (-1 .. count - 1).
    void setItemIndex(int index);
    int count() const;
    // Places the group at its designed position and size, grown where the
    // platform's fonts need more room than the design gave.
    void placeAt(const QRect &design);

signals:
    // The user or the program selected another item.
    void itemIndexChanged(int index);

private:
    QButtonGroup *m_group;
};

} // namespace controls
