#include "previewview.h"

#include "document.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace engine {

namespace {

constexpr double screenDpi = 96.0;
// Above this many device pixels a page is no longer cached whole (an A4 page
// reaches it near 300 %); only the part in view and around it is rendered.
constexpr qint64 wholePageLimit = 16LL * 1024 * 1024;

const QColor background(128, 128, 128);
const QColor shadow(64, 64, 64);
constexpr int shadowOffset = 4;

} // namespace

PreviewView::PreviewView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("QRPreview1"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    updateScrollBars();
    m_nextTimer = new QTimer(this);
    m_nextTimer->setSingleShot(true);
    m_nextTimer->setInterval(0);
    connect(m_nextTimer, &QTimer::timeout, this, &PreviewView::renderNext);
}

PreviewView::~PreviewView() = default;

void PreviewView::setDocument(const Document *document)
{
    m_document = document;
    m_page = 1;
    invalidate();
    updateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    emit pageNumberChanged(m_page);
}

int PreviewView::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

void PreviewView::setPageNumber(int number)
{
    if (number < 1 || number > pageCount() || number == m_page)
        return;
    m_page = number;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit pageNumberChanged(m_page);
}

void PreviewView::setZoom(int percent)
{
    if (percent < minZoom || percent > maxZoom || percent == m_zoom)
        return;
    m_zoom = percent;
    updateScrollBars();
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void PreviewView::zoomToWidth()
{
    const QSizeF page = pageAt100();
    setZoom(int(0.9 * viewport()->width() / page.width() * 100.0));
}

void PreviewView::zoomToFit()
{
    const QSizeF page = pageAt100();
    const double ratio = qMin(viewport()->height() / page.height(), viewport()->width() / page.width());
    setZoom(int(0.95 * ratio * 100.0));
}

int PreviewView::scrollX() const
{
    return horizontalScrollBar()->value();
}

int PreviewView::scrollY() const
{
    return verticalScrollBar()->value();
}

void PreviewView::setScrollY(int y)
{
    verticalScrollBar()->setValue(y);
}

QSizeF PreviewView::pageAt100() const
{
    const QSizeF units = m_document ? m_document->pageSize() : a4;
    const QSizeF size(units.width() / unitsPerInch * screenDpi, units.height() / unitsPerInch * screenDpi);
    return size.isEmpty() ? QSizeF(1, 1) : size;
}

QSize PreviewView::pagePixels() const
{
    const QSizeF page = pageAt100() * (m_zoom / 100.0);
    return QSize(qMax(1, qRound(page.width())), qMax(1, qRound(page.height())));
}

QRect PreviewView::pageRect() const
{
    const QSize page = pagePixels();
    const QSize view = viewport()->size();
    // A page narrower than the view stands in its middle.
    const int x = page.width() + 2 * margin <= view.width() ? (view.width() - page.width()) / 2
                                                           : margin - horizontalScrollBar()->value();
    const int y = margin - verticalScrollBar()->value();
    return QRect(QPoint(x, y), page);
}

void PreviewView::updateScrollBars()
{
    const QSize content = pagePixels() + QSize(2 * margin, 2 * margin);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, qMax(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
}

void PreviewView::invalidate()
{
    ++m_generation;
    viewport()->update();
}

void PreviewView::documentChanged()
{
    if (m_page > pageCount() && pageCount() >= 1) {
        m_page = 1;
        emit pageNumberChanged(m_page);
    }
    updateScrollBars();
    invalidate();
}

void PreviewView::pageRendered(int number)
{
    if (number == m_next.page)
        m_next = Cache();
    emit pageAvailable(number);
    if (number == m_page)
        invalidate();
}

void PreviewView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PreviewView::scrollContentsBy(int, int)
{
    viewport()->update();
}

QRect PreviewView::wantedArea() const
{
    const QSize page = pagePixels();
    const QRect whole(QPoint(0, 0), page);
    const qreal ratio = devicePixelRatioF();
    if (qint64(page.width() * ratio) * qint64(page.height() * ratio) <= wholePageLimit)
        return whole;
    // The part in view, and half a view around it so that small scroll
    // steps do not render again.
    const QRect shown = pageRect();
    const QSize view = viewport()->size();
    QRect area = viewport()->rect().translated(-shown.topLeft());
    area.adjust(-view.width() / 2, -view.height() / 2, view.width() / 2, view.height() / 2);
    return area & whole;
}

PreviewView::Cache PreviewView::rendered(int page, const QRect &area) const
{
    const qreal ratio = devicePixelRatioF();
    QImage image((QSizeF(area.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.translate(-area.topLeft());
        painter.setClipRect(area);
        m_document->paint(painter, page, QRectF(QPointF(0, 0), QSizeF(pagePixels())), Document::Output::Screen);
    }
    Cache c;
    c.image = image;
    c.area = area;
    c.page = page;
    c.zoom = m_zoom;
    c.generation = m_generation;
    c.ratio = ratio;
    return c;
}

void PreviewView::renderNext()
{
    const int next = m_page + 1;
    if (!m_document || next > pageCount() || !isVisible())
        return;
    // Only a page that is cached whole; a page zoomed beyond that is
    // rendered part by part as it scrolls.
    const QRect whole(QPoint(0, 0), pagePixels());
    if (wantedArea() != whole)
        return;
    if (m_next.page == next && m_next.zoom == m_zoom && m_next.generation == m_generation
        && qFuzzyCompare(m_next.ratio, devicePixelRatioF()))
        return;
    m_next = rendered(next, whole);
}

void PreviewView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), background);

    const QRect page = pageRect();
    painter.fillRect(page.translated(shadowOffset, shadowOffset), shadow);
    painter.fillRect(page, Qt::white);

    if (!m_document || m_page > pageCount())
        return;
    const QRect area = wantedArea();
    if (area.isEmpty())
        return;
    const auto fresh = [&](const Cache &c) {
        return c.page == m_page && c.zoom == m_zoom && c.generation == m_generation
               && qFuzzyCompare(c.ratio, devicePixelRatioF()) && c.area.contains(area);
    };
    if (!fresh(m_cache)) {
        if (fresh(m_next))
            std::swap(m_cache, m_next); // the page before stays for a turn back
        else
            m_cache = rendered(m_page, area);
        m_nextTimer->start();
    }
    painter.drawImage(page.topLeft() + m_cache.area.topLeft(), m_cache.image);
}

} // namespace engine
