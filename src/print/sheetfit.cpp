#include "sheetfit.h"

#include "backsheet.h"
#include "frontsheet.h"

#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QHashFunctions>

namespace forms {

namespace field = store::field;

namespace {

bool hasText(const QString &stored)
{
    return !richtext::toPlainText(stored).trimmed().isEmpty();
}

// What the sheet's pages are laid out from: its two texts, the texts of
// its plan items, its pictures (by their size in bytes) and their zoom.
size_t contentOf(const store::Table &reports, const store::Table &items)
{
    size_t h = qHashMulti(0, reports.asString(field::Taetigkeit), reports.asString(field::Darstellung),
                          reports.byteSize(field::Bild1), reports.byteSize(field::Bild2), reports.asInt(field::Zoom1),
                          reports.asInt(field::Zoom2), items.recordCount());
    for (int i = 0; i < items.recordCount(); ++i)
        h = qHashMulti(h, items.valueAt(i, field::Alltext).toString());
    return h;
}

} // namespace

SheetFits::SheetFits(store::TableSet &tables, store::Session &session)
    : m_tables(tables), m_front(std::make_unique<Tberichtform>(tables, session)),
      m_back(std::make_unique<Tqrruecksform>(tables, session))
{
    // Forms of their own: the program's print forms and the editor's stay
    // as they are.
}

SheetFits::~SheetFits() = default;

QSet<qint64> SheetFits::overflowing()
{
    QSet<qint64> over;
    m_measured = 0;
    store::Table &reports = m_tables.berichttable();
    const store::Table &items = m_tables.berichtdetailtable();
    if (!reports.isOpen())
        return over;
    const store::ScopedView keep(reports);
    reports.cancelRange();
    reports.setFiltered(false);
    QHash<qint64, Known> known;
    for (bool more = !reports.isEmpty() && (reports.first(), true); more; more = reports.next()) {
        const qint64 sheet = reports.bookmark();
        Known k{contentOf(reports, items), false};
        const auto before = m_known.constFind(sheet);
        if (before != m_known.constEnd() && before->content == k.content) {
            k.over = before->over;
        } else {
            k.over = measure();
            ++m_measured;
        }
        known.insert(sheet, k);
        if (k.over)
            over.insert(sheet);
    }
    // Deleted sheets are forgotten.
    m_known = std::move(known);
    return over;
}

bool SheetFits::measure()
{
    const store::Table &reports = m_tables.berichttable();
    // A text that is empty cannot run over; it is not measured.
    const QString activities = reports.asString(field::Taetigkeit);
    if (hasText(activities) && !m_front->activitiesFit(activities).fits())
        return true;
    const QString description = reports.asString(field::Darstellung);
    if (!hasText(description))
        return false;
    m_back->setPictureDisplaySize(
        0, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild1), reports.asInt(field::Zoom1)));
    m_back->setPictureDisplaySize(
        1, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild2), reports.asInt(field::Zoom2)));
    return !m_back->descriptionFit(description).fits();
}

QSet<qint64> overflowingSheets(store::TableSet &tables, store::Session &session)
{
    return SheetFits(tables, session).overflowing();
}

} // namespace forms
