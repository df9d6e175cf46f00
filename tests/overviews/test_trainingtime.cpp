// The training-time overview: the six dates between the dialog and the
// settings file, the tool bar on the focused edit, editing rows in the grid
// (pick list, Tab, new rows, Esc, deleting with its question, storing on
// leaving a row and on closing), the missing year on "&Vorschau", and the
// print: stored dates in the title, year lines before each year and at the
// top of a new page. Set LERNORA_PRINT_DIR to keep the printed PDF files.

#include "overviewfixture.h"

#include "controls/dbgrid.h"
#include "pageimage.h"
#include "overviews/trainingtime.h"
#include "pdfwords.h"
#include "previewfixture.h"
#include "print/engine/report.h"
#include "print/trainingtimeprint.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

using testsupport::OverviewFixture;
using testsupport::PdfText;

namespace {

const char *const dateKeys[] = {"vom1", "bis1", "vom2", "bis2", "vom3", "bis3"};

// The words of a page below the column header "Krank", line by line.
QString rowsOf(const PdfText &pdf, int page)
{
    const double header = pdf.word(QStringLiteral("Krank"), page).box.bottom();
    QList<testsupport::PdfWord> words;
    for (const testsupport::PdfWord &w : pdf.words)
        if (w.page == page && w.box.top() > header)
            words << w;
    std::sort(words.begin(), words.end(), [](const auto &a, const auto &b) {
        return qAbs(a.box.top() - b.box.top()) > 0.3 ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    QStringList out;
    for (const auto &w : words)
        out << w.text;
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestTrainingTime : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;
    QTemporaryDir m_out;
    int m_previews = 0;

    Tuebersichtdlg &dlg() const { return *f->form()->uebersichtdlg(); }
    QString ini(const char *key) const
    {
        return store::Settings().readString(QStringLiteral("Stift"), QLatin1String(key), QStringLiteral("<none>"));
    }
    // Opens the dialog from the menu; `drive` works it and must close it.
    void open(const std::function<void(Tuebersichtdlg &)> &drive)
    {
        f->dialogs().onNext(QStringLiteral("uebersichtdlg"),
                            [drive](QDialog *d) { drive(*static_cast<Tuebersichtdlg *>(d)); });
        f->form()->findChild<QAction *>(QStringLiteral("bersichtdieAusbildungszeit1"))->trigger();
        QVERIFY(f->dialogs().pendingNames().isEmpty());
    }
    void click(const char *name) { dlg().findChild<QPushButton *>(QLatin1String(name))->click(); }
    // "&Vorschau" in the dialog; what the preview showed, as PDF words.
    PdfText preview()
    {
        const QString file = m_out.filePath(QStringLiteral("zeit.pdf"));
        QFile::remove(file);
        testsupport::whenShown([&](Tbwprformd5 *w) {
            ++m_previews;
            QCOMPARE(w->printKind(), engine::PrintKind::TrainingTime);
            engine::exportPdf(*w->document(), file);
        });
        click("vorschaubtn");
        return testsupport::readPdf(file);
    }
    engine::Document render() { return f->app().qruebersichtform().report().render(); }
    // Kept in LERNORA_PRINT_DIR when that is set.
    PdfText printed(const QString &name)
    {
        const QString keep = qEnvironmentVariable("LERNORA_PRINT_DIR");
        const QString file = QDir(keep.isEmpty() ? m_out.path() : keep).filePath(name);
        engine::exportPdf(render(), file);
        return testsupport::readPdf(file);
    }
    void addRow(int year, const QString &school)
    {
        f->tables().exec(QStringLiteral("INSERT INTO uebersB (Lj, Bs) VALUES (%1, '%2')").arg(year).arg(school));
    }
    // The focused editor of the grid, once it shows.
    QWidget *editor()
    {
        QApplication::setActiveWindow(&dlg());
        dlg().DBGrid1()->setFocus();
        const auto shown = [this] {
            return dlg().focusWidget() && dlg().focusWidget()->objectName() == QLatin1String("editor");
        };
        for (int i = 0; i < 200 && !shown(); ++i)
            QTest::qWait(10);
        if (!shown())
            qWarning("no editor in the grid");
        return dlg().focusWidget();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(editor(), Qt::Key(key), modifiers);
    }

private slots:
    void init()
    {
        f = std::make_unique<OverviewFixture>();
        f->start(1);
    }
    void cleanup() { f.reset(); }

    void datesGoToTheSettingsFileOnlyOnOk_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Abbrechen") << false;
    }
    void datesGoToTheSettingsFileOnlyOnOk()
    {
        QFETCH(bool, ok);
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("bis1"), QStringLiteral("31.08.2025"));
        open([&](Tuebersichtdlg &d) {
            QCOMPARE(d.focusWidget(), d.dateEdit(1, false));
            QCOMPARE(d.dateEdit(1, true)->text(), QStringLiteral("31.08.2025"));
            QCOMPARE(d.dateEdit(2, false)->text(), QString());
            for (int i = 0; i < 6; ++i)
                d.dateEdit(i / 2 + 1, i % 2)->setText(QStringLiteral("Tag %1").arg(i));
            click(ok ? "okbtn" : "abbruchbtn");
        });
        for (int i = 0; i < 6; ++i)
            QCOMPARE(ini(dateKeys[i]), ok ? QStringLiteral("Tag %1").arg(i)
                                          : (i == 1 ? QStringLiteral("31.08.2025") : QStringLiteral("<none>")));
        if (ok) {
            // Written in their order: the new keys follow the one already there.
            QFile file(store::Settings().filePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromLatin1(file.readAll());
            const QStringList order{"bis1", "vom1", "vom2", "bis2", "vom3", "bis3"};
            for (int i = 1; i < order.size(); ++i)
                QVERIFY2(text.indexOf(order[i - 1] + '=') < text.indexOf(order[i] + '='), qPrintable(text));
        }
    }

    // OK with a date the settings file cannot store names the character and
    // the field and keeps the dialog open; nothing is written.
    void okRefusesADateItCannotStore()
    {
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("bis3"), QStringLiteral("31.08.2027"));
        open([&](Tuebersichtdlg &d) {
            d.dateEdit(1, false)->setText(QStringLiteral("1.8.2025"));
            d.dateEdit(3, true)->setText(QStringLiteral("Łódź"));
            click("okbtn");
            QVERIFY(d.isVisible());
            QCOMPARE(f->messages().errors().size(), 1);
            QVERIFY(f->messages().errors().first().startsWith(
                QStringLiteral("Das Zeichen „Ł“ (U+0141) im Feld „3. Lj. bis“")));
            click("abbruchbtn");
        });
        QCOMPARE(ini("vom1"), QStringLiteral("<none>"));
        QCOMPARE(ini("bis3"), QStringLiteral("31.08.2027"));
    }

    // The dialog opens with the editor of the grid's cell shown and the first
    // date focused; going into the grid and typing at once gives the first
    // key to the grid before its editor has the focus: the key is kept.
    void firstKeyStaysInTheCell_data()
    {
        QTest::addColumn<QString>("typed"); // a tab moves to the next cell
        QTest::addColumn<QString>("stored");
        QTest::newRow("year") << "3"
                              << "3|1|A|||";
        QTest::newRow("year, then school") << "3\tBlockwoche"
                                           << "3|1|Blockwoche|||";
    }
    void firstKeyStaysInTheCell()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        addRow(1, QStringLiteral("A"));
        f->tables().uebersichttable().refresh();
        open([&](Tuebersichtdlg &d) {
            QApplication::setActiveWindow(&d);
            d.DBGrid1()->setFocus(Qt::TabFocusReason);
            QCOMPARE(QApplication::focusWidget(), d.DBGrid1());
            for (const QChar c : typed) { // each key to where the focus is then
                QWidget *to = QApplication::focusWidget();
                c == QLatin1Char('\t') ? QTest::keyClick(to, Qt::Key_Tab) : QTest::keyClick(to, c.toLatin1());
                QCoreApplication::processEvents();
            }
            click("okbtn");
        });
        QCOMPARE(f->dump("uebersB"), QStringList{stored});
    }

