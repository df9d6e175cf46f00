// The week ledger, the marks beside the reports and the readiness check,
// on the table files alone: weeks around New Year and week 53, reports over
// two weeks or two in one week, marked weeks, a training that starts in
// the middle of a week, an empty record.

#include "domain/marks.h"
#include "domain/readiness.h"
#include "domain/reports.h"
#include "domain/weeks.h"
#include "store/reset.h"
#include "store/settings.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QTest>

namespace {

QDate day(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
}

// Sheets as "year/number/sheet/from/to" (from and to may be empty).
void storeSheets(store::TableSet &tables, const QStringList &sheets)
{
    for (const QString &s : sheets) {
        const QStringList v = s.split(QLatin1Char('/'));
        auto iso = [](const QString &t) { return t.isEmpty() ? QVariant() : QVariant(day(t).toString(Qt::ISODate)); };
        tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom, WocheBis, Datum, Taetigkeit) "
                                    "VALUES (?,?,?,?,?,?, 'Kehren')"),
                     {v[0].toInt(), v[1].toInt(), v[2].toInt(), iso(v[3]), iso(v[4]), iso(v[4])});
    }
}

qint64 keyOf(store::TableSet &tables, int year, int number, int sheet)
{
    return tables
        .queryValue(QStringLiteral("SELECT BerLfd FROM bericht WHERE AJahr=? AND Nummer=? AND Blatt=?"),
                    {year, number, sheet})
        .toLongLong();
}

