#include "readiness.h"

#include "fingerprint.h"

#include "reportofreports.h"
#include "weeks.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

namespace keys = store::settingskeys;

namespace domain {

namespace {

QString reportPlace(int year, int number, int sheet)
{
    return QStringLiteral("Bericht %1 (%2. Lehrjahr), Blatt %3").arg(number).arg(year).arg(sheet);
}

QString weekPlace(const QDate &monday)
{
    return QStringLiteral("%1 (%2–%3)")
        .arg(weekLabel(monday), monday.toString(QStringLiteral("dd.MM.")),
             monday.addDays(4).toString(QStringLiteral("dd.MM.yyyy")));
}

void checkBasicData(const store::Settings &settings, QVector<Defect> &out)
{
    auto text = [&](QLatin1String section, QLatin1String key) { return settings.readString(section, key).trimmed(); };
    auto add = [&](const QString &place, const QString &what, int year = 0) {
        Defect d;
        d.kind = Defect::Kind::BasicData;
        d.place = place;
        d.text = what;
        d.year = year;
        out << d;
    };
    const QString basic = QStringLiteral("Grunddaten");
    if (text(keys::Stift, keys::Name).isEmpty())
        add(basic, QStringLiteral("Der Name des Auszubildenden fehlt."));
    if (text(keys::BKM, keys::Name).isEmpty())
        add(basic, QStringLiteral("Der Name des Ausbildenden fehlt."));
    const struct
    {
        QLatin1String key;
        const char *what;
    } periodDates[] = {{keys::AZvom, "Der Beginn der vertraglichen Ausbildungszeit"},
                       {keys::AZbis, "Das Ende der vertraglichen Ausbildungszeit"}};
    for (const auto &d : periodDates) {
        const QString value = text(keys::Stift, d.key);
        if (value.isEmpty())
            add(basic, QStringLiteral("%1 fehlt.").arg(QString::fromUtf8(d.what)));
        else if (!store::dateFromText(value).isValid())
            add(basic, QStringLiteral("%1 ist kein Datum: „%2“.").arg(QString::fromUtf8(d.what), value));
    }
    const QLatin1String firsts[] = {keys::vom1, keys::vom2, keys::vom3};
    const QLatin1String lasts[] = {keys::bis1, keys::bis2, keys::bis3};
    for (int y = 0; y < 3; ++y) {
        const QString first = text(keys::Stift, firsts[y]);
        const QString last = text(keys::Stift, lasts[y]);
        const QString place = QStringLiteral("Ausbildungszeit, %1. Lehrjahr").arg(y + 1);
        if (first.isEmpty() || last.isEmpty())
            add(place, QStringLiteral("Beginn oder Ende des %1. Lehrjahres fehlt.").arg(y + 1), y + 1);
        else if (!store::dateFromText(first).isValid() || !store::dateFromText(last).isValid())
            add(place, QStringLiteral("Beginn oder Ende des %1. Lehrjahres ist kein Datum.").arg(y + 1), y + 1);
    }
}

void checkWeeks(const QVector<LedgerWeek> &ledger, const QDate &today, QVector<Defect> &out)
{
    const QDate current = mondayOf(today);
    for (const LedgerWeek &week : ledger) {
        if (week.monday >= current)
            break;
        Defect d;
        d.week = week.monday;
        d.year = week.trainingYear;
        d.place = weekPlace(week.monday);
        if (week.state == LedgerWeek::State::Missing) {
            d.kind = Defect::Kind::MissingWeek;
            d.text = QStringLiteral("Für diese Woche gibt es keinen Bericht und keinen Vermerk (Urlaub, krank, ...).");
        } else if (week.state == LedgerWeek::State::Conflict) {
            QStringList reports;
            for (const ReportWeeks &r : week.reports)
                reports << QStringLiteral("%1 (%2. Lehrjahr)").arg(r.number).arg(r.year);
            d.kind = Defect::Kind::WeekConflict;
            d.sheet = week.reports.first().sheet;
            d.text = QStringLiteral("Mehrere Berichte gelten für diese Woche: %1.")
                         .arg(reports.join(QStringLiteral(", ")));
        } else {
            continue;
        }
        out << d;
    }
}

void checkSheets(store::TableSet &tables, const QDate &today, const TextChecks &checks, QVector<Defect> &out)
{
    const QHash<qint64, Review> seen = reviews(tables);
    const QDate current = mondayOf(today);
    const auto rows = tables.query(QStringLiteral(
        "SELECT BerLfd, IFNULL(AJahr,0), Nummer, IFNULL(Blatt,1), WocheVom, Datum, IFNULL(Taetigkeit,'') "
        "FROM bericht ORDER BY AJahr, Nummer, Blatt"));
    for (const QVariantList &row : rows) {
        const qint64 sheet = row[0].toLongLong();
        const int year = row[1].toInt();
        const QDate week = storedDate(row[4]);
        Defect d;
        d.sheet = sheet;
        d.year = year;
        d.week = mondayOf(week);
        d.place = reportPlace(year, row[2].toInt(), row[3].toInt());
        auto add = [&](Defect::Kind kind, const QString &text) {
            d.kind = kind;
            d.text = text;
            out << d;
        };
        if (!week.isValid())
            add(Defect::Kind::NoWeek, QStringLiteral("Dem Bericht ist keine Woche zugeordnet."));
        else if (!storedDate(row[5]).isValid())
            add(Defect::Kind::NoWeek, QStringLiteral("Der Bericht hat kein Datum."));
        const QString activities = row[6].toString();
        if ((checks.plainText ? checks.plainText(activities) : activities).trimmed().isEmpty())
            add(Defect::Kind::NoActivities, QStringLiteral("Es sind keine Tätigkeiten eingetragen."));
        const Review review = seen.value(sheet);
        if (review.changedAfterReview())
            add(Defect::Kind::ChangedAfterReview,
                QStringLiteral("Der Bericht wurde am %1 geändert, nachdem der Ausbildende ihn gesehen hatte.")
                    .arg(review.changedAfter.toString(QStringLiteral("dd.MM.yyyy"))));
        else if (!review.isSeen() && (!week.isValid() || mondayOf(week) < current))
            add(Defect::Kind::NotReviewed, QStringLiteral("Der Ausbildende hat den Bericht noch nicht gesehen."));
        if (checks.overflows && checks.overflows(sheet))
            add(Defect::Kind::TextOverflow, QStringLiteral("Der Text passt nicht auf die gedruckte Seite."));
    }
}

void checkPlan(store::TableSet &tables, int year, QVector<Defect> &out)
{
    const Selection selection = selectionForYear(year);
    const Grid grid = reportGrid(planWalk(tables, selection), selection);
    for (int i = 1; i < grid.size(); ++i) {
        const QStringList &row = grid[i];
        const QString missing = row[column::Missing];
        if (missing.isEmpty())
            continue;
        Defect d;
        d.kind = Defect::Kind::BelowTarget;
        d.year = year;
        d.place = QStringLiteral("Berichte Report, %1").arg(selectionText(selection));
        const QString what = (row[column::Number] + QLatin1Char(' ') + row[column::Text]).trimmed();
        d.text = row[column::Target] == QLatin1String("-")
                     ? QStringLiteral("%1: noch kein Bericht (mindestens einer nötig).").arg(what)
                     : QStringLiteral("%1: %2 von %3 Berichten, es fehlen %4.")
                           .arg(what, row[column::Actual].isEmpty() ? QStringLiteral("0") : row[column::Actual],
                                row[column::Target], missing);
        out << d;
    }
}

} // namespace

QVector<Defect> checkRecord(store::TableSet &tables, const store::Settings &settings, const QDate &today,
                            int currentYear, const TextChecks &checks)
{
    QVector<Defect> out;
    checkBasicData(settings, out);
    const TrainingPeriod period = trainingPeriod(settings);
    checkWeeks(weekLedger(period, reportWeeks(tables), weekMarks(tables), today), today, out);
    checkSheets(tables, today, checks, out);
    const int year = period.yearOf(today);
    checkPlan(tables, year > 0 ? year : std::clamp(currentYear, 1, 3), out);
    const RecordExport pdf = lastRecordExport(settings);
    if (pdf.isValid() && recordFingerprint(tables) != pdf.fingerprint) {
        Defect d;
        d.kind = Defect::Kind::ChangedSincePdf;
        d.place = QStringLiteral("Ausbildungsnachweis (PDF)");
        d.text = QStringLiteral("Der Ausbildungsnachweis wurde geändert, nachdem er am %1 als PDF gespeichert wurde; "
                                "die PDF-Datei ist nicht mehr aktuell.")
                     .arg(pdf.written.toString(QStringLiteral("dd.MM.yyyy")));
        out << d;
    }
    return out;
}

QString kindText(Defect::Kind kind)
{
    switch (kind) {
    case Defect::Kind::BasicData:
        return QStringLiteral("Grunddaten");
    case Defect::Kind::MissingWeek:
        return QStringLiteral("Fehlende Woche");
    case Defect::Kind::WeekConflict:
        return QStringLiteral("Doppelte Woche");
    case Defect::Kind::NoWeek:
        return QStringLiteral("Ohne Datum");
    case Defect::Kind::NoActivities:
        return QStringLiteral("Ohne Tätigkeiten");
    case Defect::Kind::NotReviewed:
        return QStringLiteral("Nicht gesehen");
    case Defect::Kind::ChangedAfterReview:
        return QStringLiteral("Nach Durchsicht geändert");
    case Defect::Kind::TextOverflow:
        return QStringLiteral("Text zu lang");
    case Defect::Kind::BelowTarget:
        return QStringLiteral("Unter Soll");
    case Defect::Kind::ChangedSincePdf:
        return QStringLiteral("PDF veraltet");
    }
    return {};
}

} // namespace domain
