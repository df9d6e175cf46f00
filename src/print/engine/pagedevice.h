#pragma once

// Pages are recorded and text is laid out at one fixed resolution, 254 dots
// per inch, where one device pixel is 0.1 mm: the unit of every measure of
// the report engine. Preview, PDF and paper therefore break lines and pages
// identically, whatever the screen or printer.

#include <QPicture>
#include <QSizeF>

class QPainter;

namespace engine {

constexpr int unitsPerInch = 254; // 0.1 mm
constexpr double unitsPerMm = 10.0;
// A4 portrait in 0.1 mm.
inline const QSizeF a4{2100, 2970};

// A picture of one page, recorded in 0.1 mm units.
class PagePicture : public QPicture
{
public:
    PagePicture() = default;
    explicit PagePicture(const QPicture &other) : QPicture(other) {}

protected:
    int metric(PaintDeviceMetric m) const override;
};

// The device every text of a report is laid out for: 0.1 mm per pixel.
QPaintDevice *layoutDevice();

// Draws a recorded page so that its area of pageSize (0.1 mm) fills target,
// given in the painter's current coordinates, on any device.
void paintPage(QPainter &painter, const QPicture &page, const QSizeF &pageSize, const QRectF &target);

} // namespace engine
