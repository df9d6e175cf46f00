#include "weeks.h"

#include "store/schema.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <QHash>
#include <algorithm>

namespace keys = store::settingskeys;

namespace domain {

namespace {

// No training lasts longer; a mistyped year must not make a ledger of
// centuries.
constexpr int maxWeeks = 10 * 53;

} // namespace

QDate storedDate(const QVariant &value)
{
    return QDate::fromString(value.toString(), Qt::ISODate);
}

int TrainingPeriod::yearOf(const QDate &day) const
{
    if (!day.isValid())
        return 0;
    for (int y = 2; y >= 0; --y)
        if (yearFirst[y].isValid() && day >= yearFirst[y])
            return y + 1;
    if (!first.isValid() || day < first)
        return 0;
    int year = 1;
    while (year < 3 && day >= first.addYears(year))
        ++year;
    return year;
}

TrainingPeriod trainingPeriod(const store::Settings &settings)
{
    auto date = [&](QLatin1String key) { return store::dateFromText(settings.readString(keys::Stift, key).trimmed()); };
    TrainingPeriod period;
    period.first = date(keys::AZvom);
    period.last = date(keys::AZbis);
    const QLatin1String firsts[] = {keys::vom1, keys::vom2, keys::vom3};
    const QLatin1String lasts[] = {keys::bis1, keys::bis2, keys::bis3};
    for (int y = 0; y < 3; ++y) {
        period.yearFirst[y] = date(firsts[y]);
        period.yearLast[y] = date(lasts[y]);
    }
    return period;
}

QDate mondayOf(const QDate &day)
{
    return day.isValid() ? day.addDays(1 - day.dayOfWeek()) : QDate();
}

QString weekLabel(const QDate &monday)
{
    int year = 0;
    const int week = monday.weekNumber(&year);
    return QStringLiteral("KW %1/%2").arg(week).arg(year);
}

QVector<ReportWeeks> reportWeeks(store::TableSet &tables)
{
    const QHash<qint64, Review> seen = reviews(tables);
    QVector<ReportWeeks> out;
    const auto rows = tables.query(QStringLiteral("SELECT BerLfd, IFNULL(AJahr,0), Nummer, WocheVom, WocheBis "
                                                  "FROM bericht ORDER BY AJahr, Nummer, Blatt"));
    for (const QVariantList &row : rows) {
        const qint64 sheet = row[0].toLongLong();
        const int year = row[1].toInt();
        const int number = row[2].toInt();
        if (out.isEmpty() || out.last().year != year || out.last().number != number) {
            ReportWeeks report;
            report.sheet = sheet;
            report.year = year;
            report.number = number;
            report.from = storedDate(row[3]);
            report.to = storedDate(row[4]);
            report.seen = true;
            out << report;
        }
        ReportWeeks &report = out.last();
        report.sheets << sheet;
        const Review review = seen.value(sheet);
        report.seen = report.seen && review.isSeen();
        report.changedAfterReview = report.changedAfterReview || review.changedAfterReview();
    }
    return out;
}

QVector<LedgerWeek> weekLedger(const TrainingPeriod &period, const QVector<ReportWeeks> &reports,
                               const QMap<QDate, WeekMark> &marks, const QDate &today)
{
    QDate earliest, latest;
    for (const ReportWeeks &r : reports) {
        if (!r.from.isValid())
            continue;
        const QDate to = r.to.isValid() && r.to >= r.from ? r.to : r.from;
        if (!earliest.isValid() || r.from < earliest)
            earliest = r.from;
        if (!latest.isValid() || to > latest)
            latest = to;
    }
    const QDate first = mondayOf(period.first.isValid() ? period.first : earliest);
    if (!first.isValid())
        return {};
    QDate last = period.last.isValid() && period.last >= period.first ? mondayOf(period.last) : QDate();
    if (!last.isValid())
        last = std::max(mondayOf(today), mondayOf(latest));
    last = std::min(last, first.addDays(7 * (maxWeeks - 1)));

    QVector<LedgerWeek> ledger;
    for (QDate monday = first; monday <= last; monday = monday.addDays(7)) {
        LedgerWeek week;
        week.monday = monday;
        week.trainingYear = period.yearOf(period.first.isValid() && monday < period.first ? period.first : monday);
        week.mark = marks.value(monday);
        ledger << week;
    }
    for (const ReportWeeks &r : reports) {
        if (!r.from.isValid())
            continue;
        // Its working days: a week counts when the report touches one of
        // Monday to Friday.
        const QDate to = r.to.isValid() && r.to >= r.from ? r.to : r.from;
        QDate from = r.from;
        if (from.dayOfWeek() > 5)
            from = mondayOf(from).addDays(7);
        for (QDate monday = std::max(mondayOf(from), first); monday <= std::min(mondayOf(to), last);
             monday = monday.addDays(7)) {
            ledger[int(first.daysTo(monday) / 7)].reports << r;
        }
    }
    const QDate current = mondayOf(today);
    for (LedgerWeek &week : ledger) {
        if (week.reports.size() > 1)
            week.state = LedgerWeek::State::Conflict;
        else if (week.reports.size() == 1)
            week.state = LedgerWeek::State::Covered;
        else if (week.mark.isSet())
            week.state = LedgerWeek::State::Marked;
        else
            week.state = week.monday <= current ? LedgerWeek::State::Missing : LedgerWeek::State::Future;
    }
    return ledger;
}

QVector<LedgerWeek> weekLedger(store::TableSet &tables, const store::Settings &settings, const QDate &today)
{
    return weekLedger(trainingPeriod(settings), reportWeeks(tables), weekMarks(tables), today);
}

QList<QDate> missingBefore(const QVector<LedgerWeek> &ledger, const QDate &today)
{
    QList<QDate> out;
    const QDate current = mondayOf(today);
    for (const LedgerWeek &week : ledger)
        if (week.state == LedgerWeek::State::Missing && week.monday < current)
            out << week.monday;
    return out;
}

QString missingWeeksText(const QList<QDate> &mondays)
{
    if (mondays.isEmpty())
        return {};
    constexpr int shown = 8;
    bool oneYear = true;
    int firstYear = 0;
    mondays.first().weekNumber(&firstYear);
    for (const QDate &m : mondays) {
        int y = 0;
        m.weekNumber(&y);
        oneYear = oneYear && y == firstYear;
    }
    QStringList weeks;
    for (int i = 0; i < std::min(shown, int(mondays.size())); ++i) {
        int y = 0;
        const int w = mondays[i].weekNumber(&y);
        weeks << (oneYear ? QString::number(w) : QStringLiteral("%1/%2").arg(w).arg(y));
    }
    QString list;
    if (mondays.size() > shown)
        list = weeks.join(QStringLiteral(", ")) + QStringLiteral(" und %1 weitere").arg(mondays.size() - shown);
    else if (weeks.size() == 1)
        list = weeks.first();
    else
        list = weeks.mid(0, weeks.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" und ") + weeks.last();
    return QStringLiteral("Für %1 %2 fehlt ein Bericht: KW %3")
        .arg(mondays.size())
        .arg(mondays.size() == 1 ? QStringLiteral("Woche") : QStringLiteral("Wochen"), list);
}

QDate nextMissingWeek(const QVector<LedgerWeek> &ledger, const QVector<ReportWeeks> &reports, const QDate &today)
{
    const ReportWeeks *newest = nullptr;
    for (const ReportWeeks &r : reports) {
        const QDate end = r.to.isValid() ? r.to : r.from;
        if (!newest)
            newest = &r;
        else {
            const QDate newestEnd = newest->to.isValid() ? newest->to : newest->from;
            if (end > newestEnd || (end == newestEnd && std::pair(r.year, r.number) > std::pair(newest->year, newest->number)))
                newest = &r;
        }
    }
    const QDate after = newest ? (newest->to.isValid() ? newest->to : newest->from) : QDate();
    for (const LedgerWeek &week : ledger)
        if ((!after.isValid() || week.monday > after)
            && (week.state == LedgerWeek::State::Missing || week.state == LedgerWeek::State::Future))
            return week.monday;
    return after.isValid() ? mondayOf(after).addDays(7) : mondayOf(today);
}

} // namespace domain
