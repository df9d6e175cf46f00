// Bound controls over the real tables: what typing does to the table's
// state and fields, dates typed badly, rich text written when the row is
// stored and thrown away on cancel, the control grid following the rows,
// the navigator's buttons, and controls of a hidden window catching up when
// it is shown.

#include "controls/dbcontrols.h"
#include "scriptedmessages.h"
#include "controls/dbgrid.h"
#include "richtext/rtf.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTextCursor>
#include <QHeaderView>
#include <QSignalSpy>
#include <QToolButton>

using store::TableState;

class TestDbControls : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::TempDataDir> dir;
    std::unique_ptr<store::TableSet> tables;

    store::Table &reports() { return tables->berichttable(); }
    void addReport(int number, const QString &thema)
    {
        reports().append();
        reports().setValue(QStringLiteral("AJahr"), 1);
        reports().setValue(QStringLiteral("Nummer"), number);
        reports().setValue(QStringLiteral("Blatt"), 1);
        reports().setValue(QStringLiteral("Thema"), thema);
        reports().post();
    }

private slots:
    void init()
    {
        dir = std::make_unique<testsupport::TempDataDir>();
        tables = std::make_unique<store::TableSet>(dir->dataDir());
        tables->openAtStart();
        addReport(1, QStringLiteral("eins"));
        addReport(2, QStringLiteral("zwei"));
        reports().first();
    }
    void cleanup()
    {
        tables.reset();
        dir.reset();
    }

    void editFollowsTheRowAndTyping()
    {
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBEdit edit;
        edit.bind(&source, QStringLiteral("Thema"));
        QCOMPARE(edit.text(), QStringLiteral("eins"));
        reports().next();
        QCOMPARE(edit.text(), QStringLiteral("zwei"));
        QCOMPARE(reports().state(), TableState::Browse);
        QTest::keyClicks(&edit, QStringLiteral("!"));
        QCOMPARE(reports().state(), TableState::Edit);
        QCOMPARE(reports().asString(QStringLiteral("Thema")), QStringLiteral("zwei!"));
        reports().cancel();
        QCOMPARE(edit.text(), QStringLiteral("zwei"));
        // A value set by the program shows at once.
        reports().edit();
        reports().setValue(QStringLiteral("Thema"), QStringLiteral("neu"));
        QCOMPARE(edit.text(), QStringLiteral("neu"));
        reports().post();
        QCOMPARE(tables->exec(QStringLiteral("SELECT Thema FROM bericht WHERE Nummer = 2")).first().value(0).toString(),
                 QStringLiteral("neu"));
    }

    void datesTypedAndShown_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("stored");
        const QDate before(2025, 1, 6);
        QTest::newRow("full") << "09.03.2026" << QDate(2026, 3, 9);
        QTest::newRow("short day and month") << "9.3.2026" << QDate(2026, 3, 9);
        QTest::newRow("two-digit year") << "10.01.26" << QDate(2026, 1, 10);
        QTest::newRow("three-digit year") << "10.01.026" << before;
        QTest::newRow("no such day") << "30.02.2026" << before;
        QTest::newRow("text") << "Montag" << before;
        QTest::newRow("empty") << "" << QDate();
    }
    void datesTypedAndShown()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, stored);
        reports().edit();
        reports().setValue(QStringLiteral("WocheVom"), QDate(2025, 1, 6));
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBEdit edit;
        edit.bind(&source, QStringLiteral("WocheVom"));
        QCOMPARE(edit.text(), QStringLiteral("06.01.2025"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(reports().asDate(QStringLiteral("WocheVom")), stored);
        // What was typed stays, marked when it is no date, so that the
        // window can name the bad field; storing the row keeps it on screen.
        const bool wrong = stored == QDate(2025, 1, 6);
        QCOMPARE(edit.text(), typed);
        QCOMPARE(edit.hasInvalidDate(), wrong);
        reports().post();
        const QString shown = stored.isValid() ? stored.toString(QStringLiteral("dd.MM.yyyy")) : QString();
        QCOMPARE(edit.text(), wrong ? typed : shown);
        QCOMPARE(tables->exec(QStringLiteral("SELECT WocheVom FROM bericht WHERE Nummer = 1")).first().value(0),
                 stored.isValid() ? QVariant(stored.toString(Qt::ISODate)) : QVariant());
        // Another row shows its own date; back on this one the field's value shows.
        reports().next();
        reports().prior();
        QCOMPARE(edit.text(), shown);
        QVERIFY(!edit.hasInvalidDate());
    }

    // A text field takes no more than it can store: typing stops at the
    // limit with the beep, a longer paste is refused and named.
    void textLongerThanTheField_data()
    {
        QTest::addColumn<bool>("memo");
        QTest::addColumn<bool>("paste");
        QTest::newRow("edit, typed") << false << false;
        QTest::newRow("edit, pasted") << false << true;
        QTest::newRow("memo, typed") << true << false;
        QTest::newRow("memo, pasted") << true << true;
    }
    void textLongerThanTheField()
    {
        QFETCH(bool, memo);
        QFETCH(bool, paste);
        platform::ScriptedMessages messages;
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBEdit edit;
        controls::DBMemo plain;
        QWidget *control = memo ? static_cast<QWidget *>(&plain) : &edit;
        memo ? plain.bind(&source, QStringLiteral("Thema")) : edit.bind(&source, QStringLiteral("Thema"));
        const auto shown = [&] { return memo ? plain.toPlainText() : edit.text(); };
        edit.end(false);
        plain.moveCursor(QTextCursor::End);
        const QString more = QString(300, QLatin1Char('x'));
        if (paste) {
            QGuiApplication::clipboard()->setText(more);
            QTest::keyClick(control, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(control, more);
        }
        QCOMPARE(shown(), paste ? QStringLiteral("eins") : QStringLiteral("eins") + QString(251, QLatin1Char('x')));
        QCOMPARE(messages.beeps(), paste ? 0 : 300 - 251);
        QCOMPARE(messages.errors().size(), paste ? 1 : 0);
        if (paste)
            QVERIFY(messages.errors().first().contains(QStringLiteral("255 Zeichen")));
        reports().post();
        QCOMPARE(tables->exec(QStringLiteral("SELECT Thema FROM bericht WHERE Nummer = 1")).first().value(0).toString(),
                 shown());
    }

    void richTextIsWrittenWhenTheRowIsStored()
    {
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBRichEdit edit;
        edit.bind(&source, QStringLiteral("Vermerke"));
        QTextCursor c(edit.document());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral("gut gemacht"), bold);
        QCOMPARE(reports().state(), TableState::Edit);
        QVERIFY(reports().isNull(QStringLiteral("Vermerke"))); // not on every keystroke
        reports().post();
        const QString stored = reports().asString(QStringLiteral("Vermerke"));
        QVERIFY(stored.startsWith(QStringLiteral("{\\rtf")));
        QVERIFY(stored.contains(QStringLiteral("\\b")));
        // The next row shows its own (empty) text, the first row its stored one.
        reports().next();
        QCOMPARE(edit.toPlainText(), QString());
        reports().first();
        QCOMPARE(edit.toPlainText(), QStringLiteral("gut gemacht"));
        // Cancel throws typed text away.
        c = QTextCursor(edit.document());
        c.insertText(QStringLiteral("nicht "));
        QCOMPARE(edit.toPlainText(), QStringLiteral("nicht gut gemacht"));
        reports().cancel();
        QCOMPARE(edit.toPlainText(), QStringLiteral("gut gemacht"));
        QCOMPARE(reports().asString(QStringLiteral("Vermerke")), stored);
        // A read-only field never changes its table.
        edit.setReadOnly(true);
        c.insertText(QStringLiteral("x"));
        QCOMPARE(reports().state(), TableState::Browse);
    }

    void plainMemoTextLoads()
    {
        reports().edit();
        reports().setValue(QStringLiteral("Taetigkeit"), QStringLiteral("zu 5 aa) \nzweite Zeile"));
        reports().post();
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBRichEdit edit;
        edit.bind(&source, QStringLiteral("Taetigkeit"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("zu 5 aa) \nzweite Zeile"));
        QCOMPARE(reports().state(), TableState::Browse);
    }

    void controlGridFollowsTheRows()
    {
        store::Table &temp = tables->temptable();
        if (!temp.isOpen())
            temp.open();
        for (int i = 0; i < 3; ++i) {
            temp.append();
            temp.setValue(QStringLiteral("Lfdnr"), i + 1);
            temp.setValue(QStringLiteral("Alltext"), QStringLiteral("Zeile %1").arg(i + 1));
            temp.post();
        }
        temp.first();
        controls::DataSource source(QStringLiteral("tempsource"), &temp);
        controls::DBCtrlGrid grid;
        grid.resize(681, 108);
        grid.setPanelBuilder([](QWidget *panel, controls::DataSource *s) {
            auto *memo = new controls::DBMemo(panel);
            memo->setObjectName(QStringLiteral("detailmemo"));
            memo->bind(s, QStringLiteral("Alltext"));
            auto *box = new controls::DBCheckBox(QString(), panel);
            box->setObjectName(QStringLiteral("BA"));
            box->move(500, 8);
            box->bind(s, QStringLiteral("BA"));
        });
        grid.setDataSource(&source);
        grid.show();
        QCOMPARE(grid.panelCount(), 3);
        const auto memo = [&](int row) {
            return grid.panel(row)->findChild<controls::DBMemo *>(QStringLiteral("detailmemo"));
        };
        QCOMPARE(memo(2)->toPlainText(), QStringLiteral("Zeile 3"));
        QCOMPARE(grid.currentPanel(), grid.panel(0));
        // Ticking the box of row 3 moves the table there and edits that row.
        grid.panel(2)->findChild<QCheckBox *>(QStringLiteral("BA"))->click();
        QCOMPARE(temp.recNo(), 2);
        QVERIFY(temp.asBool(QStringLiteral("BA")));
        QCOMPARE(grid.currentPanel(), grid.panel(2));
        // Typing in row 1 stores row 3 and edits row 1.
        memo(0)->setFocus();
        memo(0)->moveCursor(QTextCursor::End);
        memo(0)->insertPlainText(QStringLiteral("!"));
        QCOMPARE(temp.recNo(), 0);
        QCOMPARE(temp.asString(QStringLiteral("Alltext")), QStringLiteral("Zeile 1!"));
        QCOMPARE(tables->exec(QStringLiteral("SELECT BA FROM tmptable WHERE Lfdnr = 3")).first().value(0).toInt(), 1);
        temp.post();
        temp.remove();
        QCOMPARE(grid.panelCount(), 2);
        QCOMPARE(memo(0)->toPlainText(), QStringLiteral("Zeile 2"));
    }

    // Controls of a hidden window leave the moves of their table alone and
    // show the current row once the window is shown, whether it was never
    // shown or closed after showing.
    void hiddenWindowShowsTheCurrentRowWhenShown_data()
    {
        QTest::addColumn<bool>("shownBefore");
        QTest::newRow("never shown") << false;
        QTest::newRow("closed after showing") << true;
    }
    void hiddenWindowShowsTheCurrentRowWhenShown()
    {
        QFETCH(bool, shownBefore);
        QImage small(4, 3, QImage::Format_RGB32), large(8, 6, QImage::Format_RGB32);
        small.fill(Qt::red);
        large.fill(Qt::blue);
        const auto bytes = [](const QImage &image) {
            QByteArray out;
            QBuffer buffer(&out);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "BMP");
            return out;
        };
        QTextDocument remark;
        for (int n = 0; n < 2; ++n) {
            reports().edit();
            remark.setPlainText(QStringLiteral("Vermerk %1").arg(n + 1));
            reports().setValue(QStringLiteral("Vermerke"), QString::fromLatin1(richtext::writeRtf(remark)));
            reports().setValue(QStringLiteral("Bild1"), bytes(n ? large : small));
            reports().post();
            reports().next();
        }
        reports().first();
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        QWidget window;
        auto *edit = new controls::DBEdit(&window);
        auto *rich = new controls::DBRichEdit(&window);
        auto *image = new controls::DBImage(&window);
        edit->bind(&source, QStringLiteral("Thema"));
        rich->bind(&source, QStringLiteral("Vermerke"));
        image->bind(&source, QStringLiteral("Bild1"));
        if (shownBefore) {
            window.show();
            QCOMPARE(rich->toPlainText(), QStringLiteral("Vermerk 1"));
            window.hide();
        }
        QSignalSpy reloaded(rich->document(), &QTextDocument::contentsChange);
        reports().next();
        reports().edit();
        reports().setValue(QStringLiteral("Thema"), QStringLiteral("neu"));
        reports().post();
        QCOMPARE(reloaded.count(), 0);
        QVERIFY(rich->stale());
        // The picture asked of a hidden control is the current row's.
        QCOMPARE(image->picture().size(), large.size());
        window.show();
        QCOMPARE(edit->text(), QStringLiteral("neu"));
        QCOMPARE(rich->toPlainText(), QStringLiteral("Vermerk 2"));
        QVERIFY(!rich->stale());
        // Shown, the controls follow every move at once.
        reports().first();
        QCOMPARE(edit->text(), QStringLiteral("eins"));
        QCOMPARE(rich->toPlainText(), QStringLiteral("Vermerk 1"));
        QCOMPARE(image->picture().size(), small.size());
    }

    void memoDisplayLinesFollowTheWrapping()
    {
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBMemo memo;
        memo.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo.resize(200, 60);
        memo.show();
        memo.bind(&source, QStringLiteral("Thema"));
        reports().edit();
        reports().setValue(QStringLiteral("Thema"), QStringLiteral("ein recht langer Text der in dieser "
                                                                   "Breite umbrechen muss\nzweite"));
        const QStringList lines = memo.displayLines();
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.last(), QStringLiteral("zweite"));
        QVERIFY(lines.first().startsWith(QStringLiteral("ein recht")));
        QCOMPARE(lines.join(QLatin1Char(' ')).remove(QLatin1String(" zweite")),
                 QStringLiteral("ein recht langer Text der in dieser Breite umbrechen muss"));
    }

    void navigatorButtons()
    {
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBNavigator nav;
        nav.setDataSource(&source);
        QToolButton *prior = nav.button(controls::DBNavigator::Prior);
        QToolButton *next = nav.button(controls::DBNavigator::Next);
        QVERIFY(!prior->isEnabled());
        QVERIFY(next->isEnabled());
        QList<int> order;
        connect(&nav, &controls::DBNavigator::beforeAction, this, [&] { order << reports().recNo(); });
        connect(&nav, &controls::DBNavigator::clicked, this, [&] { order << reports().recNo(); });
        next->click();
        QCOMPARE(order, (QList<int>{0, 1}));
        QVERIFY(prior->isEnabled());
        QVERIFY(!next->isEnabled());
        reports().setFilter(QStringLiteral("Nummer = 9"));
        reports().setFiltered(true);
        QVERIFY(!prior->isEnabled());
        QVERIFY(!next->isEnabled());
    }

    void gridShowsAndFollowsTheRows()
    {
        reports().edit();
        reports().setValue(QStringLiteral("WocheVom"), QDate(2026, 3, 9));
        reports().setValue(QStringLiteral("TDAB1"), QStringLiteral("5"));
        reports().post();
        addReport(3, QStringLiteral("drei"));
        reports().first();
        controls::DataSource source(QStringLiteral("berichtsource"), &reports());
        controls::DBGrid grid;
        const QColor blue(0xc0, 0xdf, 0xf5);
        grid.setColumns({{QStringLiteral("Nummer"), QStringLiteral("Nummer"), 49, Qt::AlignLeft, Qt::AlignLeft, blue},
                         {QStringLiteral("WocheVom"), QStringLiteral("vom"), 68, Qt::AlignHCenter, Qt::AlignHCenter, blue},
                         {QStringLiteral("Gedruckt"), QString(), 0, Qt::AlignLeft, Qt::AlignLeft, blue, false},
                         {QStringLiteral("TDAB1"), QString(), 50, Qt::AlignHCenter, Qt::AlignHCenter, QColor()}});
        grid.setDataSource(&source);
        grid.resize(400, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QAbstractItemModel *m = grid.model();
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(grid.cellText(0, 1), QStringLiteral("09.03.2026"));
        QCOMPARE(grid.cellText(0, 3), QStringLiteral("5"));
        QCOMPARE(grid.cellText(2, 0), QStringLiteral("3"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("vom"));
        QCOMPARE(m->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), blue);
        QVERIFY(grid.isColumnHidden(2));
        QCOMPARE(grid.columnWidth(1), 68);
        // The selected line is the cursor's row, both ways.
        QCOMPARE(grid.currentIndex().row(), 0);
        reports().last();
        QCOMPARE(grid.currentIndex().row(), 2);
        QCOMPARE(m->headerData(2, Qt::Vertical).toString(), QStringLiteral("▶"));
        QCOMPARE(m->headerData(0, Qt::Vertical).toString(), QString());
        QSignalSpy doubles(&grid, &controls::DBGrid::rowDoubleClicked);
        const QRect line = grid.visualRect(m->index(1, 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, line.center());
        QCOMPARE(reports().recNo(), 1);
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, line.center());
        QCOMPARE(doubles.count(), 1);
        QCOMPARE(doubles.first().first().toInt(), 1);
        // A row that cannot be stored keeps the cursor where it is and the
        // error goes to the program's handler instead of ending it.
        QStringList errors;
        {
            platform::ScriptedMessages messages;
            reports().edit();
            reports().setValue(QStringLiteral("Nummer"), 3); // the key of the third report
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(m->index(0, 0)).center());
            errors = messages.errors();
        }
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().contains(QStringLiteral("Schlüssel")));
        QCOMPARE(reports().recNo(), 1);
        QCOMPARE(grid.currentIndex().row(), 1);
        reports().cancel();
        // A range narrows the lines; a changed field shows at once.
        reports().setRange({1}, {1});
        reports().setFilter(QStringLiteral("Nummer = 2"));
        reports().setFiltered(true);
        QCOMPARE(m->rowCount(), 1);
        reports().edit();
        reports().setValue(QStringLiteral("TDAB1"), QStringLiteral("7"));
        reports().post();
        QCOMPARE(m->index(0, 3).data().toString(), QStringLiteral("7"));
    }
};

QTEST_MAIN(TestDbControls)
#include "test_dbcontrols.moc"
