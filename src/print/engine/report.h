#pragma once

// A band report engine. A report is a page set-up and a list of bands; each
// band holds items placed in 0.1 mm from the band's top-left corner. Running
// the report renders its pages into a Document:
//
//   every page:  page header, (first page: title and its children),
//                column header, ... , page footer
//   detail band: once per record of its record source or of its need-data
//                callback
//   summary:     once after the last record
//
// Bands stretch when their items need more room, break onto a new page when
// they do not fit, may be aligned to the bottom of the page, and may be
// output again on the following pages while an item (a long text) has not
// finished printing. Events before and after each band and item let a form
// change what prints and draw on the page itself.

#include "document.h"
#include "pagebreak.h"
#include "recordsource.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QRectF>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;

namespace engine {

class Band;
class Report;

// Lines on any of the four sides of a box. The width is given in screen
// pixels (1/96 inch), as forms are designed; a negative width is the
// thinnest line the device can draw.
struct Frame
{
    bool left = false, top = false, right = false, bottom = false;
    QColor colour = Qt::black;
    double width = 1;
    Qt::PenStyle style = Qt::SolidLine;

    bool any() const { return left || top || right || bottom; }
    static Frame all() { return {true, true, true, true}; }
    // The line width in 0.1 mm.
    double units() const;
    // Draws the switched-on lines inside the box, along its edges.
    void draw(QPainter &p, const QRectF &box) const;
};

// What an item is given while its band prints.
struct PrintContext
{
    Report &report;
    Band &band;
    QPainter &painter;
    QPointF origin; // the band's top-left corner on the page, 0.1 mm
};

// Something printed in a band.
class Item
{
public:
    explicit Item(const QString &name) : m_name(name) {}
    virtual ~Item() = default;
    Item(const Item &) = delete;
    Item &operator=(const Item &) = delete;

    QString name() const { return m_name; }
    Band *band() const { return m_band; }

    QRectF geometry; // 0.1 mm, relative to the band
    bool enabled = true;
    Frame frame;
    QColor background; // invalid: transparent

    // Called before the item prints; setting print to false leaves it out.
    std::function<void(Item &item, bool &print)> beforePrint;
    std::function<void(Item &item)> afterPrint;

    // The print-finished flag: false while the item has more to print on a
    // following page (the engine outputs the band again for it).
    bool finished() const { return m_finished; }

    // Before a report run.
    virtual void prepare() { m_finished = true; }
    // The height the item needs at its width when it stretches, or its own
    // height (0.1 mm). Items that grow their band themselves while printing
    // answer their own height.
    virtual double neededHeight() const { return geometry.height(); }
    virtual bool stretches() const { return false; }
    // Prints the item; `origin` is the band's top-left corner.
    virtual void print(PrintContext &context) = 0;

protected:
    void drawBackgroundAndFrame(PrintContext &c, double height) const;
    bool m_finished = true;

private:
    friend class Band;
    QString m_name;
    Band *m_band = nullptr;
};

// Text with a font and alignment: the base of labels, data texts and
// system data.
class TextItem : public Item
{
public:
    using Item::Item;

    QFont font{QStringLiteral("Arial"), 10};
    QColor colour = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool autoSize = false; // the width follows the text (keeping the alignment's edge)
    bool wordWrap = false;
    bool autoStretch = false; // grows downwards when the text wraps

    // May change the text about to print (the "print" event).
    std::function<void(TextItem &item, QString &text)> onPrint;

    // The text the item shows now.
    virtual QString text() const = 0;
    // The text as it prints, after onPrint.
    QString printedText() const;

    bool stretches() const override { return autoStretch && wordWrap; }
    double neededHeight() const override;
    void print(PrintContext &context) override;

    // The box the text occupies at print (auto size applied).
    QRectF textBox(const QString &text) const;
    int textFlags() const;

private:
    // The height the text needs at the item's width when it stretches.
    double heightFor(const QString &text) const;
};

class Label : public TextItem
{
public:
    Label(const QString &name, const QString &caption) : TextItem(name), caption(caption) {}
    QString caption;
    QString text() const override { return caption; }
};

// A field of the current record of a record source.
class DataText : public TextItem
{
public:
    DataText(const QString &name, RecordSource *source, const QString &field)
        : TextItem(name), source(source), field(field)
    {
    }
    RecordSource *source; // not owned
    QString field;
    // Dates print as dd.MM.yyyy unless a format is given; numbers as they are
    // unless a formatter is given.
    QString dateFormat = QStringLiteral("dd.MM.yyyy");
    std::function<QString(const QVariant &value)> formatter;
    QString text() const override;
};

// Values of the run: page number, date and time, the report's title.
class SystemData : public TextItem
{
public:
    enum class Kind { PageNumber, Date, Time, DateTime, Title };
    SystemData(const QString &name, Kind kind, const QString &prefix = QString())
        : TextItem(name), kind(kind), prefix(prefix)
    {
    }
    Kind kind;
    QString prefix;
    QString text() const override;
};

// A line, rectangle or ellipse in its box. A horizontal line lies across the
// box at its vertical middle, a vertical line down the box at its middle.
class Shape : public Item
{
public:
    enum class Kind { HorizontalLine, VerticalLine, Rectangle, Ellipse };
    Shape(const QString &name, Kind kind) : Item(name), kind(kind) {}
    Kind kind;
    QColor pen = Qt::black;
    double penWidth = 1; // screen pixels, as Frame
    Qt::PenStyle penStyle = Qt::SolidLine;
    QColor brush; // invalid: no fill
    // The pen and brush the shape draws with, on the page's 0.1 mm.
    QPen linePen() const;
    QBrush fill() const;
    void print(PrintContext &context) override;
};

// A picture scaled to its box: a fixed image, or a picture field of the
// current record of a record source (any format Qt reads, BMP and JPEG
// included). The page holds a stored picture by reference, as its bytes; it
// is decoded when the page is drawn, not when the report is rendered.
class Picture : public Item
{
public:
    explicit Picture(const QString &name) : Item(name) {}
    QImage image;
    RecordSource *source = nullptr; // not owned
    QString field;
    bool keepAspect = false; // false: the picture fills its box
    void print(PrintContext &context) override;
};

class Band
{
public:
    enum class Kind { Title, PageHeader, ColumnHeader, Detail, Summary, PageFooter, Child };

