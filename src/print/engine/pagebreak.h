#pragma once

// Where a page breaks. The engine asks this one place whether a band goes
// onto the page, where a band aligned to the foot stands, whether a band
// may grow by one more line of a long text, and where a line that no page
// can hold is cut; the forms ask it, with the same figures, whether a text
// fits its sheet. So the fit shown while a text is typed and the pages
// that print cannot disagree.
//
// Positions are 0.1 mm from the page's top edge; `bottom` is the foot of
// the usable page (the bottom margin and the page footer off).

#include <QVector>

namespace engine {

class PageBreak
{
public:
    explicit PageBreak(double bottom) : m_bottom(bottom) {}
    double bottom() const { return m_bottom; }

    // A block that is never split (a band, a picture) of `height` at `y`:
    // true when it goes to the top of the next page instead. On a page that
    // holds nothing yet it stays, and what reaches past the foot is cut.
    bool breaksBefore(double y, double height, bool pageEmpty) const;
    // Where a block aligned to the foot of the page stands when it does not
    // break: at the foot, or below what is there.
    double footPosition(double y, double height) const;
    // Whether a band standing at `top` may be `height` high: bands grow in
    // whole 0.1 mm.
    bool fits(double top, double height) const;
    // The most a band standing at `top`, already `height` high, can still
    // grow on its page, in whole 0.1 mm (a line taller than an empty page
    // is cut to it).
    double roomBelow(double top, double height) const;

    // A text laid out in lines, standing in a band: the band's top on the
    // page and its designed height, the text's top inset in the band and
    // its designed height. The band grows by what the lines need beyond it.
    struct TextBand
    {
        double top = 0;
        double height = 0;
        double inset = 0;
        double available = 0;
    };
    // What follows the text on its page: a block of that height, placed
    // below the text or aligned to the foot of the page.
    struct Block
    {
        double height = 0;
        bool atFoot = false;
    };
    // How many of the lines (their heights, first to last) fit onto the
    // text's page together with every block that follows; -1 when the
    // blocks do not fit there even without a line of the text.
    int linesOnOnePage(const QVector<double> &lines, const TextBand &band, const QVector<Block> &following) const;

private:
    double m_bottom;
};

} // namespace engine
