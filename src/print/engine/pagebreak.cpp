#include "pagebreak.h"

#include <algorithm>
#include <cmath>

namespace engine {

bool PageBreak::breaksBefore(double y, double height, bool pageEmpty) const
{
    return !pageEmpty && y + height > m_bottom;
}

double PageBreak::footPosition(double y, double height) const
{
    return std::max(y, m_bottom - height);
}

bool PageBreak::fits(double top, double height) const
{
    return std::round(height) <= m_bottom - top;
}

double PageBreak::roomBelow(double top, double height) const
{
    return std::max(0.0, std::floor(m_bottom - top - height));
}

int PageBreak::linesOnOnePage(const QVector<double> &lines, const TextBand &band,
                              const QVector<Block> &following) const
{
    // The blocks after the text, when the text's band ends at `end`.
    const auto blocksFit = [&](double end) {
        double y = end;
        for (const Block &b : following) {
            if (breaksBefore(y, b.height, false))
                return false;
            y = (b.atFoot ? footPosition(y, b.height) : y) + b.height;
        }
        return true;
    };
    // A line within the text's designed height needs no room of its own;
    // beyond it the band grows by what the lines need.
    const auto end = [&](double used) { return band.top + band.height + std::max(0.0, used - band.available); };
    if (!blocksFit(end(0)))
        return -1;
    double used = 0;
    int count = 0;
    for (double h : lines) {
        used += h;
        if (used > band.available && !fits(band.top, band.height + used - band.available))
            break;
        if (!blocksFit(end(used)))
            break;
        ++count;
    }
    return count;
}

} // namespace engine