    Band(const QString &name, Kind kind, double designedHeight) : height(designedHeight), m_name(name), m_kind(kind)
    {
    }
    Band(const Band &) = delete;
    Band &operator=(const Band &) = delete;

    QString name() const { return m_name; }
    Kind kind() const { return m_kind; }
    Report *report() const { return m_report; }

    double height; // designed height, 0.1 mm
    bool enabled = true;
    bool alignToBottom = false; // stands at the foot of the page it prints on
    QColor colour;              // background; invalid: none
    Frame frame;                // rules along the band's edges (left/right: the page's band width)

    // A child band prints directly after this band.
    Band *child() const { return m_child.get(); }
    Band &addChild(const QString &name, double height);

    template<typename T, typename... Args> T &add(Args &&...args)
    {
        auto item = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *item;
        ref.m_band = this;
        m_items.push_back(std::move(item));
        return ref;
    }
    const std::vector<std::unique_ptr<Item>> &items() const { return m_items; }
    Item *item(const QString &name) const;

    // Events: before the band prints (print false skips it and its children),
    // after it printed.
    std::function<void(Band &band, bool &print)> beforePrint;
    std::function<void(Band &band)> afterPrint;

    // While the band is being output: the growth beyond its height so far.
    double growth() const { return m_growth; }
    // Whether the band, grown by x more, still fits on the page.
    bool canGrow(double x) const;
    // Grows the band by x when it fits.
    bool grow(double x);
    bool isPageFooterOrBottomAligned() const { return m_kind == Kind::PageFooter || alignToBottom; }

private:
    friend class Report;
    QString m_name;
    Kind m_kind;
    Report *m_report = nullptr;
    std::vector<std::unique_ptr<Item>> m_items;
    std::unique_ptr<Band> m_child;
    double m_growth = 0;
    double m_top = 0; // where the band is being output on the page
};

class Report : public QObject
{
    Q_OBJECT
public:
    explicit Report(const QString &name, QObject *parent = nullptr);
    ~Report() override;

    QString title;
    QSizeF pageSize = a4;
    QMarginsF margins{230, 100, 100, 100}; // left, top, right, bottom; 0.1 mm
    Frame pageFrame;                      // around the printable area
    QFont font{QStringLiteral("Arial"), 10};

    // The bands; each kind once. A child is added to its parent band.
    Band &addBand(Band::Kind kind, const QString &name, double height);
    Band *band(Band::Kind kind) const;
    Band *findBand(const QString &name) const;
    Item *findItem(const QString &name) const;

    // The records of the detail band: a record source from its first record
    // to its end, or a callback asked before each record whether there is
    // one more.
    RecordSource *detailSource = nullptr; // not owned
    std::function<bool()> needData;

    // Before the run (print false: no run), after it.
    std::function<void(Report &report, bool &print)> beforePrint;
    std::function<void(Report &report)> afterPrint;
    // When a page starts, before its page header: a form may draw on the
    // page outside the bands (in its margins); pageNumber() tells which page.
    std::function<void(Report &report, QPainter &painter)> pageStarted;

    // Renders every page. Emits pageAvailable after each finished page.
    Document render();
    // Renders into `into` (emptied first), which holds each page as soon as
    // it is finished, so that a preview can show it at once.
    void render(Document &into);
    // Renders afresh and prints pages first to last (0: all) to the printer.
    void print(QPrinter &printer, int first = 0, int last = 0);

    // During a run: the page number (from 1), the vertical position on the
    // page (0.1 mm from the page's top edge), the painter of the page, the
    // band width and the bottom of the usable page.
    int pageNumber() const { return m_pageNumber; }
    double currentY() const { return m_y; }
    QPainter *canvas() const { return m_painter.get(); }
    double bandWidth() const { return pageSize.width() - margins.left() - margins.right(); }
    double pageBottom() const; // less the page footer
    // Where the pages of this report break.
    PageBreak pageBreak() const;
    // No band has been output on the page yet (its headers aside).
    bool atPageTop() const { return !m_pageHasBands; }
    // Places a picture on the current page, inside the painter's clip: the
    // page holds it by reference (see Placement); `encoded` are the bytes it
    // was decoded from, if any, which a saved file keeps.
    void placeImage(const QImage &image, const QRectF &target, const QByteArray &encoded = QByteArray());

signals:
    void pageAvailable(int pageNumber);

private:
    friend class Band;
    void startPage();
    void finishPage();
    void printBand(Band &band);
    void outputBand(Band &band, bool onlyUnfinished);
    double stretchedHeight(const Band &band) const;

    std::vector<std::unique_ptr<Band>> m_bands;
    Document *m_document = nullptr;
    std::unique_ptr<PagePicture> m_picture;
    std::unique_ptr<QPainter> m_painter;
    QVector<Placement> m_placements; // of the current page
    int m_pageNumber = 0;
    double m_y = 0;
    bool m_pageHasBands = false;
};

} // namespace engine
