#include "followup.h"

#include "coveredparts.h"
#include "store/tableset.h"

namespace domain {

namespace {

// The covered parts of a sheet from its detail rows, "-" after the last,
// and its activities when they change.
void writeParts(store::TableSet &tables, qint64 sheet, const QString *activities)
{
    QList<int> rowParts;
    for (const QVariantList &row :
         tables.query(QStringLiteral("SELECT IFNULL(Lfdnr,0) FROM berdet WHERE Masterlfd=?"), {sheet}))
        rowParts << row[0].toInt();
    const QList<int> parts = coveredParts(rowParts);
    QStringList sets;
    QVariantList values;
    for (int i = 0; i < coveredPartFields; ++i) {
        sets << coveredPartField(i) + QStringLiteral("=?");
        values << (i < parts.size() ? QString::number(parts[i]) : QStringLiteral("-"));
    }
    if (activities) {
        sets << QStringLiteral("Taetigkeit=?");
        values << (activities->isEmpty() ? QVariant() : QVariant(*activities));
    }
    values << sheet;
    tables.query(QStringLiteral("UPDATE bericht SET %1 WHERE BerLfd=?").arg(sets.join(QLatin1Char(','))), values);
}

} // namespace

qint64 addFollowUpSheet(store::TableSet &tables, qint64 sourceKey, const Activities *activities)
{
    // Nothing chosen leaves the report as it is: no sheet comes and goes,
    // and the covered parts keep their form.
    if (!activities
        && tables.queryValue(QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Masterlfd=? AND (Kopieren<>0 OR "
                                            "Verschieben<>0)"),
                             {sourceKey})
                   .toInt()
               == 0)
        return 0;
    const QVector<QVariantList> source =
        tables.query(QStringLiteral("SELECT AJahr, Nummer FROM bericht WHERE BerLfd=?"), {sourceKey});
    if (source.isEmpty())
        return 0;

    store::Transaction transaction(tables);
    const int lastSheet = tables
                              .queryValue(QStringLiteral("SELECT MAX(Blatt) FROM bericht WHERE AJahr=? AND Nummer=?"),
                                          {source[0][0], source[0][1]})
                              .toInt();
    tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom, WocheBis, Datum) "
                                "SELECT AJahr, Nummer, ?, WocheVom, WocheBis, Datum FROM bericht WHERE BerLfd=?"),
                 {lastSheet + 1, sourceKey});
    const qint64 added = tables.queryValue(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();

    // The rows to copy are put aside before the marked rows change sheets;
    // the copies then go back to the source sheet.
    tables.query(QStringLiteral("DROP TABLE IF EXISTS temp.batchtable"));
    tables.query(
        QStringLiteral("CREATE TEMP TABLE batchtable AS SELECT * FROM berdet WHERE Masterlfd=? AND Kopieren=1"),
        {sourceKey});
    tables.query(QStringLiteral("UPDATE berdet SET Masterlfd=? WHERE Masterlfd=? AND (Kopieren=1 OR Verschieben=1)"),
                 {added, sourceKey});
    tables.query(QStringLiteral("INSERT INTO berdet SELECT * FROM temp.batchtable"));
    tables.query(QStringLiteral("DROP TABLE temp.batchtable"));
    tables.query(QStringLiteral("UPDATE berdet SET Kopieren=0, Verschieben=0 WHERE Masterlfd IN (?,?) "
                                "AND (Kopieren<>0 OR Verschieben<>0)"),
                 {sourceKey, added});

    writeParts(tables, sourceKey, activities ? &activities->kept : nullptr);
    writeParts(tables, added, activities ? &activities->moved : nullptr);
    transaction.commit();
    for (store::Table *changed : {&tables.berichttable(), &tables.berichtdetailtable()})
        changed->refresh();
    return added;
}

int itemCount(store::TableSet &tables, qint64 sheetKey)
{
    return tables.queryValue(QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Masterlfd=?"), {sheetKey}).toInt();
}

} // namespace domain
