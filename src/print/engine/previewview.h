#pragma once

// The page view of the preview window: one page of a rendered document on a
// grey background, zoomed and scrolled. The document is not owned and may
// grow while it is shown (the renderer reports each new page).

#include <QAbstractScrollArea>
#include <QImage>

class QTimer;

namespace engine {

class Document;

class PreviewView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int minZoom = 2;
    static constexpr int maxZoom = 2000;
    // Pixels of grey around the page.
    static constexpr int margin = 12;

    explicit PreviewView(QWidget *parent = nullptr);
    ~PreviewView() override;

    const Document *document() const { return m_document; }
    // Shows another document (or none) from its first page.
    void setDocument(const Document *document);

    // The page shown, from 1. A number below 1 or above the page count is
    // ignored; a change of page scrolls back to the top left.
    int pageNumber() const { return m_page; }
    void setPageNumber(int number);
    int pageCount() const;

    // Zoom in percent; 100 is the page at its physical size on a 96-dpi
    // screen. Values outside minZoom … maxZoom are ignored.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    // Zoom := 90 % of view width / page width.
    void zoomToWidth();
    // Zoom := 95 % of the smaller of view height / page height and view
    // width / page width.
    void zoomToFit();

    // Scroll positions in pixels of the view.
    int scrollX() const;
    int scrollY() const;
    void setScrollY(int y);

    // The page's size at the current zoom and its place in the viewport.
    QSize pagePixels() const;
    QRect pageRect() const;

public slots:
    // The document's pages were replaced or added to.
    void documentChanged();
    // The renderer finished page `number`: re-emitted as pageAvailable; the
    // view repaints when it is the page shown.
    void pageRendered(int number);

signals:
    void pageAvailable(int number);
    void pageNumberChanged(int number);
    void zoomChanged(int percent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The page at 100 %, in view pixels (fractions kept).
    QSizeF pageAt100() const;
    void updateScrollBars();
    void invalidate();
    // The part of the page (page pixel coordinates) the cache should hold.
    QRect wantedArea() const;
    struct Cache;
    // Page `page` at the current zoom, the part `area` of it.
    Cache rendered(int page, const QRect &area) const;
    // After a page is shown, the next one is rendered while the program
    // waits for input, so that turning to it shows it at once.
    void renderNext();

    const Document *m_document = nullptr;
    int m_page = 1;
    int m_zoom = 58;

    // The current page rendered at the current zoom: the whole page while it
    // is of moderate size, else the part in view.
    struct Cache
    {
        QImage image;
        QRect area; // page pixels
        int page = 0;
        int zoom = 0;
        quint64 generation = 0;
        qreal ratio = 0;
    } m_cache, m_next;
    QTimer *m_nextTimer = nullptr;
    quint64 m_generation = 1;
};

} // namespace engine
