#pragma once

// A picture as the bytes of a file of the given format ("BMP", "PNG",
// "JPEG", "ICO"), as a test stores it in a picture field or writes it out.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace testsupport {

inline QByteArray fileBytes(const QImage &picture, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

} // namespace testsupport
