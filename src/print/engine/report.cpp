#include "report.h"

#include "clock.h"
#include "pagebreak.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QScopeGuard>
#include <QPrinter>
#include <cmath>
#include <stdexcept>

namespace engine {

namespace {

// Screen pixels (1/96 inch) of a designed line width into 0.1 mm.
double pixelsToUnits(double pixels)
{
    return pixels * unitsPerInch / 96.0;
}

// The most pages a run makes: a guard against a form that never ends.
constexpr int pageLimit = 10000;

} // namespace

// ---------------------------------------------------------------------------

double Frame::units() const
{
    return width < 0 ? 0 : pixelsToUnits(width);
}

void Frame::draw(QPainter &p, const QRectF &box) const
{
    if (!any())
        return;
    const double t = units();
    p.save();
    if (style == Qt::SolidLine || style == Qt::NoPen || t == 0) {
        if (style == Qt::NoPen) {
            p.restore();
            return;
        }
        // Solid lines are filled strips inside the box; the thinnest line a
        // device draws is a cosmetic pen.
        if (t == 0) {
            QPen pen(colour, 0);
            p.setPen(pen);
            if (top)
                p.drawLine(box.topLeft(), box.topRight());
            if (bottom)
                p.drawLine(box.bottomLeft(), box.bottomRight());
            if (left)
                p.drawLine(box.topLeft(), box.bottomLeft());
            if (right)
                p.drawLine(box.topRight(), box.bottomRight());
        } else {
            if (top)
                p.fillRect(QRectF(box.left(), box.top(), box.width(), t), colour);
            if (bottom)
                p.fillRect(QRectF(box.left(), box.bottom() - t, box.width(), t), colour);
            if (left)
                p.fillRect(QRectF(box.left(), box.top(), t, box.height()), colour);
            if (right)
                p.fillRect(QRectF(box.right() - t, box.top(), t, box.height()), colour);
        }
    } else {
        QPen pen(colour, t, style);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        const double h = t / 2;
        if (top)
            p.drawLine(QPointF(box.left(), box.top() + h), QPointF(box.right(), box.top() + h));
        if (bottom)
            p.drawLine(QPointF(box.left(), box.bottom() - h), QPointF(box.right(), box.bottom() - h));
        if (left)
            p.drawLine(QPointF(box.left() + h, box.top()), QPointF(box.left() + h, box.bottom()));
        if (right)
            p.drawLine(QPointF(box.right() - h, box.top()), QPointF(box.right() - h, box.bottom()));
    }
    p.restore();
}

// ---------------------------------------------------------------------------

void Item::drawBackgroundAndFrame(PrintContext &c, double height) const
{
    const QRectF box(c.origin + geometry.topLeft(), QSizeF(geometry.width(), height));
    if (background.isValid())
        c.painter.fillRect(box, background);
    frame.draw(c.painter, box);
}

QString TextItem::printedText() const
{
    QString t = text();
    if (onPrint)
        onPrint(const_cast<TextItem &>(*this), t);
    return t;
}

int TextItem::textFlags() const
{
    int flags = int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    if (wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

QRectF TextItem::textBox(const QString &t) const
{
    QRectF box = geometry;
    if (autoSize && !wordWrap) {
        const QFontMetricsF fm(font, layoutDevice());
        const double w = fm.horizontalAdvance(t);
        if (alignment & Qt::AlignRight)
            box.setLeft(box.right() - w);
        else if (alignment & Qt::AlignHCenter)
            box = QRectF(box.center().x() - w / 2, box.top(), w, box.height());
        else
            box.setWidth(w);
        box.setHeight(std::max(box.height(), fm.height()));
    }
    return box;
}

double TextItem::heightFor(const QString &t) const
{
    if (!stretches())
        return geometry.height();
    const QFontMetricsF fm(font, layoutDevice());
    const QRectF r = fm.boundingRect(QRectF(0, 0, geometry.width(), 1e6), textFlags(), t);
    return std::max(geometry.height(), r.height());
}

double TextItem::neededHeight() const
{
    return stretches() ? heightFor(printedText()) : geometry.height();
}

void TextItem::print(PrintContext &c)
{
    const QString t = printedText();
    QRectF box = textBox(t);
    if (stretches())
        box.setHeight(heightFor(t));
    box.translate(c.origin);
    if (background.isValid())
        c.painter.fillRect(box, background);
    c.painter.save();
    c.painter.setClipRect(box.adjusted(0, 0, 1, 1), Qt::IntersectClip);
    c.painter.setFont(font);
    c.painter.setPen(colour);
    c.painter.drawText(box, textFlags(), t);
    c.painter.restore();
    frame.draw(c.painter, box);
}

QString DataText::text() const
{
    if (!source || !source->hasRecord())
        return QString();
    const QVariant v = source->value(field);
    if (formatter)
        return formatter(v);
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(dateFormat);
    return source->text(field);
}

QString SystemData::text() const
{
    const Report *r = band() ? band()->report() : nullptr;
    switch (kind) {
    case Kind::PageNumber:
        return prefix + QString::number(r ? r->pageNumber() : 0);
    case Kind::Date:
        return prefix + now().date().toString(QStringLiteral("dd.MM.yyyy"));
    case Kind::Time:
        return prefix + now().time().toString(QStringLiteral("hh:mm"));
    case Kind::DateTime:
        return prefix + now().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    case Kind::Title:
        return prefix + (r ? r->title : QString());
    }
    return prefix;
}

QPen Shape::linePen() const
{
    QPen p(pen, penWidth < 0 ? 0 : pixelsToUnits(penWidth), penStyle);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

QBrush Shape::fill() const
{
    return brush.isValid() ? QBrush(brush) : QBrush(Qt::NoBrush);
}

void Shape::print(PrintContext &c)
{
    const QRectF box = geometry.translated(c.origin);
    c.painter.save();
    c.painter.setPen(linePen());
    c.painter.setBrush(fill());
    switch (kind) {
    case Kind::HorizontalLine:
        c.painter.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
        break;
    case Kind::VerticalLine:
        c.painter.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
        break;
    case Kind::Rectangle:
        c.painter.drawRect(box);
        break;
    case Kind::Ellipse:
        c.painter.drawEllipse(box);
        break;
    }
    c.painter.restore();
}

namespace {

// The stored pictures met last: equal bytes met again (another row holding
// the same picture, a preview rendered again) hand back the bytes first met,
// so that a document holds the picture once. A picture is not decoded here:
// its size comes from its header, and the document decodes it when a page
// that shows it is drawn.
struct Stored
{
    QByteArray bytes;
    QSize size;
};

Stored storedPicture(const QByteArray &bytes)
{
    static std::vector<Stored> recent; // the most recent last
    constexpr size_t kept = 4;
    if (bytes.isEmpty())
        return {};
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        if (it->bytes.size() == bytes.size()
            && (it->bytes.constData() == bytes.constData() || it->bytes == bytes)) {
            Stored hit = std::move(*it);
            recent.erase(it);
            recent.push_back(std::move(hit));
            return recent.back();
        }
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    Stored found{bytes, reader.size()};
    // A format that does not tell its size without decoding.
    if (!found.size.isValid())
        found.size = QImage::fromData(bytes).size();
    if (recent.size() >= kept)
        recent.erase(recent.begin());
    recent.push_back(found);
    return found;
}

} // namespace

void Picture::print(PrintContext &c)
{
    const QRectF box = geometry.translated(c.origin);
    drawBackgroundAndFrame(c, geometry.height());
    Stored picture;
    if (source) {
        if (source->hasRecord())
            picture = storedPicture(source->value(field).toByteArray());
    } else if (!image.isNull()) {
        picture.size = image.size();
    }
    if (picture.size.isEmpty() || box.isEmpty())
        return;
    QRectF target = box;
    if (keepAspect) {
        const QSizeF s = QSizeF(picture.size).scaled(box.size(), Qt::KeepAspectRatio);
        target = QRectF(box.center() - QPointF(s.width() / 2, s.height() / 2), s);
    }
    c.report.placeImage(source ? QImage() : image, target, picture.bytes);
}

// ---------------------------------------------------------------------------

Band &Band::addChild(const QString &name, double h)
{
    m_child = std::make_unique<Band>(name, Kind::Child, h);
    m_child->m_report = m_report;
    return *m_child;
}

Item *Band::item(const QString &name) const
{
    for (const auto &i : m_items)
        if (i->name() == name)
            return i.get();
    return nullptr;
}

bool Band::canGrow(double x) const
{
    if (!m_report)
        return true;
    return m_report->pageBreak().fits(m_top, height + m_growth + x);
}

bool Band::grow(double x)
{
    if (!canGrow(x))
        return false;
    m_growth += x;
    return true;
}

// ---------------------------------------------------------------------------

Report::Report(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

Report::~Report() = default;

Band &Report::addBand(Band::Kind kind, const QString &name, double h)
{
    m_bands.push_back(std::make_unique<Band>(name, kind, h));
    m_bands.back()->m_report = this;
    return *m_bands.back();
}

Band *Report::band(Band::Kind kind) const
{
    for (const auto &b : m_bands)
        if (b->kind() == kind)
            return b.get();
    return nullptr;
}

Band *Report::findBand(const QString &name) const
{
    for (const auto &top : m_bands)
        for (Band *b = top.get(); b; b = b->child())
            if (b->name() == name)
                return b;
    return nullptr;
}

Item *Report::findItem(const QString &name) const
{
    for (const auto &top : m_bands)
        for (Band *b = top.get(); b; b = b->child())
            if (Item *i = b->item(name))
                return i;
    return nullptr;
}

double Report::pageBottom() const
{
    const Band *footer = band(Band::Kind::PageFooter);
    return pageSize.height() - margins.bottom() - (footer && footer->enabled ? footer->height : 0);
}

PageBreak Report::pageBreak() const
{
    return PageBreak(pageBottom());
}

Document Report::render()
{
    Document doc;
    render(doc);
    return doc;
}

void Report::render(Document &into)
{
    // A run inside a run (an event that asks for the report again) would
    // write into the pages being made.
    if (m_document)
        throw std::logic_error("Der Bericht wird bereits aufbereitet.");
    into = Document(pageSize);
    into.setTitle(title);
    m_document = &into;
    // Whatever ends the run, an error included, leaves no page open.
    const auto runEnd = qScopeGuard([this] {
        if (m_painter)
            m_painter->end();
        m_painter.reset();
        m_picture.reset();
        m_document = nullptr;
    });
    for (const auto &top : m_bands)
        for (Band *b = top.get(); b; b = b->child())
            for (const auto &i : b->items())
                i->prepare();

    bool run = true;
    if (beforePrint)
        beforePrint(*this, run);
    if (!run)
        return;

    m_pageNumber = 0;
    startPage();
    if (Band *t = band(Band::Kind::Title))
        printBand(*t);
    if (Band *h = band(Band::Kind::ColumnHeader))
        printBand(*h);
    if (Band *detail = band(Band::Kind::Detail)) {
        if (detailSource) {
            for (detailSource->first(); !detailSource->atEnd() && m_pageNumber < pageLimit; detailSource->next())
                printBand(*detail);
        } else if (needData) {
            while (m_pageNumber < pageLimit && needData())
                printBand(*detail);
        } else {
            printBand(*detail);
        }
    }
    if (Band *s = band(Band::Kind::Summary))
        printBand(*s);
    finishPage();
    if (afterPrint)
        afterPrint(*this);
}

void Report::print(QPrinter &printer, int first, int last)
{
    printPages(render(), printer, first, last);
}

void Report::placeImage(const QImage &image, const QRectF &target, const QByteArray &encoded)
{
    if (!m_painter || !m_document)
        return;
    const QTransform &t = m_painter->worldTransform();
    const QRectF clip = m_painter->hasClipping() ? t.mapRect(m_painter->clipBoundingRect()) : QRectF();
    m_placements.append({m_document->addImage(image, encoded), t.mapRect(target), clip});
}

void Report::startPage()
{
    m_placements.clear();
    m_picture = std::make_unique<PagePicture>();
    m_painter = std::make_unique<QPainter>(m_picture.get());
    m_painter->setRenderHint(QPainter::Antialiasing);
    ++m_pageNumber;
    m_y = margins.top();
    m_pageHasBands = false;
    if (pageStarted)
        pageStarted(*this, *m_painter);
    if (Band *header = band(Band::Kind::PageHeader); header && header->enabled)
        printBand(*header);
    if (m_pageNumber > 1)
        if (Band *columns = band(Band::Kind::ColumnHeader); columns && columns->enabled)
            printBand(*columns);
    // A page that only holds its headers is still empty for the page break.
    m_pageHasBands = false;
}

void Report::finishPage()
{
    if (!m_painter)
        return;
    if (Band *footer = band(Band::Kind::PageFooter); footer && footer->enabled) {
        m_y = pageSize.height() - margins.bottom() - footer->height;
        outputBand(*footer, false);
    }
    pageFrame.draw(*m_painter, QRectF(margins.left(), margins.top(), bandWidth(),
                                      pageSize.height() - margins.top() - margins.bottom()));
    m_painter->end();
    m_painter.reset();
    m_document->addPage(*m_picture, m_placements);
    m_placements.clear();
    m_picture.reset();
    emit pageAvailable(m_pageNumber);
}

double Report::stretchedHeight(const Band &b) const
{
    double h = b.height;
    for (const auto &i : b.items())
        if (i->enabled && i->stretches())
            h = std::max(h, i->geometry.top() + i->neededHeight());
    return h;
}

void Report::printBand(Band &b)
{
    if (!b.enabled)
        return;
    const bool pageBand = b.kind() == Band::Kind::PageHeader || b.kind() == Band::Kind::PageFooter;
    if (!pageBand) {
        // Where the band goes: at the foot of the page, or below what is
        // there; a new page when it does not fit.
        const double h = stretchedHeight(b);
        if (pageBreak().breaksBefore(m_y, h, !m_pageHasBands)) {
            finishPage();
            startPage();
        }
        if (b.alignToBottom)
            m_y = pageBreak().footPosition(m_y, h);
    }
    bool print = true;
    if (b.beforePrint)
        b.beforePrint(b, print);
    if (!print)
        return;

    outputBand(b, false);
    // Items that have more to print continue at the top of the next page.
    auto unfinished = [&b] {
        for (const auto &i : b.items())
            if (i->enabled && !i->finished())
                return true;
        return false;
    };
    while (unfinished() && m_pageNumber < pageLimit) {
        finishPage();
        startPage();
        outputBand(b, true);
    }
    if (b.afterPrint)
        b.afterPrint(b);
    if (Band *child = b.child())
        printBand(*child);
}

void Report::outputBand(Band &b, bool onlyUnfinished)
{
    const double designed = b.height;
    b.m_top = m_y;
    b.m_growth = onlyUnfinished ? 0 : stretchedHeight(b) - b.height;
    PrintContext context{*this, b, *m_painter, QPointF(margins.left(), m_y)};
    // Nothing of a band reaches below the usable page (into the footer or
    // off the paper), however much it stretched.
    m_painter->save();
    if (b.kind() != Band::Kind::PageFooter)
        m_painter->setClipRect(QRectF(0, 0, pageSize.width(), pageBottom()));
    // On a continuation page the band is what its unfinished items print;
    // they fill the room they take themselves.
    if (b.colour.isValid() && !onlyUnfinished)
        m_painter->fillRect(QRectF(margins.left(), m_y, bandWidth(), b.height + b.m_growth), b.colour);
    for (const auto &i : b.items()) {
        if (!i->enabled || (onlyUnfinished && i->finished()))
            continue;
        bool print = true;
        if (i->beforePrint)
            i->beforePrint(*i, print);
        if (!print)
            continue;
        i->print(context);
        if (i->afterPrint)
            i->afterPrint(*i);
    }
    b.frame.draw(*m_painter, QRectF(margins.left(), m_y, bandWidth(), b.height + b.m_growth));
    m_painter->restore();
    m_y += b.height + b.m_growth;
    b.height = designed;
    b.m_growth = 0;
    m_pageHasBands = true;
}

} // namespace engine
