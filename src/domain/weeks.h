#pragma once

// The week ledger: every working week (Monday to Friday) of the training
// period with the report that covers it, the apprentice's mark for a week
// without one, or the gap. Weeks are ISO weeks: a week belongs to the year
// of its Thursday, so a week can have the number 53 and a week around New
// Year belongs to one year only.
//
// The computation is a plain function over the period, the reports' weeks
// and the marks; reading them from the settings and the tables is a
// separate step.

#include "marks.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>

namespace store {
class Settings;
class TableSet;
} // namespace store

namespace domain {

// The training period as the basic data and the training-time overview
// give it; dates as typed, an unreadable or empty date is invalid.
struct TrainingPeriod
{
    QDate first; // "AZvom"
    QDate last;  // "AZbis"
    std::array<QDate, 3> yearFirst; // "vom1" .. "vom3"
    std::array<QDate, 3> yearLast;  // "bis1" .. "bis3"

    // The training year a day falls in: the year whose dates ("vom1" to
    // "bis3") contain it; without them, counted from the first day of the
    // training, a year per year (the fourth and later count as the third);
    // 0 when neither is known or the day lies before the training.
    int yearOf(const QDate &day) const;
};

TrainingPeriod trainingPeriod(const store::Settings &settings);

// A date column as a query returns it (stored as yyyy-MM-dd); invalid when
// empty.
QDate storedDate(const QVariant &value);

// The Monday of the week that contains `day`.
QDate mondayOf(const QDate &day);
// "KW 12/2026" for the week that starts on `monday`.
QString weekLabel(const QDate &monday);

// A report (all its sheets) as the ledger sees it.
struct ReportWeeks
{
    qint64 sheet = 0;      // BerLfd of its first sheet
    QList<qint64> sheets;  // BerLfd of every sheet, in order
    int year = 0;          // AJahr
    int number = 0;        // Nummer
    QDate from, to;        // WocheVom, WocheBis of its first sheet (invalid when not chosen)
    bool seen = false;     // every sheet seen by the trainer
    bool changedAfterReview = false; // a sheet was changed after it was seen
};

// Every report of the record, by training year and number.
QVector<ReportWeeks> reportWeeks(store::TableSet &tables);

struct LedgerWeek
{
    enum class State {
        Covered,  // one report covers the week
        Conflict, // two or more reports claim the week
        Marked,   // no report; the apprentice marked why
        Missing,  // no report and no mark, and the week is over or running
        Future,   // no report and no mark, and the week lies ahead
    };
    QDate monday;
    int trainingYear = 0; // by TrainingPeriod::yearOf of its Monday (of the period's first day for its first week)
    State state = State::Missing;
    QVector<ReportWeeks> reports; // those that cover it, by year and number
    WeekMark mark;

    QDate friday() const { return monday.addDays(4); }
};

// The weeks from the one that contains the training's first day to the one
// that contains its last. Without a first day the ledger starts with the
// earliest report's week; without a last day it ends with the later of the
// current week and the latest report's week. Empty when there is nothing
// to start from. A report covers each week whose Monday to Friday its
// days (WocheVom to WocheBis) touch; a report without a week covers none.
// A week before the current one, or the current one, without a report or
// a mark is Missing; a later one is Future.
QVector<LedgerWeek> weekLedger(const TrainingPeriod &period, const QVector<ReportWeeks> &reports,
                               const QMap<QDate, WeekMark> &marks, const QDate &today);
QVector<LedgerWeek> weekLedger(store::TableSet &tables, const store::Settings &settings, const QDate &today);

// The Mondays of the Missing weeks before the week that contains `today`.
QList<QDate> missingBefore(const QVector<LedgerWeek> &ledger, const QDate &today);
// What the main window says about them: "Für 3 Wochen fehlt ein Bericht:
// KW 12, 13 und 15" (with the year after each number when the weeks lie in
// more than one year, and "… und 9 weitere" beyond eight weeks); empty
// without missing weeks.
QString missingWeeksText(const QList<QDate> &mondays);

// Where a copy of last week's report goes: the earliest week without a
// report or a mark (Missing or Future) after the newest report's last day
// (WocheBis; the highest year and number among equals); the week after the
// newest report when the ledger has none, the current week without reports.
QDate nextMissingWeek(const QVector<LedgerWeek> &ledger, const QVector<ReportWeeks> &reports, const QDate &today);

} // namespace domain
