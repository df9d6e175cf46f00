#include "designed.h"

#include "keyboard.h"

#include <QFont>
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

QLabel *designedLinkLabel(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    QLabel *l = designedLabel(parent, name, text, at);
    QFont underlined = l->font();
    underlined.setUnderline(true);
    l->setFont(underlined);
    l->setStyleSheet(QStringLiteral("color: blue;"));
    l->adjustSize();
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

QPushButton *designedButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    showFocusFrame(b);
    QString shown = caption;
    shown.remove(QLatin1Char('&'));
    const int needed = b->fontMetrics().horizontalAdvance(shown) + 12;
    b->setGeometry(QRect(geometry.topLeft(), QSize(std::max(geometry.width(), needed), geometry.height())));
    return b;
}

} // namespace controls
