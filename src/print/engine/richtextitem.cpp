#include "richtextitem.h"

#include "pagebreak.h"
#include "pagedevice.h"
#include "richtext/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextList>

namespace engine {

namespace {

// Paragraph margins and indents from pixels at 96 dpi to the layout's units.
void scaleIndents(QTextDocument &document)
{
    constexpr double scale = unitsPerInch / 96.0;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (f.leftMargin() == 0 && f.rightMargin() == 0 && f.textIndent() == 0 && f.topMargin() == 0
            && f.bottomMargin() == 0)
            continue;
        f.setLeftMargin(f.leftMargin() * scale);
        f.setRightMargin(f.rightMargin() * scale);
        f.setTextIndent(f.textIndent() * scale);
        f.setTopMargin(f.topMargin() * scale);
        f.setBottomMargin(f.bottomMargin() * scale);
        QTextCursor(b).setBlockFormat(f);
    }
}

// How far the ink of raised and lowered characters of a line reaches above
// and below the line: their offset does not make the line taller.
QPair<double, double> overhang(const QTextBlock &block, const QTextLine &line, const QFont &base)
{
    double above = 0, below = 0;
    const int start = block.position() + line.textStart();
    const int end = start + line.textLength();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() >= end || fragment.position() + fragment.length() <= start)
            continue;
        const QTextCharFormat f = fragment.charFormat();
        const double percent = f.baselineOffset();
        if (percent == 0)
            continue;
        // QTextLine::draw moves the baseline by a percentage of the font's
        // ascent and descent.
        const QFontMetricsF fm(f.font().resolve(base), layoutDevice());
        const double shift = (fm.ascent() + fm.descent()) * percent / 100;
        above = std::max(above, shift + fm.ascent() - line.ascent());
        below = std::max(below, fm.descent() - shift - line.descent());
    }
    return {above, below};
}

} // namespace

RichText::RichText(const QString &name) : Item(name)
{
    m_document.documentLayout()->setPaintDevice(layoutDevice());
    m_document.setDocumentMargin(0);
    m_document.setUndoRedoEnabled(false); // a print never undoes
}

void RichText::prepare()
{
    Item::prepare();
    m_next = 0;
    m_lines.clear();
    m_linesWidth = -1;
}

void RichText::load()
{
    // Without a page size the layout leaves the document alone while it is
    // filled and formatted; with one, every change would lay out the text
    // from the change onward again.
    m_document.setPageSize(QSizeF(0, 0));
    m_document.clear();
    m_document.setDefaultFont(font);
    QTextOption option = m_document.defaultTextOption();
    option.setAlignment(alignment & Qt::AlignHorizontal_Mask);
    m_document.setDefaultTextOption(option);

    if (source) {
        if (source->isLongText(field) && source->hasRecord())
            richtext::load(m_document, source->text(field));
    } else if (content) {
        content(m_document);
    }
    scaleIndents(m_document);
    // Paragraphs without an alignment of their own take the item's.
    for (QTextBlock b = m_document.begin(); b.isValid(); b = b.next()) {
        QTextCursor c(b);
        QTextBlockFormat bf = c.blockFormat();
        if (!bf.hasProperty(QTextFormat::BlockAlignment)) {
            bf.setAlignment(alignment & Qt::AlignHorizontal_Mask);
            c.setBlockFormat(bf);
        }
    }
}

QVector<RichText::Line> RichText::layLines(double width)
{
    m_document.setTextWidth(width);
    // Lay out everything now, at the print resolution.
    m_document.documentLayout()->documentSize();
    QVector<Line> lines;
    for (QTextBlock b = m_document.begin(); b.isValid(); b = b.next()) {
        const QTextLayout *layout = b.layout();
        if (!layout)
            continue;
        const double blockTop = layout->position().y();
        for (int i = 0; i < layout->lineCount(); ++i)
            lines.append({b, i, blockTop + layout->lineAt(i).y(), 0});
    }
    // A line reaches to the top of the next one; the last one to the bottom
    // of the text.
    const double end = m_document.documentLayout()->documentSize().height();
    for (int i = 0; i < lines.size(); ++i)
        lines[i].height = (i + 1 < lines.size() ? lines[i + 1].top : std::max(end, lines[i].top)) - lines[i].top;
    if (!lines.isEmpty() && lines.last().height <= 0) {
        const QTextLine last = lines.last().block.layout()->lineAt(lines.last().index);
        lines.last().height = last.height();
    }
    return lines;
}

QVector<double> RichText::lineHeights() const
{
    QVector<double> heights;
    heights.reserve(m_lines.size());
    for (const Line &l : m_lines)
        heights.append(l.height);
    return heights;
}

