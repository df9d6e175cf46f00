#include "reset.h"

#include "fields.h"
#include "schema.h"
#include "tableset.h"

namespace store {

void resetToDelivered(TableSet &tables)
{
    Table &plan = tables.table1();
    Table &details = tables.berichtdetailtable();
    Table &reports = tables.berichttable();
    Table &composition = tables.temptable();
    // A file joins the connection only outside a transaction; a closed
    // table would be emptied on a connection of its own, outside it.
    for (Table *t : {&plan, &reports, &details, &composition})
        if (!t->isOpen())
            t->open();

    Transaction transaction(tables);
    for (Table *t : {&plan, &reports, &details, &composition})
        if (t->isEditing())
            t->cancel();
    details.emptyTable();
    reports.emptyTable();
    composition.emptyTable();
    // The marks belong to the reports: week marks and reviews go with them.
    if (tables.marksOpen())
        tables.query(QStringLiteral("DELETE FROM %1").arg(marksTableDef().tableName));
    tables.exec(
        QStringLiteral("UPDATE %1 SET %2 = 0, %3 = 0").arg(plan.def().tableName, field::GroupCnt, field::ThemaCnt));
    transaction.commit();
}

} // namespace store
