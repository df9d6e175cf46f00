#pragma once

// Controls placed where a window's design puts them, named after the design.

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace controls {

// A label at its place, as wide as its text.
QLabel *designedLabel(QWidget *parent, const char *name, const QString &text, QPoint at);

// A label that looks like a link: blue, underlined, with the pointing hand.
// What a click does is the caller's.
QLabel *designedLinkLabel(QWidget *parent, const char *name, const QString &text, QPoint at);

// A button at its place and size; it grows to the right where the platform's
// font needs more room for its caption than the design gave.
QPushButton *designedButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);

} // namespace controls
