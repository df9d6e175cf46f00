#include "programicon.h"

#include <QDir>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace lernora {

namespace {

// Everything is drawn on a 256 x 256 grid, scaled to the size asked for.
// Below 32 pixels the fine parts (text lines, bricks, bristles) would only
// blur; the icon then keeps its large shapes.
void draw(QPainter &p, int size)
{
    const bool small = size < 32;
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // The ground: a rounded square in slate blue.
    QLinearGradient ground(0, 0, 0, 256);
    ground.setColorAt(0, QColor(0x3b, 0x62, 0x8a));
    ground.setColorAt(1, QColor(0x1d, 0x33, 0x4d));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    const double inset = qMax(8.0, 256.0 / size); // at least a pixel, so the corners stay clear
    p.drawRoundedRect(QRectF(inset, inset, 256 - 2 * inset, 256 - 2 * inset), 44, 44);

    // The report sheet, a little turned, with its written lines.
    p.save();
    p.translate(100, 132);
    p.rotate(-7);
    p.setBrush(QColor(0x2a, 0x2a, 0x2a, 70));
    p.drawRect(QRectF(-58, -80, 120, 164)); // its shadow
    p.setBrush(QColor(0xfc, 0xfb, 0xf6));
    p.drawRect(QRectF(-64, -86, 120, 164));
    p.setBrush(QColor(0xc0, 0x39, 0x2b));
    p.drawRect(QRectF(-64, -86, 120, small ? 34 : 24)); // the heading
    if (!small) {
        p.setBrush(QColor(0x8a, 0x94, 0xa3));
        const double widths[] = {92, 76, 96, 60, 88, 70};
        double y = -48;
        for (double w : widths) {
            p.drawRect(QRectF(-50, y, w, 7));
            y += 18;
        }
    }
    p.restore();

    // The chimney: a brick stack with its cap, right of the sheet.
    const QRectF stack(160, 118, 52, 112);
    p.setBrush(QColor(0xb2, 0x4a, 0x2e));
    p.drawRect(stack);
    if (!small) {
        p.setPen(QPen(QColor(0x7e, 0x2c, 0x19), 3));
        for (int row = 1; row * 18 < stack.height(); ++row) {
            const double y = stack.top() + row * 18;
            p.drawLine(QPointF(stack.left(), y), QPointF(stack.right(), y));
            const double x = stack.left() + (row % 2 ? 18 : 34);
            p.drawLine(QPointF(x, y - 18), QPointF(x, y));
        }
        p.setPen(Qt::NoPen);
    }
    p.setBrush(QColor(0x4a, 0x4a, 0x4a));
    p.drawRect(QRectF(152, 106, 68, 16));

    // The sweep's broom on its rope above the chimney: a ball of bristles.
    const QPointF broom(186, 62);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), small ? 10 : 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(186, 104), broom); // the rope
    if (small) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x10, 0x10, 0x10));
        p.drawEllipse(broom, 34, 34);
        return;
    }
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 24; ++i) {
        const double a = qDegreesToRadians(i * 15.0);
        const double reach = i % 2 ? 30 : 36;
        p.drawLine(broom + QPointF(8 * qCos(a), 8 * qSin(a)), broom + QPointF(reach * qCos(a), reach * qSin(a)));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x55, 0x55, 0x55));
    p.drawEllipse(broom, 9, 9); // the ball that weighs it down
}

class IconEngine final : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatioF(), mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        QPixmap picture = QPixmap::fromImage(programIconImage(qMin(size.width(), size.height())));
        if (mode == QIcon::Disabled) {
            QImage grey = picture.toImage().convertToFormat(QImage::Format_Grayscale8);
            QImage withAlpha = grey.convertToFormat(QImage::Format_ARGB32);
            withAlpha.setAlphaChannel(picture.toImage().convertToFormat(QImage::Format_Alpha8));
            picture = QPixmap::fromImage(withAlpha);
        }
        return picture;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int s : programIconSizes)
            sizes << QSize(s, s);
        return sizes;
    }
    QIconEngine *clone() const override { return new IconEngine; }
    QString key() const override { return QStringLiteral("lernora-program-icon"); }
};

} // namespace

void paintProgramIcon(QPainter &painter, int size)
{
    painter.save();
    draw(painter, size);
    painter.restore();
}

QImage programIconImage(int size)
{
    QImage image(qMax(size, 1), qMax(size, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(p, image.width());
    return image;
}

QIcon programIcon()
{
    return QIcon(new IconEngine);
}

bool writeProgramIconFiles(const QString &dir)
{
    if (!QDir().mkpath(dir))
        return false;
    bool written = true;
    for (int size : programIconSizes)
        written = programIconImage(size).save(QDir(dir).filePath(QStringLiteral("lernora-%1.png").arg(size)), "PNG")
                  && written;
    return written;
}

} // namespace lernora
