#include "marks.h"

#include "weeks.h"
#include "store/tableset.h"

namespace domain {

namespace {

QVariant stored(const QDate &d)
{
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
}

} // namespace

QStringList absenceReasons()
{
    return {QStringLiteral("Urlaub"), QStringLiteral("krank"), QStringLiteral("Berufsschule (Block)"),
            QStringLiteral("sonstige Abwesenheit")};
}

QMap<QDate, WeekMark> weekMarks(store::TableSet &tables)
{
    QMap<QDate, WeekMark> marks;
    const auto rows = tables.query(QStringLiteral(
        "SELECT Woche, IFNULL(Grund,''), IFNULL(Notiz,'') FROM marken WHERE Woche IS NOT NULL AND Grund <> '' "
        "ORDER BY rowid"));
    for (const QVariantList &row : rows) {
        const QDate monday = mondayOf(storedDate(row[0]));
        if (monday.isValid())
            marks.insert(monday, {monday, row[1].toString(), row[2].toString()});
    }
    return marks;
}

void setWeekMark(store::TableSet &tables, const QDate &day, const QString &reason, const QString &note)
{
    const QDate monday = mondayOf(day);
    if (!monday.isValid())
        return;
    store::Transaction transaction(tables);
    tables.query(QStringLiteral("DELETE FROM marken WHERE Woche=?"), {stored(monday)});
    if (!reason.isEmpty())
        tables.query(QStringLiteral("INSERT INTO marken (Woche, Grund, Notiz, Blattlfd) VALUES (?, ?, ?, 0)"),
                     {stored(monday), reason, note});
    transaction.commit();
}

QHash<qint64, Review> reviews(store::TableSet &tables)
{
    QHash<qint64, Review> out;
    const auto rows = tables.query(QStringLiteral(
        "SELECT Blattlfd, Gesehen, IFNULL(Pruefer,''), Geaendert FROM marken WHERE IFNULL(Blattlfd,0) > 0 "
        "ORDER BY rowid"));
    for (const QVariantList &row : rows) {
        Review r{row[0].toLongLong(), storedDate(row[1]), row[2].toString(), storedDate(row[3])};
        if (r.isSeen() || r.changedAfter.isValid())
            out.insert(r.sheet, r);
    }
    return out;
}

Review reviewOf(store::TableSet &tables, qint64 sheet)
{
    const auto rows = tables.query(
        QStringLiteral("SELECT Gesehen, IFNULL(Pruefer,''), Geaendert FROM marken WHERE Blattlfd=? ORDER BY rowid DESC"),
        {sheet});
    if (rows.isEmpty() || sheet <= 0)
        return Review{sheet, {}, {}, {}};
    return Review{sheet, storedDate(rows[0][0]), rows[0][1].toString(), storedDate(rows[0][2])};
}

void markSeen(store::TableSet &tables, const QList<qint64> &sheets, const QDate &day, const QString &trainer)
{
    store::Transaction transaction(tables);
    for (const qint64 sheet : sheets) {
        if (sheet <= 0)
            continue;
        tables.query(QStringLiteral("DELETE FROM marken WHERE Blattlfd=?"), {sheet});
        tables.query(QStringLiteral("INSERT INTO marken (Blattlfd, Gesehen, Pruefer) VALUES (?, ?, ?)"),
                     {sheet, stored(day), trainer});
    }
    transaction.commit();
}

void unmarkSeen(store::TableSet &tables, const QList<qint64> &sheets)
{
    store::Transaction transaction(tables);
    for (const qint64 sheet : sheets)
        tables.query(QStringLiteral("DELETE FROM marken WHERE Blattlfd=?"), {sheet});
    transaction.commit();
}

void recordChangeAfterReview(store::TableSet &tables, qint64 sheet, const QDate &day)
{
    if (!reviewOf(tables, sheet).isSeen())
        return;
    tables.query(QStringLiteral("UPDATE marken SET Gesehen=NULL, Geaendert=? WHERE Blattlfd=?"), {stored(day), sheet});
}

QList<qint64> sheetsOfReport(store::TableSet &tables, qint64 sheet)
{
    QList<qint64> out;
    const auto rows = tables.query(QStringLiteral("SELECT b.BerLfd FROM bericht b JOIN bericht s ON s.BerLfd=? "
                                                  "AND b.AJahr IS s.AJahr AND b.Nummer=s.Nummer ORDER BY b.Blatt"),
                                   {sheet});
    for (const QVariantList &row : rows)
        out << row[0].toLongLong();
    return out;
}

} // namespace domain
