// The cursor of one table: order of the indexes, key lookup, ranges, filters,
// bookmarks, the master-detail link and the rules of editing.

#include "sqliteprobe.h"
#include "store/scopedview.h"
#include "store/storeerror.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace store;

class TestTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::TempDataDir> m_dir;
    std::unique_ptr<TableSet> m_set;

    Table &plan() { return m_set->table1(); }
    Table &reports() { return m_set->berichttable(); }
    Table &details() { return m_set->berichtdetailtable(); }

    void addReport(int year, int number, int sheet = 1)
    {
        reports().append();
        reports().setValue(QStringLiteral("AJahr"), year);
        reports().setValue(QStringLiteral("Nummer"), number);
        reports().setValue(QStringLiteral("Blatt"), sheet);
        reports().post();
    }

    void addDetail(int tag)
    {
        details().append();
        details().setValue(QStringLiteral("LfdfTag"), tag);
        details().post();
    }

    void addPlanLine(int part, const QString &text, int group)
    {
        plan().append();
        plan().setValue(QStringLiteral("Lfdnr"), part);
        plan().setValue(QStringLiteral("Text"), text);
        plan().setValue(QStringLiteral("GroupId"), group);
        plan().post();
    }

    QStringList texts(Table &t, const QString &field)
    {
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.asString(field);
        return out;
    }

    int sqlCount(const QString &where)
    {
        return probe(m_dir->file(QStringLiteral("thetable.DB")),
                     QStringLiteral("SELECT count(*) FROM thetable WHERE %1").arg(where))[0].toInt();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<testsupport::TempDataDir>();
        m_set = std::make_unique<TableSet>(m_dir->dataDir());
        m_set->openAtStart();
    }
    void cleanup()
    {
        m_set.reset();
        m_dir.reset();
    }

    void outlineOrderComesFromTheText()
    {
        // entered against outline order: the tags rise from b) to a)
        addPlanLine(18, QStringLiteral("b) Zweiter Abschnitt"), 2);
        addPlanLine(18, QStringLiteral("ab) Unterpunkt zwei"), 1);
        addPlanLine(18, QStringLiteral("aa) Unterpunkt eins"), 1);
        addPlanLine(18, QStringLiteral("a) Erster Abschnitt"), 0);
        plan().setRange({18}, {18});
        QCOMPARE(texts(plan(), QStringLiteral("Text")),
                 (QStringList{"a) Erster Abschnitt", "aa) Unterpunkt eins", "ab) Unterpunkt zwei", "b) Zweiter Abschnitt"}));
        // the tags were given by the store, rising in the order of entry
        plan().setIndexName(QStringLiteral("_lfdftag"));
        plan().setRange({0}, {99999});
        plan().setFilter(QStringLiteral("Lfdnr=18"));
        plan().setFiltered(true);
        QCOMPARE(texts(plan(), QStringLiteral("Text")),
                 (QStringList{"b) Zweiter Abschnitt", "ab) Unterpunkt zwei", "aa) Unterpunkt eins", "a) Erster Abschnitt"}));
        plan().last();
        QVERIFY_THROWS_EXCEPTION(StoreError, plan().setValue(QStringLiteral("LfdfTag"), 5)); // not in edit state
        plan().edit();
        QVERIFY_THROWS_EXCEPTION(StoreError, plan().setValue(QStringLiteral("LfdfTag"), 5)); // assigned by the store
        plan().cancel();
    }

    void filtersSelectWhatSqlSelects_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("where");
        QTest::newRow("year 1") << "l1>0" << "L1>0";
        QTest::newRow("year 2") << "l2a>0 or l2b>0" << "L2a>0 OR L2b>0";
        QTest::newRow("year 3 of a part") << "Lfdnr = 5 and L3 > 0" << "Lfdnr=5 AND L3>0";
        QTest::newRow("no target") << "L1=99" << "L1=99";
        QTest::newRow("parentheses") << "lfdnr=14 and (isheader=true or nochild = true)" << "Lfdnr=14 AND (Isheader=1 OR NoChild=1)";
        QTest::newRow("not and <>") << "not (lfdnr <> 3)" << "Lfdnr=3";
        QTest::newRow("text") << "Text = 'a) Bedeutung des Ausbildungsvertrages, insbesondere Abschluss, Dauer und Beendigung, erklären'"
                              << "Text='a) Bedeutung des Ausbildungsvertrages, insbesondere Abschluss, Dauer und Beendigung, erklären'";
        QTest::newRow("ranges of tags") << "lfdftag>=100 and lfdftag<=120" << "LfdfTag BETWEEN 100 AND 120";
    }

    void filtersSelectWhatSqlSelects()
    {
        QFETCH(QString, filter);
        QFETCH(QString, where);
        const int all = plan().recordCount();
        plan().setFilter(filter);
        QCOMPARE(plan().recordCount(), all); // not yet filtered
        plan().setFiltered(true);
        QCOMPARE(plan().recordCount(), sqlCount(where));
        QVERIFY(plan().recNo() <= 0); // filtering moves to the first row
        plan().setFiltered(false);
        QCOMPARE(plan().recordCount(), all);
    }

    void badFiltersAreRefused_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("no value") << "l1 >";
        QTest::newRow("unknown field") << "jahr=1";
        QTest::newRow("open quote") << "Text='abc";
        QTest::newRow("dangling and") << "l1>0 and";
        QTest::newRow("open parenthesis") << "(l1>0";
    }

    void badFiltersAreRefused()
    {
        QFETCH(QString, filter);
        try {
            plan().setFilter(filter);
            QFAIL("accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("thetable.DB")), qPrintable(e.message()));
        }
    }

    void rowsWithoutTargetStillShowInYearOne()
    {
        plan().setFilter(QStringLiteral("L1>0"));
        plan().setFiltered(true);
        bool noTarget = false;
        for (plan().first(); !plan().eof(); plan().next())
            noTarget = noTarget || plan().asInt(QStringLiteral("L1")) == 99;
        QVERIFY(noTarget);
    }

    void indexesOrderAndFindRows()
    {
        // the first row of a group in tag order, through the leading part of _lfdugroup
        plan().setIndexName(QStringLiteral("_lfdugroup"));
        const QVariantList first = probe(m_dir->file(QStringLiteral("thetable.DB")),
                                         QStringLiteral("SELECT Lfdnr, GroupId, min(LfdfTag) FROM thetable WHERE Lfdnr=14 "
                                                        "GROUP BY GroupId ORDER BY GroupId LIMIT 1"));
        QVERIFY(plan().findKey({first[0], first[1]}));
        QCOMPARE(plan().asInt(QStringLiteral("LfdfTag")), first[2].toInt());
        QVERIFY(!plan().findKey({14, 9999}));
        QCOMPARE(plan().asInt(QStringLiteral("LfdfTag")), first[2].toInt()); // stays where it was

        // by identity, and a step back reaches the row with the next lower tag
        plan().setIndexName(QStringLiteral("_lfdftag"));
        QVERIFY(plan().findKey({168}));
        QCOMPARE(plan().asInt(QStringLiteral("LfdfTag")), 168);
        QVERIFY(plan().prior());
        const int below = probe(m_dir->file(QStringLiteral("thetable.DB")),
                                QStringLiteral("SELECT max(LfdfTag) FROM thetable WHERE LfdfTag<168"))[0].toInt();
        QCOMPARE(plan().asInt(QStringLiteral("LfdfTag")), below);

        // changing the index keeps the row
        plan().setIndexName(QString());
        QCOMPARE(plan().asInt(QStringLiteral("LfdfTag")), below);
        QCOMPARE(plan().indexName(), QStringLiteral("Table1Index1"));
        plan().setIndexName(QStringLiteral("Table1Index1")); // the same as the default
        QVERIFY_THROWS_EXCEPTION(StoreError, plan().setIndexName(QStringLiteral("nosuchindex")));

        plan().setIndexName(QStringLiteral("_lfdftag"));
        plan().findNearest({100000});
        QVERIFY(plan().recNo() == plan().recordCount() - 1);
    }

    void reportYearsAreRangesOfTheKey()
    {
        addReport(2, 1);
        addReport(1, 2);
        addReport(1, 1, 2);
        addReport(1, 1);
        addReport(3, 1);
        // the default order is year, number, sheet
        QStringList order;
        for (reports().first(); !reports().eof(); reports().next())
            order << QStringLiteral("%1/%2/%3").arg(reports().asInt("AJahr")).arg(reports().asInt("Nummer")).arg(reports().asInt("Blatt"));
        QCOMPARE(order, (QStringList{"1/1/1", "1/1/2", "1/2/1", "2/1/1", "3/1/1"}));

        reports().setRange({1}, {1});
        QCOMPARE(reports().recordCount(), 3);
        QCOMPARE(reports().recNo(), 0);
        reports().last();
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 2);
        reports().cancelRange();
        QCOMPARE(reports().recordCount(), 5);
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 2); // still the same row

        reports().setFilter(QStringLiteral("ajahr=1 and nummer=1"));
        reports().setFiltered(true);
        QCOMPARE(reports().recordCount(), 2);
        reports().setFiltered(false);

        // a row whose key changes moves to its place in the order
        reports().setRange({2}, {2});
        reports().edit();
        reports().setValue(QStringLiteral("AJahr"), 3);
        reports().setValue(QStringLiteral("Nummer"), 2);
        reports().post();
        reports().cancelRange();
        reports().last();
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 2);
        QCOMPARE(reports().asInt(QStringLiteral("AJahr")), 3);
    }

    void aScopedViewPutsTheViewBack_data()
    {
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("after"); // the rows shown, the current one marked
        QTest::newRow("left normally") << 0 << "2/2* 2/3";
        QTest::newRow("left by an error") << 1 << "2/2* 2/3";
        QTest::newRow("its row deleted") << 2 << "2/3*";
    }
    void aScopedViewPutsTheViewBack()
    {
        QFETCH(int, ending);
        QFETCH(QString, after);
        for (int year = 1; year <= 3; ++year)
            for (int number = 1; number <= 3; ++number)
                addReport(year, number);
        // Year 2 without its report 1, on report 2.
        reports().setRange({2}, {2});
        reports().setFilter(QStringLiteral("Nummer > 1"));
        reports().setFiltered(true);
        QVERIFY(reports().findKey({2, 2}));
        try {
            const ScopedView keep(reports());
            reports().setFiltered(false);
            reports().cancelRange();
            if (ending == 2)
                reports().remove();
            reports().last();
            reports().edit();
            reports().setValue(QStringLiteral("Thema"), QStringLiteral("x"));
            if (ending == 1)
                throw StoreError(QStringLiteral("Fehler"));
        } catch (const StoreError &) {
        }
        QStringList shown;
        for (int r = 0; r < reports().recordCount(); ++r)
            shown << QStringLiteral("2/%1%2").arg(reports().valueAt(r, QStringLiteral("Nummer")).toInt())
                         .arg(r == reports().recNo() ? QStringLiteral("*") : QString());
        QCOMPARE(shown.join(QLatin1Char(' ')), after);
        QCOMPARE(reports().filter(), QStringLiteral("Nummer > 1"));
        // A pending edit is stored as any move stores it, unless an error
        // left the scope.
        QCOMPARE(probe(m_dir->file(QStringLiteral("bericht.db")),
                       QStringLiteral("SELECT count(*) FROM bericht WHERE Thema = 'x'"))[0].toInt(),
                 ending == 1 ? 0 : 1);
    }

    void bookmarksReturnToTheirRow()
    {
        addReport(1, 1);
        addReport(1, 2);
        addReport(1, 3);
        reports().first();
        reports().next();
        const Table::Bookmark bm = reports().bookmark();
        reports().last();
        QVERIFY(reports().gotoBookmark(bm));
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 2);
        reports().remove();
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 3); // the cursor moved on
        QVERIFY(!reports().bookmarkValid(bm));
        QVERIFY(!reports().gotoBookmark(bm));
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 3);
    }

    void detailRowsFollowTheReportCursor()
    {
        addReport(1, 1);
        addDetail(95);
        addDetail(96);
        addReport(1, 2);
        addDetail(124);
        addReport(1, 3); // no detail rows
        QSignalSpy scrolled(&details(), &Table::afterScroll);

        QVERIFY(reports().findKey({1, 1}));
        QCOMPARE(texts(details(), QStringLiteral("LfdfTag")), (QStringList{"95", "96"}));
        QVERIFY(scrolled.count() > 0);
        reports().next();
        QCOMPARE(details().recordCount(), 1);
        QCOMPARE(details().asInt(QStringLiteral("LfdfTag")), 124);
        reports().next();
        QVERIFY(details().isEmpty());
        QVERIFY(details().eof());
        QCOMPARE(details().asInt(QStringLiteral("LfdfTag")), 0);

        // a new detail row belongs to the report under the cursor
        addDetail(130);
        QCOMPARE(details().asInt(QStringLiteral("Masterlfd")), reports().asInt(QStringLiteral("BerLfd")));

        // a new report shows no rows while it is being entered
        reports().append();
        QVERIFY(details().isEmpty());
        reports().cancel();
        QCOMPARE(details().recordCount(), 1);

        // moving the report cursor stores a pending detail edit first
        details().edit();
        details().setValue(QStringLiteral("Alltext"), QStringLiteral("zu 5 aa) Kehren"));
        reports().first();
        QCOMPARE(probe(m_dir->file(QStringLiteral("berdet.DB")), QStringLiteral("SELECT Alltext FROM berdet WHERE LfdfTag=130"))[0].toString(),
                 QStringLiteral("zu 5 aa) Kehren"));
    }

    // The detail rows each report shows are the rows the file holds for it,
    // after every kind of change to the detail rows.
    void detailRowsStayRightAfterChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("appended") << "append";
        QTest::newRow("moved to another report") << "move";
        QTest::newRow("first row deleted") << "deleteFirst";
        QTest::newRow("last stored row deleted") << "deleteLast";
        QTest::newRow("changed by SQL") << "sql";
    }
    void detailRowsStayRightAfterChanges()
    {
        QFETCH(QString, change);
        for (int n = 1; n <= 3; ++n) {
            addReport(1, n);
            for (int k = 0; k < 3; ++k)
                addDetail(10 * n + k);
        }
        QVERIFY(reports().findKey({1, 2}));
        if (change == QLatin1String("append")) {
            addDetail(99);
        } else if (change == QLatin1String("move")) {
            reports().first();
            const int first = reports().asInt(QStringLiteral("BerLfd"));
            reports().next();
            details().first();
            details().edit();
            details().setValue(QStringLiteral("Masterlfd"), first);
            details().post();
        } else if (change == QLatin1String("deleteFirst")) {
            details().first();
            details().remove();
        } else if (change == QLatin1String("deleteLast")) {
            reports().last();
            details().last();
            details().remove(); // the last row of the file: no row takes its place
            reports().first();
            details().first();
            details().remove(); // the last row of the file takes this one's place
        } else {
            m_set->exec(QStringLiteral("UPDATE berdet SET Masterlfd = Masterlfd + 1 WHERE LfdfTag = 21"));
        }
        for (reports().first(); !reports().eof(); reports().next()) {
            const int master = reports().asInt(QStringLiteral("BerLfd"));
            QStringList stored;
            for (const QVariant &v : probe(m_dir->file(QStringLiteral("berdet.DB")),
                                              QStringLiteral("SELECT LfdfTag FROM berdet WHERE Masterlfd = %1 "
                                                             "ORDER BY rowid")
                                                  .arg(master)))
                stored << v.toString();
            QCOMPARE(texts(details(), QStringLiteral("LfdfTag")), stored);
        }
    }

    // Pictures and the fields stored after them are read from the file when
    // asked for: each row gives its own values after every kind of change.
    void largeFieldsAreTheRowsOwn_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("moved") << "move";
        QTest::newRow("other field posted") << "post";
        QTest::newRow("picture replaced") << "replace";
        QTest::newRow("picture cleared") << "clear";
        QTest::newRow("last row deleted, new row appended") << "reuse";
        QTest::newRow("changed by SQL") << "sql";
    }
    void largeFieldsAreTheRowsOwn()
    {
        QFETCH(QString, change);
        QMap<int, QByteArray> pictures; // by report number
        QMap<int, int> zooms;
        for (int n = 1; n <= 3; ++n) {
            addReport(1, n);
            reports().edit();
            pictures[n] = QByteArray(100000 + n, char('a' + n));
            zooms[n] = 10 * n;
            reports().setValue(QStringLiteral("Bild1"), pictures[n]);
            reports().setValue(QStringLiteral("Zoom1"), zooms[n]);
            reports().post();
        }
        QVERIFY(reports().findKey({1, 2}));
        QCOMPARE(reports().asBytes(QStringLiteral("Bild1")), pictures[2]);
        if (change == QLatin1String("move")) {
            reports().first();
        } else if (change == QLatin1String("post")) {
            reports().edit();
            reports().setValue(QStringLiteral("Thema"), QStringLiteral("Kehren"));
            reports().post();
        } else if (change == QLatin1String("replace")) {
            reports().edit();
            pictures[2] = QByteArray(500, 'z');
            reports().setValue(QStringLiteral("Bild1"), pictures[2]);
            QCOMPARE(reports().asBytes(QStringLiteral("Bild1")), pictures[2]); // the edit buffer's
            reports().post();
        } else if (change == QLatin1String("clear")) {
            reports().edit();
            reports().clearValue(QStringLiteral("Bild1"));
            reports().post();
            pictures[2].clear();
        } else if (change == QLatin1String("reuse")) {
            reports().last();
            QCOMPARE(reports().asBytes(QStringLiteral("Bild1")), pictures[3]);
            reports().remove(); // the new row may take the deleted row's identity
            pictures.remove(3);
            addReport(1, 4);
            pictures[4] = QByteArray();
            zooms[4] = 0;
        } else {
            m_set->exec(QStringLiteral("UPDATE bericht SET Bild1 = zeroblob(7), Zoom1 = 5 WHERE Nummer = 2"));
            pictures[2] = QByteArray(7, '\0');
            zooms[2] = 5;
        }
        QCOMPARE(reports().asBytes(QStringLiteral("Bild1")), pictures.value(reports().asInt(QStringLiteral("Nummer"))));
        for (reports().first(); !reports().eof(); reports().next()) {
            const int n = reports().asInt(QStringLiteral("Nummer"));
            QCOMPARE(reports().asBytes(QStringLiteral("Bild1")), pictures.value(n));
            QCOMPARE(reports().isNull(QStringLiteral("Bild1")), pictures.value(n).isEmpty());
            QCOMPARE(reports().asInt(QStringLiteral("Zoom1")), zooms.value(n));
            QCOMPARE(reports().valueAt(reports().recNo(), QStringLiteral("Bild1")).toByteArray(), pictures.value(n));
        }
    }

    void requiredFieldsAndKeysAreChecked()
    {
        addReport(1, 1);
        reports().append();
        reports().setValue(QStringLiteral("AJahr"), 1);
        try {
            reports().post();
            QFAIL("posted without a number");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Nummer")) && e.message().contains(QStringLiteral("bericht.db")),
                     qPrintable(e.message()));
        }
        QCOMPARE(reports().state(), TableState::Insert); // the row stays in edit state
        reports().setValue(QStringLiteral("Nummer"), 1);
        reports().setValue(QStringLiteral("Blatt"), 1);
        try {
            reports().post();
            QFAIL("posted a duplicate key");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Schlüssel")), qPrintable(e.message()));
        }
        QCOMPARE(reports().state(), TableState::Insert);
        reports().setValue(QStringLiteral("Blatt"), 2);
        reports().post();
        QCOMPARE(reports().recordCount(), 2);

        m_set->uebersichttable().append();
        QVERIFY_THROWS_EXCEPTION(StoreError, m_set->uebersichttable().post()); // "Lj" is required
        m_set->uebersichttable().cancel();
        QVERIFY(m_set->uebersichttable().isEmpty());
    }

    void valuesTakeTheFieldsType()
    {
        reports().append();
        reports().setValue(QStringLiteral("Nummer"), QStringLiteral(" 12 "));
        reports().setValue(QStringLiteral("TDAB1"), QStringLiteral("145")); // two characters at most
        reports().setValue(QStringLiteral("WocheVom"), QStringLiteral("07.12.2026"));
        reports().setValue(QStringLiteral("Thema"), QStringLiteral("Überprüfen der Abgasanlage – Ölfeuerung"));
        QVERIFY_THROWS_EXCEPTION(StoreError, reports().setValue(QStringLiteral("Blatt"), 40000)); // smallint
        QVERIFY_THROWS_EXCEPTION(StoreError, reports().setValue(QStringLiteral("Nummer"), QStringLiteral("zwölf")));
        QVERIFY_THROWS_EXCEPTION(StoreError, reports().setValue(QStringLiteral("Datum"), QStringLiteral("31.02.2026")));
        reports().post();
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 12);
        QCOMPARE(reports().asString(QStringLiteral("TDAB1")), QStringLiteral("14"));
        QCOMPARE(reports().asDate(QStringLiteral("WocheVom")), QDate(2026, 12, 7));
        QCOMPARE(reports().asString(QStringLiteral("WocheVom")), QStringLiteral("07.12.2026"));
        // empty fields read as the empty value of their type
        QVERIFY(reports().isNull(QStringLiteral("Zoom1")));
        QCOMPARE(reports().asInt(QStringLiteral("Zoom1")), 0);
        QCOMPARE(reports().asString(QStringLiteral("Tdab10")), QString());
        QCOMPARE(details().asBool(QStringLiteral("BA")), false);
        const QVariantList disk = probe(m_dir->file(QStringLiteral("bericht.db")),
                                        QStringLiteral("SELECT Thema, WocheVom, Nummer FROM bericht"));
        QCOMPARE(disk, (QVariantList{QStringLiteral("Überprüfen der Abgasanlage – Ölfeuerung"), QStringLiteral("2026-12-07"), 12LL}));
    }

    void cancelAndNavigationAtTheEdges()
    {
        QVERIFY(reports().isEmpty());
        QVERIFY(reports().bof() && reports().eof());
        QVERIFY(!reports().next());
        QVERIFY_THROWS_EXCEPTION(StoreError, reports().remove());
        addReport(1, 1);
        addReport(1, 2);
        reports().first();
        QVERIFY(reports().bof());
        QVERIFY(!reports().prior());
        reports().append();
        reports().setValue(QStringLiteral("Nummer"), 3);
        reports().cancel();
        QCOMPARE(reports().recordCount(), 2);
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 1); // back where it was
        reports().edit();
        reports().setValue(QStringLiteral("Nummer"), 9);
        reports().cancel();
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 1);
        // edit on an empty table starts a new row
        Table &ov = m_set->uebersichttable();
        ov.edit();
        QCOMPARE(ov.state(), TableState::Insert);
        ov.setValue(QStringLiteral("Lj"), 2);
        ov.next(); // moving stores the row
        QCOMPARE(ov.state(), TableState::Browse);
        QCOMPARE(ov.recordCount(), 1);
        QVERIFY(ov.asInt(QStringLiteral("Auto")) > 0);
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "test_table.moc"
