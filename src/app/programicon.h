#pragma once

// The program's icon: a report sheet before a chimney with the sweep's
// broom on top, drawn as shapes at whatever size it is shown, so that it is
// sharp in a title bar, a task bar and the about box alike.

#include <QIcon>
#include <QImage>

class QPainter;

namespace lernora {

// The icon at any size (a QIconEngine draws each requested size).
QIcon programIcon();

// The icon drawn into a square image of `size` pixels, transparent around
// its rounded square.
QImage programIconImage(int size);

// Draws the icon into a square of `size` pixels at the painter's origin
// (what programIconImage paints, for any paint device, e.g. an SVG file).
void paintProgramIcon(QPainter &painter, int size);

// The sizes a desktop entry takes its icons in.
inline constexpr int programIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Writes dir/lernora-<size>.png for every size of programIconSizes; false
// when a file could not be written.
bool writeProgramIconFiles(const QString &dir);

} // namespace lernora
