#pragma once

// What the apprentice marks beside the reports, kept in the marks' own table
// file: a week without a report and why ("Urlaub", "krank", ...), and the
// trainer's review of a sheet ("vom Ausbildenden gesehen") with its date and
// the trainer's name. A reviewed sheet that is changed later loses its mark;
// the change is recorded until the trainer sees the sheet again.
//
// Like every rule here, these run on statements of their own; no window's
// cursor is touched.

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace store {
class TableSet;
}

namespace domain {

// The reasons a week may have no report, in the order they are offered.
QStringList absenceReasons();

struct WeekMark
{
    QDate monday;
    QString reason; // one of absenceReasons()
    QString note;   // optional
    bool isSet() const { return !reason.isEmpty(); }
};

// Every marked week, by its Monday.
QMap<QDate, WeekMark> weekMarks(store::TableSet &tables);
// Marks the week that contains `day` (stored under its Monday); an empty
// reason takes the mark away.
void setWeekMark(store::TableSet &tables, const QDate &day, const QString &reason, const QString &note = {});

struct Review
{
    qint64 sheet = 0;  // BerLfd
    QDate seen;        // invalid: not (or no longer) seen
    QString trainer;   // who saw it
    QDate changedAfter; // the day the sheet was changed after being seen
    bool isSeen() const { return seen.isValid(); }
    bool changedAfterReview() const { return !isSeen() && changedAfter.isValid(); }
};

// The review of every sheet that has one, by BerLfd.
QHash<qint64, Review> reviews(store::TableSet &tables);
// The review of one sheet (an empty one when it has none).
Review reviewOf(store::TableSet &tables, qint64 sheet);

// The sheets, seen by `trainer` on `day`, in one transaction; a sheet
// changed after an earlier review counts as seen again.
void markSeen(store::TableSet &tables, const QList<qint64> &sheets, const QDate &day, const QString &trainer);
// Takes a mark set by mistake back (no change is recorded).
void unmarkSeen(store::TableSet &tables, const QList<qint64> &sheets);
// A seen sheet is being changed on `day`: its mark goes and the change is
// recorded. Nothing happens to a sheet that is not seen.
void recordChangeAfterReview(store::TableSet &tables, qint64 sheet, const QDate &day);

// The BerLfd of every sheet of the report that has the sheet `sheet`
// (the sheets share training year and number), in order of their sheet.
QList<qint64> sheetsOfReport(store::TableSet &tables, qint64 sheet);

} // namespace domain
