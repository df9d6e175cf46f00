#pragma once

#include "print/engine/document.h"

#include <QImage>
#include <QPainter>

namespace testsupport {

// A page as an image of one pixel per 0.1 mm.
inline QImage pageImage(const engine::Document &d, int page)
{
    QImage img(2100, 2970, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000);
    img.setDotsPerMeterY(10000);
    img.fill(Qt::white);
    QPainter p(&img);
    d.paint(p, page, img.rect());
    return img;
}

} // namespace testsupport
