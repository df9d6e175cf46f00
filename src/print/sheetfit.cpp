#include "sheetfit.h"

#include "backsheet.h"
#include "frontsheet.h"

#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/table.h"
#include "store/tableset.h"

namespace forms {

namespace field = store::field;

namespace {

bool hasText(const QString &stored)
{
    return !richtext::toPlainText(stored).trimmed().isEmpty();
}

} // namespace

QSet<qint64> overflowingSheets(store::TableSet &tables, store::Session &session)
{
    QSet<qint64> over;
    store::Table &reports = tables.berichttable();
    if (!reports.isOpen())
        return over;
    // Forms of their own: the program's print forms and the editor's stay
    // as they are.
    Tberichtform front(tables, session);
    Tqrruecksform back(tables, session);
    const store::ScopedView keep(reports);
    reports.cancelRange();
    reports.setFiltered(false);
    for (bool more = !reports.isEmpty() && (reports.first(), true); more; more = reports.next()) {
        // A sheet without text has nothing that could run over; it is not
        // measured (the check of a year's sheets stays quick).
        const QString activities = reports.asString(field::Taetigkeit);
        if (hasText(activities)) {
            const TextFit fit = front.activitiesFit(activities);
            if (!fit.fits()) {
                over.insert(reports.bookmark());
                continue;
            }
        }
        const QString description = reports.asString(field::Darstellung);
        if (!hasText(description))
            continue;
        back.setPictureDisplaySize(
            0, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild1), reports.asInt(field::Zoom1)));
        back.setPictureDisplaySize(
            1, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild2), reports.asInt(field::Zoom2)));
        if (!back.descriptionFit(description).fits())
            over.insert(reports.bookmark());
    }
    return over;
}

} // namespace forms
