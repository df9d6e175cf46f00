#include "designed.h"

#include <QLabel>
#include <QPushButton>

namespace controls {

QLabel *designedLabel(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(at);
    l->adjustSize();
    return l;
}

QPushButton *designedButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    QString shown = caption;
    shown.remove(QLatin1Char('&'));
    const int needed = b->fontMetrics().horizontalAdvance(shown) + 12;
    b->setGeometry(QRect(geometry.topLeft(), QSize(std::max(geometry.width(), needed), geometry.height())));
    return b;
}

} // namespace controls