int RichText::lineStart(int line) const
{
    if (line < 0 || line >= m_lines.size())
        return -1;
    const Line &l = m_lines[line];
    return l.block.position() + l.block.layout()->lineAt(l.index).textStart();
}

void RichText::drawLine(QPainter &p, const Line &line, const QRectF &strip) const
{
    const QTextLayout *layout = line.block.layout();
    const QTextLine textLine = layout->lineAt(line.index);
    p.save();
    // Raised and lowered characters may reach beyond their line.
    const auto [above, below] = overhang(line.block, textLine, m_document.defaultFont());
    p.setClipRect(strip.adjusted(0, -above, 0, below), Qt::IntersectClip);
    // The line's own offset in the document lands at the strip's top.
    const QPointF at(strip.left(), strip.top() - line.top + layout->position().y());
    textLine.draw(&p, at);
    // A list item's bullet or number stands left of its first line.
    if (line.index == 0) {
        if (const QTextList *list = line.block.textList()) {
            const QString mark = list->format().style() == QTextListFormat::ListDisc
                    || list->format().style() == QTextListFormat::ListCircle
                    || list->format().style() == QTextListFormat::ListSquare
                ? QStringLiteral("\u2022")
                : list->itemText(line.block);
            // In the font of the item's first character.
            const QTextCharFormat first =
                line.block.begin().atEnd() ? line.block.charFormat() : line.block.begin().fragment().charFormat();
            const QFont f = first.font().resolve(m_document.defaultFont());
            p.setFont(f);
            const QFontMetricsF fm(f, layoutDevice());
            const double x = strip.left() + textLine.x() - fm.horizontalAdvance(mark) - fm.horizontalAdvance(QLatin1Char(' '));
            p.drawText(QPointF(x, strip.top() + textLine.ascent()), mark);
        }
    }
    p.restore();
}

void RichText::print(PrintContext &c)
{
    Band &band = c.band;
    const bool fresh = m_finished;
    double topInset, available;
    if (fresh) {
        load();
        m_next = 0;
        topInset = geometry.top();
        available = geometry.height();
    } else {
        // On a continuation page the band is the continued text alone.
        topInset = 0;
        available = 0;
        if (band.height != 0)
            band.height = 0;
    }
    const bool mayStretch = autoStretch && !band.isPageFooterOrBottomAligned();
    m_finished = true;
    double used = 0;
    bool firstLine = true, stop = false;

    const double leftInset = frame.left ? frame.units() : 0;
    const double rightInset = frame.right ? frame.units() : 0;
    const double left = c.origin.x() + geometry.left() + leftInset;
    const double right = left + geometry.width() - rightInset;
    double top = c.origin.y() + topInset;

    // The text is laid out once when it starts; a continuation page goes on
    // with those lines (laying it out again for every page would make the
    // cost grow with the square of the pages).
    if (fresh || m_linesWidth != right - left) {
        m_lines = layLines(right - left);
        m_linesWidth = right - left;
    }
    const QVector<Line> &lines = m_lines;
    if (background.isValid())
        c.painter.fillRect(QRectF(left - leftInset, top, right - left + leftInset + rightInset, available), background);

    while (m_next < lines.size() && !stop) {
        double h = lines[m_next].height;
        double u = used + h;
        if (u > available) {
            if (mayStretch) {
                const double overflow = u - available;
                if (band.growth() < overflow) {
                    const double more = overflow - band.growth();
                    if (!band.canGrow(more)) {
                        const bool emptyPage = firstLine && band.report() && band.report()->atPageTop();
                        if (!emptyPage) {
                            // The rest goes to the next page.
                            m_finished = false;
                            break;
                        }
                        // A line taller than an empty page can never be
                        // placed: it is cut at the page's foot.
                        const double room =
                            band.report()->pageBreak().roomBelow(c.origin.y(), band.height + band.growth());
                        band.grow(room);
                        h = room + available - used;
                        u = used + h;
                    } else {
                        const double oldBottom = c.origin.y() + band.height + band.growth();
                        band.grow(more);
                        if (band.colour.isValid() && band.colour != QColor(Qt::white))
                            c.painter.fillRect(QRectF(c.origin.x(), oldBottom, c.report.bandWidth(), more), band.colour);
                    }
                }
            } else {
                if (!firstLine)
                    break;
                h = available;
                u = available;
                stop = true;
            }
        }
        const QRectF strip(left, top, right - left, h);
        if (background.isValid())
            c.painter.fillRect(strip.adjusted(-leftInset, 0, rightInset, 0), background);
        drawLine(c.painter, lines[m_next], strip);
        ++m_next;
        used = u;
        top += h;
        firstLine = false;
    }
    frame.draw(c.painter, QRectF(left - leftInset, c.origin.y() + topInset, right - left + leftInset + rightInset,
                                 std::max(available, used)));
}

} // namespace engine
