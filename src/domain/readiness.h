#pragma once

// The readiness check of the training record ("Ausbildungsnachweis
// prüfen"): every defect the chamber would find before the final exam,
// each with what the window needs to jump to it.

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

namespace store {
class Settings;
class TableSet;
} // namespace store

namespace domain {

struct Defect
{
    enum class Kind {
        BasicData,          // a name or date of the basic data or the training times is missing
        MissingWeek,        // a week without report and mark
        WeekConflict,       // two reports claim one week
        NoWeek,             // a report without its week (no date)
        NoActivities,       // a sheet without activities
        NotReviewed,        // a sheet the trainer has not seen
        ChangedAfterReview, // a sheet changed after the trainer saw it
        TextOverflow,       // a sheet whose text does not fit its page
        BelowTarget,        // a group of the plan below its target
    };
    Kind kind = Kind::BasicData;
    QString place; // where: "KW 12/2026", "Bericht 5 (2. Ausbildungsjahr), Blatt 1", "Grunddaten", "Teil 5, 1. Lehrjahr"
    QString text;  // what is wrong, a German sentence
    qint64 sheet = 0; // the sheet to open (BerLfd), 0 when none
    QDate week;       // the week's Monday, for the week kinds
    int year = 0;     // the training year, where one applies
};

// What the caller knows about the sheets' texts: true when the sheet's
// activities (or its back side) do not fit its printed page. The check
// itself belongs to the print layout.
using OverflowCheck = std::function<bool(qint64 sheet)>;

// Every defect, in the order: basic data, then by week and by report, then
// the plan. Weeks and reviews count only up to the current week; a report
// is a sheet-wise check. "Below target" compares each group's reports
// with the target of every training year that has begun.
QVector<Defect> checkRecord(store::TableSet &tables, const store::Settings &settings, const QDate &today,
                            const OverflowCheck &overflows = {});

// "Fehlende Woche", "Grunddaten", ...: the kind as a column text.
QString kindText(Defect::Kind kind);

} // namespace domain
