// The report "Wie letzte Woche" starts from: the newest by its week's end,
// reports without a week older than any with one, ties by year and number.

#include "domain/creation.h"

#include <QTest>

class TestNewestReport : public QObject
{
    Q_OBJECT

    // "1/5 2026-03-13": training year 1, number 5, week ending 13 March
    // 2026; without a date the report has no week.
    static domain::ReportWeeks report(const QString &text)
    {
        const QStringList parts = text.split(QLatin1Char(' '));
        const QStringList key = parts[0].split(QLatin1Char('/'));
        domain::ReportWeeks r;
        r.year = key[0].toInt();
        r.number = key[1].toInt();
        if (parts.size() > 1) {
            r.to = QDate::fromString(parts[1], Qt::ISODate);
            r.from = r.to.addDays(-4);
        }
        return r;
    }

private slots:
    void newestByWeekThenKey_data()
    {
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<QString>("newest"); // year/number, "" for none
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("latest week, not the highest number")
            << QStringList{"1/9 2026-02-06", "1/3 2026-03-13", "1/7 2026-02-27"} << "1/3";
        QTest::newRow("a later year's earlier week")
            << QStringList{"1/52 2026-07-31", "2/1 2026-07-24"} << "1/52";
        QTest::newRow("no week counts as older") << QStringList{"3/40", "1/2 2025-09-12"} << "1/2";
        QTest::newRow("no weeks at all: year, then number") << QStringList{"1/40", "2/3", "2/1"} << "2/3";
        QTest::newRow("same week: year and number") << QStringList{"1/4 2026-03-13", "1/6 2026-03-13"} << "1/6";
    }
    void newestByWeekThenKey()
    {
        QFETCH(QStringList, reports);
        QFETCH(QString, newest);
        QVector<domain::ReportWeeks> all;
        for (const QString &r : reports)
            all << report(r);
        const domain::ReportWeeks *found = domain::newestReport(all);
        QCOMPARE(found ? QStringLiteral("%1/%2").arg(found->year).arg(found->number) : QString(), newest);
    }
};

QTEST_GUILESS_MAIN(TestNewestReport)
#include "test_newestreport.moc"
