#include "pagedevice.h"

#include <QPainter>

namespace engine {

int PagePicture::metric(PaintDeviceMetric m) const
{
    switch (m) {
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return unitsPerInch;
    case PdmWidth:
        return int(a4.width());
    case PdmHeight:
        return int(a4.height());
    case PdmWidthMM:
        return int(a4.width() / unitsPerMm);
    case PdmHeightMM:
        return int(a4.height() / unitsPerMm);
    default:
        return QPicture::metric(m);
    }
}

QPaintDevice *layoutDevice()
{
    static PagePicture device;
    return &device;
}

void paintPage(QPainter &painter, const QPicture &page, const QSizeF &pageSize, const QRectF &target)
{
    if (pageSize.isEmpty())
        return;
    // Replaying a picture scales by itself from the default resolution of
    // pictures to the target device's resolution; the factor that remains is
    // the one from 0.1 mm to the target rectangle.
    const QPaintDevice *device = painter.device();
    const QPicture reference;
    const double pictureDpiX = reference.logicalDpiX(), pictureDpiY = reference.logicalDpiY();
    const double deviceDpiX = device ? device->logicalDpiX() : pictureDpiX;
    const double deviceDpiY = device ? device->logicalDpiY() : pictureDpiY;
    const double sx = target.width() / pageSize.width() * pictureDpiX / deviceDpiX;
    const double sy = target.height() / pageSize.height() * pictureDpiY / deviceDpiY;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(sx, sy);
    painter.drawPicture(0, 0, page);
    painter.restore();
}

} // namespace engine
