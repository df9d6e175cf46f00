// The week ledger "Wochen" in the running program: a report made for a
// week without one (exactly that week, in its training year; cancel leaves
// nothing), a covered week opening its report, the reminder at start, and
// "Wie letzte Woche" on the composition tab.

#include "overviewfixture.h"

#include "app/reminderbar.h"
#include "domain/creation.h"
#include "domain/marks.h"
#include "overviews/weekledger.h"
#include "richtext/rtf.h"

#include <QAction>
#include <QApplication>
#include <QTableWidget>

using platform::Answer;
using testsupport::OverviewFixture;

namespace {

// The clock of the fixture stands on Tuesday 10 March 2026 (KW 11).
const QDate trainingStart(2026, 2, 2); // Monday of KW 6

QDate day(const char *iso)
{
    return QDate::fromString(QLatin1String(iso), Qt::ISODate);
}

} // namespace

class TestWeekLedger : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;

    // The training period in the basic data, before the program starts.
    static void setPeriod(const QDate &first, const QDate &last = {}, bool remind = true)
    {
        store::Settings ini;
        ini.writeString(QStringLiteral("Stift"), QStringLiteral("AZvom"), first.toString(QStringLiteral("dd.MM.yyyy")));
        ini.writeString(QStringLiteral("Stift"), QStringLiteral("AZbis"), last.toString(QStringLiteral("dd.MM.yyyy")));
        if (!remind)
            ini.writeInteger(QStringLiteral("Werte"), QStringLiteral("Erinnerung"), 0);
    }

    // The ledger's row of the week that starts on `monday`; -1 when it has none.
    static int rowOf(const Twochenform &w, const QDate &monday)
    {
        for (int r = 0; r < w.ledger().size(); ++r)
            if (w.ledger()[r].monday == monday)
                return r;
        return -1;
    }
    static QString cell(const Twochenform &w, const QDate &monday, int column)
    {
        const int row = rowOf(w, monday);
        return row < 0 ? QStringLiteral("<no row>") : w.wochengrid()->item(row, column)->text();
    }

    // The user on the week's row: a click and Enter, or a double click.
    static void activate(Twochenform &w, const QDate &monday, bool byKey)
    {
        QTableWidget *grid = w.wochengrid();
        const int row = rowOf(w, monday);
        QVERIFY(row >= 0);
        grid->scrollToItem(grid->item(row, 0));
        const QPoint at = grid->visualItemRect(grid->item(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        if (byKey) {
            QCOMPARE(QApplication::focusWidget(), grid);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else {
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        }
    }

    // Opens "Wochen" from the menu; `inside` drives the window, which is
    // then closed with "Schließen".
    void openLedger(const std::function<void(Twochenform &)> &inside)
    {
        f->dialogs().onNext(QStringLiteral("wochenform"), [inside](QDialog *d) {
            auto &w = *static_cast<Twochenform *>(d);
            w.activateWindow();
            QApplication::setActiveWindow(&w);
            QVERIFY(QTest::qWaitForWindowActive(&w));
            inside(w);
            w.schliessenbtn()->click();
        });
        f->form()->findChild<QAction *>(QStringLiteral("Wochen1"))->trigger();
        QCOMPARE(f->dialogs().pendingNames(), QStringList());
    }

    QString reportRow(const char *where) const
    {
        return f->sql(QStringLiteral("SELECT AJahr||'|'||Nummer||'|'||WocheVom||'|'||WocheBis||'|'||Datum FROM bericht "
                                     "WHERE %1").arg(QLatin1String(where))).toString();
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup() { f.reset(); }

    // A double click or Enter on a week without a report makes its report
    // for exactly that week and in its training year; cancel leaves nothing.
    void createsTheReportOfAWeek_data()
    {
        QTest::addColumn<QDate>("monday");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("stored"); // AJahr|Nummer|WocheVom|WocheBis|Datum
        QTest::newRow("missing week, double click") << day("2026-02-16") << false << true << false
                                                    << "1|1|2026-02-16|2026-02-20|2026-02-20";
        QTest::newRow("missing week, Enter") << day("2026-02-23") << true << true << false
                                             << "1|1|2026-02-23|2026-02-27|2026-02-27";
        QTest::newRow("marked week") << day("2026-03-02") << true << true << true
                                     << "1|1|2026-03-02|2026-03-06|2026-03-06";
        QTest::newRow("week of the second year") << day("2027-02-08") << false << true << false
                                                 << "2|1|2027-02-08|2027-02-12|2027-02-12";
        QTest::newRow("week across the new year") << day("2026-12-28") << true << true << false
                                                  << "1|1|2026-12-28|2027-01-01|2027-01-01";
        QTest::newRow("cancelled") << day("2026-02-16") << true << false << false << "<no row>";
    }
    void createsTheReportOfAWeek()
    {
        QFETCH(QDate, monday);
        QFETCH(bool, byKey);
        QFETCH(bool, confirm);
        QFETCH(bool, marked);
        QFETCH(QString, stored);
        setPeriod(trainingStart, QDate(2029, 1, 31));
        f->start(1);
        if (marked)
            domain::setWeekMark(f->tables(), monday, domain::absenceReasons().first());
        const QStringList filesBefore = f->files();
        QString before, after;
        bool editorAsked = true;
        openLedger([&](Twochenform &w) {
            before = cell(w, monday, Twochenform::Report);
            f->dialogs().onNext(QStringLiteral("berichtdlg"), [&, confirm](QDialog *d) {
                auto &dlg = *static_cast<Tberichtdlg *>(d);
                editorAsked = f->dialogs().shownNames().contains(QStringLiteral("kaldlg"));
                if (!confirm)
                    f->messages().answer(Answer::Yes); // discard the new report
                dlg.findChild<QPushButton *>(confirm ? QStringLiteral("okbtn") : QStringLiteral("cancelbtn"))->click();
            });
            activate(w, monday, byKey);
            after = cell(w, monday, Twochenform::Report);
        });
        QVERIFY2(!editorAsked, "the week was asked for again");
        const QString expected = marked                      ? domain::absenceReasons().first()
                                 : monday < day("2026-03-09") ? QStringLiteral("fehlt")
                                                              : QString();
        QCOMPARE(before, expected);
        QCOMPARE(reportRow("1"), stored);
        if (confirm) {
            QCOMPARE(after, QStringLiteral("Bericht 1"));
        } else {
            QCOMPARE(after, before);
            QCOMPARE(f->files(), filesBefore);
            QVERIFY(!f->tables().berichttable().isEditing());
        }
    }

    // A double click on a week with a report opens that report (the first
    // of two that claim the week) in the editor's mode for stored reports.
    void opensTheReportOfACoveredWeek_data()
    {
        QTest::addColumn<QList<int>>("numbers"); // reports of year 1 for the week, by number
        QTest::addColumn<int>("sheets");         // of the first report
        QTest::addColumn<QString>("shown");      // Bericht column
        QTest::addColumn<int>("opened");         // Nummer the editor shows
        QTest::newRow("one report") << QList<int>{2} << 1 << "Bericht 2" << 2;
        QTest::newRow("two sheets") << QList<int>{2} << 2 << "Bericht 2 (2 Blätter)" << 2;
        QTest::newRow("conflict") << QList<int>{2, 3} << 1 << "Konflikt: Bericht 2 und 3" << 2;
    }
    void opensTheReportOfACoveredWeek()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(int, sheets);
        QFETCH(QString, shown);
        QFETCH(int, opened);
        setPeriod(trainingStart);
        f->start(1);
        const QDate week = day("2026-02-16");
        f->addSheet(1, 1, 1, day("2026-02-09"));
        for (int n : numbers)
            for (int s = 1; s <= (n == numbers.first() ? sheets : 1); ++s)
                f->addSheet(1, n, s, week);
        f->reports().refresh();
        QString text;
        int nummer = 0;
        bool stored = false;
        openLedger([&](Twochenform &w) {
            text = cell(w, week, Twochenform::Report);
            f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
                auto &dlg = *static_cast<Tberichtdlg *>(d);
                nummer = f->reports().asInt(QStringLiteral("Nummer"));
                stored = dlg.DBNavigator()->isVisible();
                dlg.findChild<QPushButton *>(QStringLiteral("cancelbtn"))->click();
            });
            activate(w, week, false);
        });
        QCOMPARE(text, shown);
        QCOMPARE(nummer, opened);
        QVERIFY(stored);
    }

    // At start the main window names the weeks without a report in a bar,
    // unless the setting is off or nothing is missing.
    void remindsOfMissingWeeks_data()
    {
        QTest::addColumn<QDate>("first");       // training start; null: none
        QTest::addColumn<QList<QDate>>("weeks"); // reports for these weeks
        QTest::addColumn<bool>("remind");       // the setting
        QTest::addColumn<QStringList>("said");  // what the bar says; empty: no bar
        QTest::newRow("three weeks missing")
            << day("2026-02-09") << QList<QDate>{day("2026-02-16")} << true
            << QStringList{QStringLiteral("3 Wochen"), QStringLiteral("KW 7, 9 und 10")};
        QTest::newRow("one week missing") << day("2026-02-23") << QList<QDate>{day("2026-02-23")} << true
                                          << QStringList{QStringLiteral("KW 10")};
        QTest::newRow("none missing") << day("2026-02-23") << QList<QDate>{day("2026-02-23"), day("2026-03-02")}
                                      << true << QStringList();
        QTest::newRow("setting off") << day("2026-02-09") << QList<QDate>() << false << QStringList();
        QTest::newRow("no period, no reports") << QDate() << QList<QDate>() << true << QStringList();
    }
    void remindsOfMissingWeeks()
    {
        QFETCH(QDate, first);
        QFETCH(QList<QDate>, weeks);
        QFETCH(bool, remind);
        QFETCH(QStringList, said);
        setPeriod(first, {}, remind);
        f->start(1);
        int n = 0;
        for (const QDate &w : weeks)
            f->addSheet(1, ++n, 1, w);
        f->reports().refresh();
        // Started again over the same data, the bar looks at the reports.
        f->stop();
        f->messages().clear();
        f->start(1);
        auto *bar = f->form()->findChild<ReminderBar *>(QStringLiteral("erinnerungsleiste"));
        QVERIFY(bar);
        QCOMPARE(bar->isVisible(), !said.isEmpty());
        for (const QString &part : said)
            QVERIFY2(bar->text()->text().contains(part), qPrintable(bar->text()->text()));
        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->messages().beeps(), 0);
        auto *setting = f->form()->findChild<QAction *>(QStringLiteral("Erinnerung1"));
        QCOMPARE(setting->isChecked(), remind);
        if (bar->isVisible()) {
            // Its button opens the ledger.
            f->dialogs().onNext(QStringLiteral("wochenform"), [](QDialog *d) { d->reject(); });
            bar->erinnerungbtn()->click();
            QCOMPARE(f->dialogs().shownNames(), QStringList{QStringLiteral("wochenform")});
        }
        // The menu item turns it off (or on) at once.
        setting->trigger();
        QCOMPARE(store::Settings().readInteger(QStringLiteral("Werte"), QStringLiteral("Erinnerung"), 1),
                 remind ? 0 : 1);
        QVERIFY(!(bar->isVisible() && remind));
    }

    // "Wie letzte Woche": the items of the newest report (every sheet), its
    // activities when wanted, for the next week without a report.
    void copiesLastWeek_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("confirm");         // the report dialog's OK
        QTest::addColumn<int>("secondSheetItem");  // the item of the newest report's second sheet
        QTest::addColumn<QString>("activities");   // the new report's, as plain text
        QTest::addColumn<QList<int>>("items");     // the new report's; empty: none made
        QTest::addColumn<int>("notices");          // items left out are named
        const QString lines = QStringLiteral("zu 5 ba) \nzu 5 bb) \nzu 5 bc) ");
        QTest::newRow("items only") << Answer::No << true << 31 << lines << QList<int>{29, 30, 31} << 0;
        QTest::newRow("items and activities")
            << Answer::Yes << true << 31 << QStringLiteral("Kehrbezirk Nord\nMessung Süd") << QList<int>{29, 30, 31} << 0;
        QTest::newRow("item of another year") << Answer::No << true << 36 << QStringLiteral("zu 5 ba) \nzu 5 bb) ")
                                              << QList<int>{29, 30} << 1;
        QTest::newRow("question cancelled") << Answer::Cancel << true << 31 << QString() << QList<int>() << 0;
        QTest::newRow("report dialog cancelled")
            << Answer::Yes << false << 31 << QStringLiteral("Kehrbezirk Nord\nMessung Süd") << QList<int>() << 0;
    }
    void copiesLastWeek()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, confirm);
        QFETCH(int, secondSheetItem);
        QFETCH(QString, activities);
        QFETCH(QList<int>, items);
        QFETCH(int, notices);
        setPeriod(trainingStart);
        f->start(1);
        // The older report of KW 6 and the newest of KW 7 with two sheets.
        f->addSheet(1, 1, 1, day("2026-02-02"), {33});
        f->addSheet(1, 2, 1, day("2026-02-09"), {29, 30});
        f->addSheet(1, 2, 2, day("2026-02-09"), {secondSheetItem});
        f->tables().exec(QStringLiteral("UPDATE bericht SET Taetigkeit = CASE Blatt WHEN 1 THEN 'Kehrbezirk Nord' "
                                        "ELSE 'Messung Süd' END WHERE Nummer = 2"));
        f->reports().refresh();
        const QStringList before = f->files();

        f->messages().answer(answer);
        QString shownActivities;
        int listed = 0;
        if (answer != Answer::Cancel) {
            f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
                auto &dlg = *static_cast<Tberichtdlg *>(d);
                shownActivities = richtext::toPlainText(f->reports().asString(QStringLiteral("Taetigkeit")));
                listed = f->tab().zusammenstellung()->count();
                if (!confirm)
                    f->messages().answer(Answer::Yes); // discard the new report
                dlg.findChild<QPushButton *>(confirm ? QStringLiteral("okbtn") : QStringLiteral("cancelbtn"))->click();
            });
        }
        f->tab().wieletztebtn()->click();
        QCOMPARE(f->messages().questions().value(0),
                 QStringLiteral("Sollen auch die Tätigkeiten der letzten Woche als Entwurf übernommen werden?"));
        QCOMPARE(f->messages().notices().size(), notices);
        QCOMPARE(f->dialogs().pendingNames(), QStringList());
        QVERIFY(!f->dialogs().shownNames().contains(QStringLiteral("kaldlg")));
        QCOMPARE(shownActivities.trimmed(), activities.trimmed());
        if (answer != Answer::Cancel)
            QCOMPARE(listed, int(confirm ? items.size() : 3));
        // The composition is used up, whatever happened to the report.
        QCOMPARE(f->listEntries(), QStringList());
        QCOMPARE(f->compositionRows(), 0);
        if (items.isEmpty()) {
            QCOMPARE(f->files(), before);
            return;
        }
        // The next week after the newest report's, with the same items.
        QCOMPARE(reportRow("Nummer = 3"), QStringLiteral("1|3|2026-02-16|2026-02-20|2026-02-20"));
        const qint64 made = f->sql(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer = 3")).toLongLong();
        QCOMPARE(domain::itemsOfSheets(f->tables(), {made}), items);
    }
};

QTEST_MAIN(TestWeekLedger)
#include "test_weekledger.moc"
