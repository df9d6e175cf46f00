#pragma once

#include <QString>

class QAction;
class QWidget;

namespace platform {

// A hint is "short|long": the short part becomes the tooltip, the long part
// the status tip that the status line shows. A hint without "|" is both.
QString shortHint(const QString &hint);
QString longHint(const QString &hint);

void setHint(QWidget *widget, const QString &hint);
void setHint(QAction *action, const QString &hint);

} // namespace platform
