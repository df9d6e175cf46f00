#include "followupsheet.h"

#include "domain/followup.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/tableset.h"

namespace field = store::field;

namespace followup {

bool isEmptyFollowUp(store::TableSet &tables)
{
    store::Table &reports = tables.berichttable();
    if (!reports.isOpen() || reports.isEmpty() || reports.asInt(field::Blatt) <= 1)
        return false;
    // A formatted text counts by what it says, not by its formatting.
    for (const QString &own : {field::Taetigkeit, field::Vermerke, field::Thema, field::Darstellung})
        if (!richtext::toPlainText(reports.asString(own)).trimmed().isEmpty())
            return false;
    for (const QString &picture : {field::Bild1, field::Bild2})
        if (reports.byteSize(picture) > 0)
            return false;
    return domain::itemCount(tables, reports.value(field::BerLfd).toLongLong()) == 0;
}

} // namespace followup