// Each week as "week/year=what": the reports ("1.3", "1.3+1.4" for a
// conflict), the mark's reason, "fehlt" or "offen".
QString describe(const QVector<domain::LedgerWeek> &ledger)
{
    QStringList out;
    for (const domain::LedgerWeek &w : ledger) {
        int year = 0;
        const int number = w.monday.weekNumber(&year);
        QStringList reports;
        for (const domain::ReportWeeks &r : w.reports)
            reports << QStringLiteral("%1.%2").arg(r.year).arg(r.number);
        QString what;
        switch (w.state) {
        case domain::LedgerWeek::State::Covered:
        case domain::LedgerWeek::State::Conflict:
            what = reports.join(QLatin1Char('+'));
            break;
        case domain::LedgerWeek::State::Marked:
            what = w.mark.reason;
            break;
        case domain::LedgerWeek::State::Missing:
            what = QStringLiteral("fehlt");
            break;
        case domain::LedgerWeek::State::Future:
            what = QStringLiteral("offen");
            break;
        }
        out << QStringLiteral("%1/%2=%3").arg(number).arg(year).arg(what);
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestWeeks : public QObject
{
    Q_OBJECT

private slots:
    void ledger_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QStringList>("marks"); // "dd.MM.yyyy=reason"
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("expected");

        QTest::newRow("week 53 and New Year")
            << "21.12.2026" << "15.01.2027" << QStringList{"1/1/1/21.12.2026/25.12.2026"}
            << QStringList{"30.12.2026=Urlaub"} << "13.01.2027"
            << "52/2026=1.1 53/2026=Urlaub 1/2027=fehlt 2/2027=fehlt";
        QTest::newRow("a report over two weeks, follow-up sheets are one report")
            << "01.09.2025" << "19.09.2025"
            << QStringList{"1/1/1/01.09.2025/12.09.2025", "1/1/2/01.09.2025/12.09.2025"} << QStringList{}
            << "01.10.2025" << "36/2025=1.1 37/2025=1.1 38/2025=fehlt";
        QTest::newRow("two reports in one week")
            << "01.09.2025" << "12.09.2025"
            << QStringList{"1/1/1/01.09.2025/05.09.2025", "1/2/1/03.09.2025/05.09.2025",
                           "1/3/1/08.09.2025/12.09.2025"}
            << QStringList{} << "01.10.2025" << "36/2025=1.1+1.2 37/2025=1.3";
        QTest::newRow("a training that starts on a Wednesday")
            << "03.09.2025" << "17.09.2025" << QStringList{"1/1/1/01.09.2025/05.09.2025"} << QStringList{}
            << "01.10.2025" << "36/2025=1.1 37/2025=fehlt 38/2025=fehlt";
        QTest::newRow("a week from Saturday counts from the next Monday")
            << "01.09.2025" << "12.09.2025" << QStringList{"1/1/1/06.09.2025/12.09.2025"} << QStringList{}
            << "01.10.2025" << "36/2025=fehlt 37/2025=1.1";
        QTest::newRow("weeks ahead are open, the running week is missing")
            << "01.09.2025" << "26.09.2025" << QStringList{"1/1/1/01.09.2025/05.09.2025"}
            << QStringList{"22.09.2025=krank"} << "10.09.2025"
            << "36/2025=1.1 37/2025=fehlt 38/2025=offen 39/2025=krank";
        QTest::newRow("a report years off is no week of the ledger")
            << "01.09.2025" << "05.09.2025" << QStringList{"2/4/1/01.09.2031/05.09.2031", "1/1/1/01.09.2025/05.09.2025"}
            << QStringList{} << "01.10.2025" << "36/2025=1.1";
        QTest::newRow("without basic data: from the first report to this week")
            << "" << "" << QStringList{"1/1/1/01.09.2025/05.09.2025", "1/2/1///"} << QStringList{}
            << "17.09.2025" << "36/2025=1.1 37/2025=fehlt 38/2025=fehlt";
        QTest::newRow("an empty record") << "" << "" << QStringList{} << QStringList{"01.09.2025=Urlaub"}
                                         << "17.09.2025" << "";
    }
    void ledger()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QStringList, sheets);
        QFETCH(QStringList, marks);
        QFETCH(QString, today);
        QFETCH(QString, expected);
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeSheets(tables, sheets);
        for (const QString &m : marks)
            domain::setWeekMark(tables, day(m.section(QLatin1Char('='), 0, 0)), m.section(QLatin1Char('='), 1));
        domain::TrainingPeriod period;
        period.first = day(first);
        period.last = day(last);
        QCOMPARE(describe(domain::weekLedger(period, domain::reportWeeks(tables), domain::weekMarks(tables), day(today))),
                 expected);
    }

    // Two training years over two year ends, a long ledger: each week once,
    // seven days apart, each in its training year.
    void longLedgerHasEveryWeekOnce()
    {
        domain::TrainingPeriod period;
        period.first = QDate(2025, 8, 1);
        period.last = QDate(2027, 7, 31);
        const auto ledger = domain::weekLedger(period, {}, {}, QDate(2027, 8, 2));
        QCOMPARE(ledger.size(), 105);
        QCOMPARE(ledger.first().monday, QDate(2025, 7, 28));
        QCOMPARE(ledger.last().monday, QDate(2027, 7, 26));
        QStringList labels;
        for (int i = 0; i < ledger.size(); ++i) {
            if (i > 0)
                QCOMPARE(ledger[i - 1].monday.daysTo(ledger[i].monday), 7);
            QCOMPARE(ledger[i].trainingYear, ledger[i].monday < QDate(2026, 8, 1) ? 1 : 2);
            labels << domain::weekLabel(ledger[i].monday);
        }
        QCOMPARE(labels.count(QStringLiteral("KW 53/2026")), 1);
        QCOMPARE(labels.count(QStringLiteral("KW 1/2027")), 1);
        QCOMPARE(domain::missingBefore(ledger, QDate(2027, 8, 2)).size(), 105);
    }

    void trainingYear_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("vom2"); // the second year's first day, may be empty
        QTest::addColumn<QString>("day");
        QTest::addColumn<int>("year");
        QTest::newRow("before the training") << "01.08.2025" << "" << "31.07.2025" << 0;
        QTest::newRow("first day") << "01.08.2025" << "" << "01.08.2025" << 1;
        QTest::newRow("last day of year 1") << "01.08.2025" << "" << "31.07.2026" << 1;
        QTest::newRow("year 2 by the anniversary") << "01.08.2025" << "" << "01.08.2026" << 2;
        QTest::newRow("after year 3 stays 3") << "01.08.2025" << "" << "15.02.2029" << 3;
        QTest::newRow("a shortened first year") << "01.08.2025" << "01.02.2026" << "02.02.2026" << 2;
        QTest::newRow("no training dates") << "" << "" << "02.02.2026" << 0;
    }
    void trainingYear()
    {
        QFETCH(QString, first);
        QFETCH(QString, vom2);
        QFETCH(QString, day);
        QFETCH(int, year);
        testsupport::TempDataDir dir;
        store::Settings settings(dir.path() + QStringLiteral("/Ruririd.ini"));
        settings.writeString(QStringLiteral("Stift"), QStringLiteral("AZvom"), first);
        settings.writeString(QStringLiteral("Stift"), QStringLiteral("vom2"), vom2);
        QCOMPARE(domain::trainingPeriod(settings).yearOf(::day(day)), year);
    }

    void missingWeeksText_data()
    {
        QTest::addColumn<QStringList>("mondays");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("one") << QStringList{"16.03.2026"} << "Für 1 Woche fehlt ein Bericht: KW 12";
        QTest::newRow("three") << QStringList{"16.03.2026", "23.03.2026", "06.04.2026"}
                               << "Für 3 Wochen fehlt ein Bericht: KW 12, 13 und 15";
        QTest::newRow("over New Year") << QStringList{"28.12.2026", "04.01.2027"}
                                       << "Für 2 Wochen fehlt ein Bericht: KW 53/2026 und 1/2027";
        QStringList many;
        for (int i = 0; i < 11; ++i)
            many << QDate(2026, 1, 5).addDays(7 * i).toString(QStringLiteral("dd.MM.yyyy"));
        QTest::newRow("many") << many << "Für 11 Wochen fehlt ein Bericht: KW 2, 3, 4, 5, 6, 7, 8, 9 und 3 weitere";
    }
    void missingWeeksText()
    {
        QFETCH(QStringList, mondays);
        QFETCH(QString, text);
        QList<QDate> dates;
        for (const QString &m : mondays)
            dates << day(m);
        QCOMPARE(domain::missingWeeksText(dates), text);
    }

    // The review of a sheet through its life: seen, changed, seen again;
    // a report is seen when each of its sheets is; marks go with a deleted
    // sheet and with the reset.
    void reviewLifecycle()
    {
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeSheets(tables, {"1/1/1/01.09.2025/05.09.2025", "1/1/2/01.09.2025/05.09.2025"});
        const qint64 a = keyOf(tables, 1, 1, 1), b = keyOf(tables, 1, 1, 2);
        QCOMPARE(domain::sheetsOfReport(tables, b), (QList<qint64>{a, b}));
        auto report = [&] { return domain::reportWeeks(tables).value(0); };

        domain::markSeen(tables, {a}, QDate(2025, 9, 8), QStringLiteral("Meister Ruß"));
        QVERIFY(!report().seen);
        domain::markSeen(tables, {b}, QDate(2025, 9, 9), QStringLiteral("Meister Ruß"));
        QVERIFY(report().seen);
        QCOMPARE(domain::reviewOf(tables, a).trainer, QStringLiteral("Meister Ruß"));

        domain::recordChangeAfterReview(tables, a, QDate(2025, 9, 10));
        QVERIFY(!domain::reviewOf(tables, a).isSeen());
        QCOMPARE(domain::reviewOf(tables, a).changedAfter, QDate(2025, 9, 10));
        QVERIFY(!report().seen && report().changedAfterReview);
        // A change to a sheet nobody saw records nothing.
        domain::recordChangeAfterReview(tables, a, QDate(2025, 9, 11));
        QCOMPARE(domain::reviewOf(tables, a).changedAfter, QDate(2025, 9, 10));

        domain::markSeen(tables, {a}, QDate(2025, 9, 12), QStringLiteral("Meister Ruß"));
        QVERIFY(report().seen && !report().changedAfterReview);
        domain::unmarkSeen(tables, {b});
        QVERIFY(!report().seen && !report().changedAfterReview);

        domain::setWeekMark(tables, QDate(2025, 9, 17), QStringLiteral("krank"), QStringLiteral("Attest"));
        QCOMPARE(domain::weekMarks(tables).value(QDate(2025, 9, 15)).note, QStringLiteral("Attest"));
        domain::setWeekMark(tables, QDate(2025, 9, 15), QStringLiteral("Urlaub"));
        QCOMPARE(domain::weekMarks(tables).size(), 1);
        QCOMPARE(domain::weekMarks(tables).first().reason, QStringLiteral("Urlaub"));

        QCOMPARE(int(domain::deleteSheet(tables, a).outcome), int(domain::SheetDeletion::Outcome::Deleted));
        QCOMPARE(tables.queryValue(QStringLiteral("SELECT COUNT(*) FROM marken WHERE Blattlfd=?"), {a}).toInt(), 0);
        domain::markSeen(tables, {b}, QDate(2025, 9, 12), QString());
        store::resetToDelivered(tables);
        QCOMPARE(tables.queryValue(QStringLiteral("SELECT COUNT(*) FROM marken")).toInt(), 0);
    }

    // Data from before the marks: the file is made, empty, on opening.
    void marksFileIsMadeWhenMissing()
    {
        testsupport::TempDataDir dir;
        QVERIFY(QFile::remove(dir.file(QStringLiteral("marken.db"))) || !QFile::exists(dir.file("marken.db")));
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        QVERIFY(QFile::exists(dir.file(QStringLiteral("marken.db"))));
        QVERIFY(domain::weekMarks(tables).isEmpty());
        domain::setWeekMark(tables, QDate(2025, 9, 15), QStringLiteral("Urlaub"));
        tables.closeAll();
        tables.reopenAll();
        QCOMPARE(domain::weekMarks(tables).size(), 1);
    }

    void readiness_data()
    {
        QTest::addColumn<bool>("basicData");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QStringList>("seen"); // "year/number/sheet"
        QTest::addColumn<QStringList>("expected"); // "kind|place", plan targets left out

        QTest::newRow("complete") << true
                                  << QStringList{"1/1/1/01.09.2025/05.09.2025", "1/2/1/08.09.2025/12.09.2025"}
                                  << QStringList{"1/1/1", "1/2/1"} << QStringList{};
        QTest::newRow("gaps, conflicts, no week, not seen")
            << true
            << QStringList{"1/1/1/01.09.2025/05.09.2025", "1/2/1/03.09.2025/05.09.2025", "1/3/1//"}
            << QStringList{"1/1/1", "1/2/1"}
            << QStringList{"Doppelte Woche|KW 36/2025 (01.09.–05.09.2025)",
                           "Fehlende Woche|KW 37/2025 (08.09.–12.09.2025)",
                           "Ohne Datum|Bericht 3 (1. Lehrjahr), Blatt 1",
                           "Nicht gesehen|Bericht 3 (1. Lehrjahr), Blatt 1"};
        QTest::newRow("no basic data")
            << false << QStringList{"1/1/1/01.09.2025/05.09.2025", "1/2/1/08.09.2025/12.09.2025"}
            << QStringList{"1/2/1"}
            << QStringList{"Grunddaten|Grunddaten", "Grunddaten|Grunddaten", "Grunddaten|Grunddaten",
                           "Grunddaten|Grunddaten", "Grunddaten|Ausbildungszeit, 1. Lehrjahr",
                           "Grunddaten|Ausbildungszeit, 2. Lehrjahr", "Grunddaten|Ausbildungszeit, 3. Lehrjahr",
                           "Fehlende Woche|KW 38/2025 (15.09.–19.09.2025)", "Nicht gesehen|Bericht 1 (1. Lehrjahr), Blatt 1"};
    }
    void readiness()
    {
        QFETCH(bool, basicData);
        QFETCH(QStringList, sheets);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, expected);
        testsupport::TempDataDir dir;
        store::Settings settings(dir.path() + QStringLiteral("/Ruririd.ini"));
        if (basicData) {
            const QStringList values = {"Name", "Anna Ruß", "AZvom", "01.09.2025", "AZbis", "12.09.2025",
                                        "vom1", "01.09.2025", "bis1", "31.08.2026", "vom2", "01.09.2026",
                                        "bis2", "31.08.2027", "vom3", "01.09.2027", "bis3", "31.08.2028"};
            for (int i = 0; i < values.size(); i += 2)
                settings.writeString(QStringLiteral("Stift"), values[i], values[i + 1]);
            settings.writeString(QStringLiteral("BKM"), QStringLiteral("Name"), QStringLiteral("Meister Ruß"));
        }
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeSheets(tables, sheets);
        for (const QString &s : seen) {
            const QStringList v = s.split(QLatin1Char('/'));
            domain::markSeen(tables, {keyOf(tables, v[0].toInt(), v[1].toInt(), v[2].toInt())}, QDate(2025, 9, 20),
                             QString());
        }
        QStringList found;
        for (const domain::Defect &d : domain::checkRecord(tables, settings, QDate(2025, 9, 24), 1))
            if (d.kind != domain::Defect::Kind::BelowTarget)
                found << domain::kindText(d.kind) + QLatin1Char('|') + d.place;
        QCOMPARE(found, expected);
    }

    // With no report at all every group of the year's plan is below its
    // target; each report of a group makes it one less short.
    void belowTargetFollowsTheReportOfReports()
    {
        testsupport::TempDataDir dir;
        store::Settings settings(dir.path() + QStringLiteral("/Ruririd.ini"));
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        auto shortfalls = [&] {
            int n = 0;
            for (const domain::Defect &d : domain::checkRecord(tables, settings, QDate(2025, 9, 24), 1))
                n += d.kind == domain::Defect::Kind::BelowTarget;
            return n;
        };
        const int none = shortfalls();
        QVERIFY(none > 10);
        // A group counted as often as its target asks is no longer short.
        tables.query(QStringLiteral("UPDATE thetable SET GroupCnt=50 WHERE GroupCnt IS NOT NULL AND L1 > 0 AND L1 < 99 "
                                    "AND LfdfTag = (SELECT MIN(LfdfTag) FROM thetable WHERE L1 > 0 AND L1 < 99)"));
        QCOMPARE(shortfalls(), none - 1);
    }
};

QTEST_GUILESS_MAIN(TestWeeks)
#include "test_weeks.moc"
