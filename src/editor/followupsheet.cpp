#include "followupsheet.h"

#include "richtext/rtf.h"
#include "store/coveredparts.h"
#include "store/fields.h"
#include "store/tableset.h"

namespace field = store::field;

namespace followup {

namespace {

// The covered parts of a sheet from its detail rows, "-" after the last,
// and its activities when they change.
void writeParts(store::TableSet &tables, store::Table::Bookmark sheet, const QString *activities = nullptr)
{
    store::Table &reports = tables.berichttable();
    reports.gotoBookmark(sheet);
    // The detail table shows the rows of the sheet the reports table is on.
    const QList<int> parts = store::coveredParts(tables.berichtdetailtable(), store::PartRows::Detail);
    reports.edit();
    store::writeCoveredParts(reports, parts, QStringLiteral("-"));
    if (activities)
        reports.setValue(field::Taetigkeit, *activities);
    reports.post();
}

} // namespace

bool addSheet(store::TableSet &tables, const Activities *activities)
{
    store::Table &reports = tables.berichttable();
    if (reports.isEditing())
        reports.post();
    const store::Table::Bookmark source = reports.bookmark();
    const qint64 sourceKey = reports.value(field::BerLfd).toLongLong();
    const int year = reports.asInt(field::AJahr);
    const int number = reports.asInt(field::Nummer);
    const QVariant from = reports.value(field::WocheVom);
    const QVariant to = reports.value(field::WocheBis);
    const QVariant date = reports.value(field::Datum);
    // Nothing chosen leaves the report as it is: no sheet comes and goes,
    // and the covered parts keep their form.
    if (!activities
        && tables.exec(QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Masterlfd=%1 AND (Kopieren<>0 OR Verschieben<>0)")
                        .arg(sourceKey))
            .value(0)
            .value(0)
            .toInt()
        == 0)
        return false;

    store::Transaction transaction(tables);
    const int lastSheet =
        tables.exec(QStringLiteral("SELECT MAX(Blatt) FROM bericht WHERE AJahr=%1 AND Nummer=%2").arg(year).arg(number))
            .value(0)
            .value(0)
            .toInt();
    reports.append();
    reports.setValue(field::AJahr, year);
    reports.setValue(field::Nummer, number);
    reports.setValue(field::Blatt, lastSheet + 1);
    reports.setValue(field::WocheVom, from);
    reports.setValue(field::WocheBis, to);
    reports.setValue(field::Datum, date);
    reports.post();
    const store::Table::Bookmark added = reports.bookmark();
    const qint64 addedKey = reports.value(field::BerLfd).toLongLong();

    // The rows to copy are put aside before the marked rows change sheets;
    // the copies then go back to the source sheet.
    tables.exec(QStringLiteral("DROP TABLE IF EXISTS temp.batchtable"));
    tables.exec(QStringLiteral("CREATE TEMP TABLE batchtable AS SELECT * FROM berdet WHERE Masterlfd=%1 AND Kopieren=1")
                    .arg(sourceKey));
    tables.exec(QStringLiteral("UPDATE berdet SET Masterlfd=%1 WHERE Masterlfd=%2 AND (Kopieren=1 OR Verschieben=1)")
                    .arg(addedKey)
                    .arg(sourceKey));
    tables.exec(QStringLiteral("INSERT INTO berdet SELECT * FROM temp.batchtable"));
    tables.exec(QStringLiteral("DROP TABLE temp.batchtable"));
    tables.exec(QStringLiteral("UPDATE berdet SET Kopieren=0, Verschieben=0 WHERE Masterlfd IN (%1,%2) "
                               "AND (Kopieren<>0 OR Verschieben<>0)")
                    .arg(sourceKey)
                    .arg(addedKey));

    writeParts(tables, source, activities ? &activities->kept : nullptr);
    writeParts(tables, added, activities ? &activities->moved : nullptr);
    transaction.commit();
    reports.gotoBookmark(added);
    return true;
}

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
    const QVector<QVariantList> rows = tables.exec(
        QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Masterlfd=%1").arg(reports.value(field::BerLfd).toLongLong()));
    return rows.value(0).value(0).toInt() == 0;
}

} // namespace followup