    // A cell takes no more characters than its field holds (25): keys beyond
    // are refused with a beep, a paste that would not fit is refused as a
    // whole with a message, by Ctrl+V as by the tool bar.
    void cellTakesNoMoreThanItsField_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("length"); // of the text typed or pasted
        QTest::addColumn<int>("stored");
        QTest::newRow("typed") << "typed" << 30 << 25;
        QTest::newRow("pasted, too long") << "Ctrl+V" << 30 << 0;
        QTest::newRow("pasted, fits") << "Ctrl+V" << 25 << 25;
        QTest::newRow("tool bar, one too many") << "EditPaste1" << 26 << 0;
    }
    void cellTakesNoMoreThanItsField()
    {
        QFETCH(QString, how);
        QFETCH(int, length);
        QFETCH(int, stored);
        addRow(2, QString());
        f->tables().uebersichttable().refresh();
        open([&](Tuebersichtdlg &d) {
            d.DBGrid1()->setCurrentIndex(d.DBGrid1()->model()->index(0, 1));
            auto *cell = qobject_cast<QLineEdit *>(editor());
            const QString text(length, QLatin1Char('x'));
            QApplication::clipboard()->setText(text);
            if (how == QLatin1String("typed"))
                QTest::keyClicks(cell, text);
            else if (how == QLatin1String("Ctrl+V"))
                QTest::keyClick(cell, Qt::Key_V, Qt::ControlModifier);
            else
                d.toolBar()->findChild<QAction *>(how)->trigger();
            QTest::qWait(20);
            QCOMPARE(cell->text().size(), stored);
            QCOMPARE(f->tables().uebersichttable().asString(QStringLiteral("Bs")).size(), stored);
            QCOMPARE(f->messages().beeps(), how == QLatin1String("typed") ? length - stored : 0);
            const QString refusal = QStringLiteral("„Berufsschule“: Es fasst höchstens 25 Zeichen, der eingefügte Text "
                                                   "ergäbe %1 Zeichen. Es wurde nichts eingefügt; bitte kürzen Sie den Text.")
                                        .arg(length);
            QCOMPARE(f->messages().errors().size(), stored ? 0 : 1);
            QVERIFY(stored || f->messages().errors().first().endsWith(refusal));
            click("abbruchbtn");
        });
    }

    void toolBarWorksOnTheFocusedEdit()
    {
        open([&](Tuebersichtdlg &d) {
            QLineEdit *edit = d.dateEdit(2, true);
            edit->setText(QStringLiteral("31.08.2026"));
            edit->setFocus();
            edit->selectAll();
            const auto tool = [&](const char *name) { d.toolBar()->findChild<QAction *>(QLatin1String(name))->trigger(); };
            tool("EditCut1");
            QCOMPARE(edit->text(), QString());
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("31.08.2026"));
            tool("EditPaste1");
            tool("EditPaste1");
            QCOMPARE(edit->text(), QStringLiteral("31.08.202631.08.2026"));
            tool("EditUndo1");
            QCOMPARE(edit->text(), QStringLiteral("31.08.2026"));
            QCOMPARE(d.dateEdit(1, false)->text(), QString()); // only the focused edit
            QStringList hints;
            for (QToolButton *b : d.DBNavigator1()->findChildren<QToolButton *>())
                if (b->isVisibleTo(&d))
                    hints << b->toolTip();
            QCOMPARE(hints, QStringList({"Erster Zeile", "Vorherige Zeile", "Nächste Zeile", "Letzte Zeile",
                                         "Zeile einfügen", "Zeile löschen"}));
            click("abbruchbtn");
        });
    }

    // Tab does not keep the focus in the grid for ever: Ctrl+Tab leaves from
    // any cell, Shift+Tab from the first, Tab from the end of the new row,
    // which is dropped untouched.
    void keysLeaveTheGrid_data()
    {
        QTest::addColumn<QList<int>>("keys"); // from the first cell
        QTest::addColumn<QString>("reached");  // the control before (the navigator's last) or after the grid
        QTest::newRow("Ctrl+Tab") << QList<int>{Qt::Key_Tab, (Qt::CTRL | Qt::Key_Tab).toCombined()} << "okbtn";
        QTest::newRow("Ctrl+Shift+Tab") << QList<int>{(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab).toCombined()}
                                        << "delete";
        QTest::newRow("Shift+Tab") << QList<int>{(Qt::SHIFT | Qt::Key_Backtab).toCombined()} << "delete";
        QTest::newRow("Tab past the new row") << QList<int>(10, Qt::Key_Tab) << "okbtn";
    }
    void keysLeaveTheGrid()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, reached);
        addRow(1, QStringLiteral("A"));
        f->tables().uebersichttable().refresh();
        open([&](Tuebersichtdlg &d) {
            editor();
            for (int k : keys)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(k & ~int(Qt::KeyboardModifierMask)),
                                Qt::KeyboardModifiers(k & int(Qt::KeyboardModifierMask)));
            QCOMPARE(QApplication::focusWidget()->objectName(), reached);
            QCOMPARE(d.DBGrid1()->model()->rowCount(), 1);
            click("abbruchbtn");
        });
        QCOMPARE(f->dump("uebersB"), QStringList{"1|1|A|||"});
    }

    void rowsAreEditedInTheGrid()
    {
        open([&](Tuebersichtdlg &d) {
            controls::DBGrid *grid = d.DBGrid1();
            // The empty table offers one line; the year comes from its pick list.
            auto *year = qobject_cast<QComboBox *>(editor());
            QVERIFY(year);
            QCOMPARE(year->count(), 3);
            key(Qt::Key_2);
            key(Qt::Key_Tab);
            QTest::keyClicks(editor(), QStringLiteral("Block Maerz"));
            key(Qt::Key_Tab);
            QTest::keyClicks(editor(), QStringLiteral("UELU 1"));
            QCOMPARE(f->sql(QStringLiteral("SELECT count(*) FROM uebersB")).toInt(), 0);
            // Down below the last line stores the row and starts a new one.
            key(Qt::Key_Down);
            QCOMPARE(f->dump("uebersB"), QStringList{"2|1|Block Maerz|UELU 1||"});
            QCOMPARE(grid->model()->rowCount(), 2);
            QCOMPARE(grid->currentIndex().column(), 2);

            // A row without its year is not stored: "&Vorschau" says why
            // and shows nothing.
            QTest::keyClicks(editor(), QStringLiteral("ohne Jahr"));
            m_previews = 0;
            f->messages().clear();
            QTimer::singleShot(0, [this] {
                if (TQRMDIPreviewInterface::current()) {
                    ++m_previews;
                    TQRMDIPreviewInterface::closeCurrent();
                }
            });
            click("vorschaubtn");
            QCOMPARE(m_previews, 0);
            QCOMPARE(f->messages().errors().size(), 1);
            QVERIFY(f->messages().errors().first().contains(QStringLiteral("Lj")));
            // Esc drops it.
            key(Qt::Key_Escape);
            QCOMPARE(grid->model()->rowCount(), 1);
            QCOMPARE(f->tables().uebersichttable().state(), store::TableState::Browse);

            // Deleting asks first.
            f->messages().answer(platform::Answer::No);
            key(Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(f->sql(QStringLiteral("SELECT count(*) FROM uebersB")).toInt(), 1);
            QCOMPARE(f->messages().questions().value(0), QStringLiteral("Zeile löschen?"));

            // Down from the year's pick list goes to the next line (here a
            // new one) and leaves the year as it was.
            grid->setCurrentIndex(grid->model()->index(0, 0));
            key(Qt::Key_Down);
            QCOMPARE(grid->model()->rowCount(), 2);
            QCOMPARE(grid->currentLine(), 1);
            key(Qt::Key_Escape);
            QCOMPARE(f->dump("uebersB"), QStringList{"2|1|Block Maerz|UELU 1||"});

            // A change typed into a row is stored when the dialog closes,
            // also by "Abbrechen".
            grid->setCurrentIndex(grid->model()->index(0, 4));
            QTest::keyClicks(editor(), QStringLiteral("2 Tage"));
            click("abbruchbtn");
        });
        QCOMPARE(f->dump("uebersB"), QStringList{"2|1|Block Maerz|UELU 1||2 Tage"});
        open([&](Tuebersichtdlg &) {
            f->messages().answer(platform::Answer::Yes);
            key(Qt::Key_Delete, Qt::ControlModifier);
            click("okbtn");
        });
        QCOMPARE(f->dump("uebersB"), QStringList());
    }

    // Leaving a row whose year changed stores it in its new place; the line
    // clicked is still the row that was there.
    void leavingARowStoresItAndGoesWhereAsked_data()
    {
        QTest::addColumn<int>("edited");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("arrived");
        QTest::addColumn<QString>("order");
        QTest::newRow("moves up past the target") << 2 << 1 << 1 << "B" << "A C B";
        QTest::newRow("moves down past the target") << 0 << 3 << 2 << "C" << "B C A";
        QTest::newRow("stays in place") << 1 << 2 << 0 << "A" << "A B C";
    }
    void leavingARowStoresItAndGoesWhereAsked()
    {
        QFETCH(int, edited);
        QFETCH(int, year);
        QFETCH(int, target);
        QFETCH(QString, arrived);
        QFETCH(QString, order);
        addRow(1, QStringLiteral("A"));
        addRow(2, QStringLiteral("B"));
        addRow(2, QStringLiteral("C"));
        f->tables().uebersichttable().refresh();
        open([&](Tuebersichtdlg &d) {
            controls::DBGrid *grid = d.DBGrid1();
            editor();
            grid->setCurrentIndex(grid->model()->index(edited, 0));
            key(Qt::Key_0 + year);
            QCOMPARE(f->tables().uebersichttable().asInt(QStringLiteral("Lj")), year);
            grid->setCurrentIndex(grid->model()->index(target, 1));
            QCOMPARE(f->tables().uebersichttable().asString(QStringLiteral("Bs")), arrived);
            QCOMPARE(grid->currentLine(), target == edited ? target : grid->currentIndex().row());
            click("abbruchbtn");
        });
        QStringList stored;
        for (const QVariantList &row : f->tables().exec(QStringLiteral("SELECT Bs FROM uebersB ORDER BY Lj, Auto")))
            stored << row.value(0).toString();
        QCOMPARE(stored.join(QLatin1Char(' ')), order);
    }

    // Closing with a row without its year names the row and the reason;
    // "Ja" keeps the dialog open on it to complete it, "Nein" discards it.
    void closingWithARowThatCannotBeStored_data()
    {
        QTest::addColumn<bool>("discard");
        QTest::addColumn<QString>("stored"); // Lj of the rows afterwards
        QTest::newRow("Ja, then the year") << false << "1 3";
        QTest::newRow("Nein") << true << "1";
    }
    void closingWithARowThatCannotBeStored()
    {
        QFETCH(bool, discard);
        QFETCH(QString, stored);
        addRow(1, QStringLiteral("Alt"));
        f->tables().uebersichttable().refresh();
        open([&](Tuebersichtdlg &d) {
            editor();
            d.DBGrid1()->setCurrentIndex(d.DBGrid1()->model()->index(0, 1));
            key(Qt::Key_Down); // a new line below
            QTest::keyClicks(editor(), QStringLiteral("ohne Jahr"));
            f->messages().answer(discard ? platform::Answer::No : platform::Answer::Yes);
            click("abbruchbtn");
            const QString question = f->messages().questions().value(0);
            QVERIFY2(question.startsWith(QStringLiteral("Zeile 2 kann nicht gespeichert werden:")), qPrintable(question));
            QVERIFY2(question.contains(QStringLiteral("„Ausbildungsabschnitt“ fehlt das Lehrjahr")), qPrintable(question));
            QCOMPARE(d.isVisible(), !discard);
            if (discard)
                return;
            d.DBGrid1()->setCurrentIndex(d.DBGrid1()->model()->index(1, 0));
            key(Qt::Key_3);
            click("okbtn");
        });
        QCOMPARE(f->sql(QStringLiteral("SELECT group_concat(Lj, ' ') FROM uebersB")).toString(), stored);
    }

    // The preview prints the dates as the dialog shows them; only OK
    // stores them.
    void previewPrintsTheDatesTheDialogShows()
    {
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("vom2"), QStringLiteral("01.09.2025"));
        open([&](Tuebersichtdlg &d) {
            d.dateEdit(2, false)->setText(QStringLiteral("15.09.2025"));
            const PdfText shown = preview();
            QCOMPARE(m_previews, 1);
            QVERIFY(!shown.word(QStringLiteral("01.09.2025")).page);
            // Second line of the title: the start date at 33.9 mm in the
            // 12.7 mm margin, on the line of "2. Lj." at 27.5 + 6.4 mm.
            const testsupport::PdfWord date = shown.word(QStringLiteral("15.09.2025"));
            QVERIFY(date.page);
            QVERIFY(qAbs(date.box.left() - (12.7 + 33.9)) < 0.3);
            QVERIFY(qAbs(date.box.top() - shown.word(QStringLiteral("2.")).box.top()) < 0.3);
            click("abbruchbtn");
        });
        QCOMPARE(ini("vom2"), QStringLiteral("01.09.2025"));
        // Printed without the dialog, the stored dates.
        QVERIFY(printed(QStringLiteral("gespeichert.pdf")).word(QStringLiteral("01.09.2025")).page);
    }

    // A year without dates is offered the basic data's training time: its
    // first day, the years following from it, its last day; printed as
    // shown, stored only on OK.
    void datesOfferedFromTheBasicData_data()
    {
        QTest::addColumn<QString>("start"); // AZvom
        QTest::addColumn<QString>("end");   // AZbis
        QTest::addColumn<QString>("stored"); // vom2 as stored, if any
        QTest::addColumn<QStringList>("shown"); // vom1, bis1, ..., bis3
        QTest::newRow("nothing stored")
            << "01.08.2025" << "31.01.2028" << ""
            << QStringList{"01.08.2025", "31.07.2026", "01.08.2026", "31.07.2027", "01.08.2027", "31.01.2028"};
        QTest::newRow("a stored year stays") << "1.8.2025" << "" << "15.08.2026"
                                             << QStringList{"01.08.2025", "31.07.2026", "15.08.2026", "",
                                                            "01.08.2027", "31.07.2028"};
        QTest::newRow("not a date: as typed") << "August 2025" << "Juli 2028" << ""
                                              << QStringList{"August 2025", "", "", "", "", "Juli 2028"};
        QTest::newRow("no basic data") << "" << "" << "" << QStringList{"", "", "", "", "", ""};
    }
    void datesOfferedFromTheBasicData()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("AZvom"), start);
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("AZbis"), end);
        if (!stored.isEmpty())
            store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("vom2"), stored);
        const char *keys[] = {"vom1", "bis1", "vom2", "bis2", "vom3", "bis3"};
        for (bool ok : {false, true}) {
            open([&](Tuebersichtdlg &d) {
                QStringList inDialog;
                for (int i = 0; i < 6; ++i)
                    inDialog << d.dateEdit(i / 2 + 1, i % 2)->text();
                QCOMPARE(inDialog, shown);
                const PdfText p = preview();
                for (const QString &date : shown)
                    if (!date.isEmpty())
                        QVERIFY2(p.pageText(1).contains(date), qPrintable(date));
                click(ok ? "okbtn" : "abbruchbtn");
            });
            for (int i = 0; i < 6; ++i)
                QCOMPARE(ini(keys[i]), ok ? shown[i] : i == 2 && !stored.isEmpty() ? stored : QStringLiteral("<none>"));
        }
    }

    void yearLinesPrecedeEachYear()
    {
        addRow(2, QStringLiteral("Zwei-a"));
        addRow(1, QStringLiteral("Eins-a"));
        addRow(2, QStringLiteral("Zwei-b"));
        const PdfText pdf = printed(QStringLiteral("zeit-jahre.pdf"));
        QCOMPARE(pdf.pages, 1);
        QCOMPARE(rowsOf(pdf, 1), QStringLiteral("1. Ausbildungsabschnitt Eins-a 2. Ausbildungsabschnitt Zwei-a Zwei-b"));
        // A year line is 6.3 mm, a row line 5.6 mm; the row text at 40.2 mm.
        const double year1 = pdf.word(QStringLiteral("Ausbildungsabschnitt")).box.top();
        const testsupport::PdfWord a = pdf.word(QStringLiteral("Eins-a"));
        QVERIFY(qAbs(a.box.left() - (12.7 + 40.2)) < 0.3);
        QVERIFY(qAbs(pdf.word(QStringLiteral("Zwei-a")).box.top() - a.box.top() - (6.3 + 5.6)) < 0.3);
        QVERIFY(qAbs(pdf.word(QStringLiteral("Zwei-b")).box.top() - a.box.top() - (6.3 + 2 * 5.6)) < 0.3);
        QVERIFY(qAbs(a.box.top() - year1 - 6.3) < 0.3);
        // The year line is grey across the band, the row line is not.
        const QImage page = testsupport::pageImage(render(), 1);
        const int yearY = int((year1 - 0.5) * 10), x = int(180 * 10);
        QCOMPARE(page.pixelColor(x, yearY), QColor(0xEB, 0xEB, 0xEB));
        QCOMPARE(page.pixelColor(x, yearY + 63), QColor(Qt::white));
    }

    void aNewPageRepeatsTheYearLine()
    {
        for (int i = 1; i <= 50; ++i)
            addRow(1, QStringLiteral("Reihe%1").arg(i));
        addRow(3, QStringLiteral("Drei"));
        const PdfText pdf = printed(QStringLiteral("zeit-seiten.pdf"));
        QCOMPARE(pdf.pages, 2);
        QVERIFY(pdf.word(QStringLiteral("Übersicht"), 1).page);
        QVERIFY(!pdf.word(QStringLiteral("Übersicht"), 2).page);
        // Page 2: the column headers, the year line of year 1 again, its
        // rows, then year 3.
        QVERIFY(pdf.word(QStringLiteral("(Blockunterricht)"), 2).page);
        const QString page2 = rowsOf(pdf, 2);
        QVERIFY2(page2.startsWith(QStringLiteral("1. Ausbildungsabschnitt Reihe")), qPrintable(page2));
        QVERIFY2(page2.endsWith(QStringLiteral("Reihe50 3. Ausbildungsabschnitt Drei")), qPrintable(page2));
        QCOMPARE(page2.count(QStringLiteral("Ausbildungsabschnitt")), 2);
        QVERIFY(rowsOf(pdf, 1).startsWith(QStringLiteral("1. Ausbildungsabschnitt Reihe1 Reihe2 ")));
    }
};

QTEST_MAIN(TestTrainingTime)
#include "test_trainingtime.moc"
