// "Bericht neu erzeugen": the new report row, its number per training year,
// the covered parts, the activity lines, the detail rows and counts stored
// on OK, nothing stored on cancel, and the composition emptied either way.

#include "editorfixture.h"

#include "richtext/rtf.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using platform::Answer;
using testsupport::EditorFixture;

class TestReportCreation : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

    QStringList coveredParts(const QString &where)
    {
        QStringList out;
        const auto rows = f->tables().exec(QStringLiteral("SELECT TDAB1, TDAB2, TDAB3, TDAB4, TDAB5, Tdab6, Tdab7, "
                                                          "Tdab8, Tdab9, Tdab10 FROM bericht WHERE ")
                                           + where);
        if (rows.isEmpty())
            return {QStringLiteral("<no row>")};
        for (const QVariant &v : rows.first())
            out << v.toString();
        return out;
    }
    int planCount(int tag, const char *field)
    {
        return f->sql(QStringLiteral("SELECT %1 FROM thetable WHERE LfdfTag = %2").arg(QLatin1String(field)).arg(tag))
            .toInt();
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void numbersCountPerTrainingYear()
    {
        f->start(1);
        // A report of year 2 with a high number must not move year 1 on.
        f->tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (2, 7, 1)"));
        f->tables().berichttable().refresh();
        f->createAndConfirm({29});
        f->createAndConfirm({30});
        QCOMPARE(f->dump("bericht").size(), 3);
        QCOMPARE(f->sql(QStringLiteral("SELECT group_concat(Nummer) FROM bericht "
                                       "WHERE AJahr = 1 ORDER BY Nummer"))
                     .toString(),
                 QStringLiteral("1,2"));
        // A new report is its first sheet.
        QCOMPARE(f->sql(QStringLiteral("SELECT group_concat(Blatt) FROM bericht WHERE AJahr = 1")).toString(),
                 QStringLiteral("1,1"));
        f->form()->N1Lehrjahr1Click(2);
        f->createAndConfirm({36});
        QCOMPARE(f->sql(QStringLiteral("SELECT max(Nummer) FROM bericht WHERE AJahr = 2")).toInt(), 8);
        f->form()->N1Lehrjahr1Click(3);
        f->createAndConfirm({40});
        QCOMPARE(f->sql(QStringLiteral("SELECT Nummer FROM bericht WHERE AJahr = 3")).toInt(), 1);
    }

    void rowFieldsAndActivityLines()
    {
        f->start(1);
        // Chosen in the order 14, 5, 6: the parts are stored ascending.
        QString shownActivities;
        f->create({168, 27, 45}, [&](Tberichtdlg &d) {
            shownActivities = d.taetigkeitedit()->toPlainText();
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        QCOMPARE(coveredParts(QStringLiteral("Nummer = 1")), (QStringList{"5", "6", "14", "", "", "", "", "", "", ""}));
        // One line per item in the order chosen: the part and the text up to
        // its first ")", each with one trailing blank.
        QCOMPARE(shownActivities, QStringLiteral("zu 14 a) \nzu 5 a) \nzu 6 a) \n"));
        QCOMPARE(f->sql(QStringLiteral("SELECT AJahr FROM bericht")).toInt(), 1);
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheVom FROM bericht")).toString(), QStringLiteral("2026-03-09"));
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheBis FROM bericht")).toString(), QStringLiteral("2026-03-13"));
        QCOMPARE(f->sql(QStringLiteral("SELECT Datum FROM bericht")).toString(), QStringLiteral("2026-03-13"));
        // The activity text is stored as rich text once the dialog wrote it.
        const QString stored = f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString();
        QTextDocument doc;
        richtext::load(doc, stored);
        QVERIFY(doc.toPlainText().startsWith(QStringLiteral("zu 14 a) \nzu 5 a) \nzu 6 a) ")));
    }

    void elevenPartsKeepTheTenSmallest()
    {
        f->start(0); // all years: every item can be chosen
        f->createAndConfirm({1, 5, 9, 15, 27, 45, 73, 99, 123, 131, 144});
        QCOMPARE(coveredParts(QStringLiteral("Nummer = 1")),
                 (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "11"}));
    }

    void detailRowsAndCounts()
    {
        f->start(1);
        const int group = planCount(29, "GroupCnt");
        f->create({29, 30, 31}, [&](Tberichtdlg &d) {
            // Tick "Betriebliche Ausbildung" of the second item.
            QWidget *second = d.detailgrid()->panel(1);
            QVERIFY(second);
            second->findChild<QCheckBox *>(QStringLiteral("DBCheckBox1"))->click();
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        // The group counts once per report, every item once.
        QCOMPARE(planCount(29, "GroupCnt"), group + 1);
        for (int tag : {29, 30, 31})
            QCOMPARE(planCount(tag, "ThemaCnt"), 1);
        const auto rows = f->tables().exec(QStringLiteral("SELECT d.Lfdnr, d.GroupId, d.LfdfTag, d.BA, d.Hintid, "
                                                          "d.Alltext, d.Masterlfd = b.BerLfd "
                                                          "FROM berdet d, bericht b ORDER BY d.rowid"));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].value(2).toInt(), 29);
        QCOMPARE(rows[1].value(2).toInt(), 30);
        QCOMPARE(rows[2].value(2).toInt(), 31);
        QCOMPARE(rows[0].value(0).toInt(), 5);
        QCOMPARE(rows[0].value(1).toInt(), 3);
        QCOMPARE(rows[2].value(4).toInt(), 3);
        QCOMPARE(rows[1].value(3).toInt(), 1);
        QVERIFY(rows[0].value(3).isNull() || rows[0].value(3).toInt() == 0);
        QVERIFY(rows[0].value(5).toString().contains(QStringLiteral("ba) kehr- und")));
        for (const auto &row : rows)
            QCOMPARE(row.value(6).toInt(), 1);
        // The pages show the new counts and the composition is empty.
        QCOMPARE(f->label("grpcnt", 29)->text(), QString::number(group + 1));
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
        QCOMPARE(f->tables().table1().indexName(), QStringLiteral("Table1Index1"));
    }

    void sharedGroupOfPart14_data()
    {
        QTest::addColumn<int>("tag");
        for (int tag : {171, 172, 173})
            QTest::addRow("%d", tag) << tag;
    }
    void sharedGroupOfPart14()
    {
        // These items of group 2 of part 14 count on group 1 (row 168).
        QFETCH(int, tag);
        f->start(1);
        const int counting = planCount(168, "GroupCnt");
        const int own = planCount(171, "GroupCnt");
        f->createAndConfirm({tag});
        QCOMPARE(planCount(168, "GroupCnt"), counting + 1);
        QCOMPARE(planCount(171, "GroupCnt"), own);
        QCOMPARE(planCount(tag, "ThemaCnt"), 1);
    }

    void cancelStoresNothing_data()
    {
        QTest::addColumn<bool>("storedBefore");
        QTest::newRow("plain cancel") << false;
        // OK with an empty end date stores the row and keeps the dialog open;
        // a cancel after it still takes the whole report back.
        QTest::newRow("cancel after a refused OK") << true;
    }
    void cancelStoresNothing()
    {
        QFETCH(bool, storedBefore);
        f->start(1);
        f->createAndConfirm({27});
        const QStringList reports = f->dump("bericht"), details = f->dump("berdet"), plan = f->dump("thetable");
        f->create({29, 30}, [&](Tberichtdlg &d) {
            if (storedBefore) {
                auto *end = d.findChild<QLineEdit *>(QStringLiteral("endedit"));
                end->selectAll();
                QTest::keyClick(end, Qt::Key_Backspace);
                f->dialogs().onNext(QStringLiteral("bernoclosedlg"), [](QDialog *b) { b->accept(); });
                d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
                QVERIFY(d.isVisible());
                QCOMPARE(f->sql(QStringLiteral("SELECT count(*) FROM bericht")).toInt(), 2);
            }
            f->messages().answer(Answer::Yes);
            d.findChild<QPushButton *>(QStringLiteral("cancelbtn"))->click();
        });
        QCOMPARE(f->messages().questions(),
                 QStringList{QStringLiteral("Wollen Sie wirklich abbrechen und die Änderungen verwerfen?")});
        QCOMPARE(f->dump("bericht"), reports);
        QCOMPARE(f->dump("berdet"), details);
        QCOMPARE(f->dump("thetable"), plan);
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("0"));
        // The table cursor is back on a stored report.
        QCOMPARE(f->tables().berichttable().state(), store::TableState::Browse);
        QCOMPARE(f->tables().berichttable().asInt(QStringLiteral("Nummer")), 1);
        // The next report takes the number the cancelled one would have had.
        f->createAndConfirm({29});
        QCOMPARE(f->sql(QStringLiteral("SELECT max(Nummer) FROM bericht")).toInt(), 2);
    }

    void emptyCompositionOnlyRebuilds()
    {
        f->start(1);
        f->tab().setPartIndex(6);
        const QStringList reports = f->dump("bericht");
        f->tab().erzeugbtn()->setEnabled(true);
        f->tab().erzeugbtn()->click();
        QCOMPARE(f->dialogs().shownNames(), QStringList());
        QCOMPARE(f->dump("bericht"), reports);
        QCOMPARE(f->tab().partIndex(), 6);
    }

    void weekPicker_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("opensOn");
        QTest::newRow("Sunday: the following Monday") << QDate(2026, 3, 15) << QDate(2026, 3, 16);
        QTest::newRow("Monday") << QDate(2026, 3, 9) << QDate(2026, 3, 9);
        QTest::newRow("Saturday") << QDate(2026, 3, 14) << QDate(2026, 3, 9);
        QTest::newRow("Wednesday over a month end") << QDate(2026, 4, 1) << QDate(2026, 3, 30);
    }
    void weekPicker()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, opensOn);
        f->clock().set(QDateTime(today, QTime(23, 59)));
        f->start(1);
        f->click(29);
        QDate preset;
        // Picking a Wednesday: the week runs to the Sunday after it.
        f->pickWeek(QDate(2026, 3, 11), &preset);
        f->dialogs().onNext(QStringLiteral("berichtdlg"),
                            [](QDialog *d) { d->findChild<QPushButton *>(QStringLiteral("okbtn"))->click(); });
        f->tab().erzeugbtn()->click();
        QCOMPARE(preset, opensOn);
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheVom FROM bericht")).toString(), QStringLiteral("2026-03-11"));
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheBis FROM bericht")).toString(), QStringLiteral("2026-03-15"));
        QCOMPARE(f->sql(QStringLiteral("SELECT Datum FROM bericht")).toString(), QStringLiteral("2026-03-15"));
    }

    void cancelledWeekPickerLeavesTheWeekEmpty()
    {
        f->start(1);
        f->click(29);
        f->pickWeek(QDate());
        QString start, end, date;
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            start = d->findChild<QLineEdit *>(QStringLiteral("anfedit"))->text();
            end = d->findChild<QLineEdit *>(QStringLiteral("endedit"))->text();
            date = d->findChild<QLineEdit *>(QStringLiteral("datumedit"))->text();
            f->messages().answer(Answer::Yes);
            d->reject();
        });
        f->tab().erzeugbtn()->click();
        QCOMPARE(start, QString());
        QCOMPARE(end, QString());
        QCOMPARE(date, QStringLiteral("10.03.2026"));
    }

    // Formatted activities typed in the dialog are stored as rich text and
    // read back the same after a restart.
    void richTextSurvivesARestart()
    {
        f->start(1);
        f->create({29}, [&](Tberichtdlg &d) {
            QTextEdit *edit = d.taetigkeitedit();
            edit->setFocus();
            QTextCursor c(edit->document());
            c.movePosition(QTextCursor::End);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            c.insertText(QStringLiteral("Messung"), bold);
            QTextCharFormat big;
            big.setFontPointSize(14);
            c.insertText(QStringLiteral(" groß"), big);
            QTextCharFormat raised;
            richtext::setHeightAndOffset(raised, 160, 66);
            c.insertText(QStringLiteral("2"), raised);
            QTextCharFormat symbol;
            richtext::setSymbolFont(symbol);
            c.insertText(QString(richtext::symbolToUnicode('p')), symbol);
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        const QString stored = f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString();
        QVERIFY(richtext::isRtf(stored));
        QVERIFY(stored.contains(QStringLiteral("\\'70"))); // pi as the byte of the font "Symbol"

        // A new start of the program on the same data directory.
        f->stop();
        f->start(1);
        QStringList seen;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QTextDocument *shown = d.taetigkeitedit()->document();
            const auto formatOf = [&](const QString &text) {
                QTextCursor c(shown);
                c.setPosition(shown->toPlainText().indexOf(text) + 1);
                return c.charFormat();
            };
            seen << shown->toPlainText().section(QLatin1Char('\n'), 1);
            seen << QString::number(formatOf(QStringLiteral("Messung")).fontWeight());
            seen << QString::number(formatOf(QStringLiteral(" groß")).fontPointSize());
            seen << QStringLiteral("%1/%2")
                        .arg(richtext::heightTwips(formatOf(QStringLiteral("2"))))
                        .arg(richtext::offsetTwips(formatOf(QStringLiteral("2"))));
            seen << QString::number(richtext::isSymbolFont(formatOf(QString(QChar(0x03c0)))));
            d.reject();
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("Messung groß2") + QChar(0x03c0), QString::number(int(QFont::Bold)),
                                    QStringLiteral("14"), QStringLiteral("160/66"), QStringLiteral("1")}));
    }
};

QTEST_MAIN(TestReportCreation)
#include "test_reportcreation.moc"
