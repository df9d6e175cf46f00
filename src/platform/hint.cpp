#include "platform/hint.h"

#include <QAction>
#include <QWidget>

namespace platform {

QString shortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void setHint(QWidget *widget, const QString &hint)
{
    if (!widget)
        return;
    widget->setToolTip(shortHint(hint));
    widget->setStatusTip(longHint(hint));
}

void setHint(QAction *action, const QString &hint)
{
    if (!action)
        return;
    action->setToolTip(shortHint(hint));
    action->setStatusTip(longHint(hint));
}

} // namespace platform
