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
        ChangedSincePdf,    // the record changed after its last whole-record PDF
    };
    Kind kind = Kind::BasicData;
    QString place; // where: "KW 12/2026", "Bericht 5 (2. Ausbildungsjahr), Blatt 1", "Grunddaten", "Teil 5, 1. Lehrjahr"
    QString text;  // what is wrong, a German sentence
    qint64 sheet = 0; // the sheet to open (BerLfd), 0 when none
    QDate week;       // the week's Monday, for the week kinds
    int year = 0;     // the training year, where one applies
};

// What the caller knows about the sheets' texts; the rich-text reader and
// the print layout are not the domain's.
struct TextChecks
{
    // True when the sheet's (BerLfd) activities or back side do not fit
    // its printed page. Without it no sheet is checked.
    std::function<bool(qint64 sheet)> overflows;
    // The plain text of a stored rich text. Without it, a stored text
    // counts as written.
    std::function<QString(const QString &stored)> plainText;
};

// Every defect, in the order: basic data, the weeks (missing, in conflict),
// the reports (without week, without activities, changed after review, not
// seen, text too long: by year, number and sheet), then the groups of the
// plan below the target of the current training year (the year of today in
// the training period, else `currentYear`), last a change of the record
// since its last whole-record PDF, when one was written. Weeks and reviews count before
// the current week only: this week's report may still be written and seen.
QVector<Defect> checkRecord(store::TableSet &tables, const store::Settings &settings, const QDate &today,
                            int currentYear, const TextChecks &checks = {});

// "Fehlende Woche", "Grunddaten", ...: the kind as a column text.
QString kindText(Defect::Kind kind);

} // namespace domain
