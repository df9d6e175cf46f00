// The program without a mouse: every key goes to the control that has the
// focus in the active window. Plan items reached with Tab and chosen with
// Space, the report list opened with Enter and deleted with Delete, the
// preview paged with its keys, the wheel and the page field, the rich-text
// fields left with Tab.

#include "overviewfixture.h"

#include "previewfixture.h"

#include <QAccessible>
#include <algorithm>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTextCursor>
#include <QWheelEvent>

using platform::Answer;
using testsupport::OverviewFixture;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

// A key as the keyboard delivers it: to the focused control.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = focused();
    QVERIFY2(target, "nothing has the focus");
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// Keys with their modifiers (Qt::SHIFT | Qt::Key_Tab), one after the other,
// each to the control focused then.
void pressAll(const QList<int> &keys)
{
    for (int k : keys)
        press(k & ~int(Qt::KeyboardModifierMask), Qt::KeyboardModifiers(k & int(Qt::KeyboardModifierMask)));
}

QString labelText(QWidget *window, const char *name)
{
    auto *label = window->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

// Tab until a control that `match` accepts has the focus (at most 12 times).
template <class Match> bool tabTo(Match match)
{
    for (int i = 0; i < 12; ++i) {
        if (focused() && match(focused()))
            return true;
        QTest::keyClick(focused(), Qt::Key_Tab);
    }
    return focused() && match(focused());
}

void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// Pixels of the colour on the label's outermost row and column: the focus
// frame.
int framePixels(QWidget *label, const QColor &colour)
{
    const QImage image = label->grab().toImage();
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixelColor(x, 0) == colour;
    for (int y = 0; y < image.height(); ++y)
        n += image.pixelColor(0, y) == colour;
    return n;
}

void wheel(QWidget *target, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// The first line the help window shows, the heading of its section.
QString helpShown()
{
    for (QWidget *w : QApplication::allWidgets())
        if (auto *help = qobject_cast<QTextBrowser *>(w); help && w->objectName() == u"HelpWindow" && w->isVisible())
            return help->cursorForPosition(QPoint(2, 2)).block().text().trimmed();
    return QStringLiteral("(no help shown)");
}

QDate week(int n)
{
    return QDate(2026, 1, 5).addDays(7 * n);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;

    // The items of the page shown, in the order they stand.
    QVector<plan::PlanLabel *> shownItems() const
    {
        QVector<plan::PlanLabel *> items;
        for (plan::PlanLabel *l : f->tab().pages().sheet(f->tab().partIndex() + 1)->findChildren<plan::PlanLabel *>())
            if (l->role() == plan::PlanLabel::Role::Item && l->selectable() && !l->isHidden())
                items.append(l);
        std::sort(items.begin(), items.end(), [](auto *a, auto *b) { return a->y() < b->y(); });
        return items;
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup() { f.reset(); }

    void reportFromThePlanWithKeysOnly()
    {
        f->start(1);
        activate(f->form());
        f->tab().setPartIndex(4); // part 5
        f->tab().ComboBox1()->setFocus();
        QVERIFY(tabTo([](QWidget *w) { return qobject_cast<plan::PlanLabel *>(w); }));
        auto *item = qobject_cast<plan::PlanLabel *>(focused());
        // One stop for the page: its first item, framed in its own blue.
        QCOMPARE(item, shownItems().value(0));
        QCOMPARE(accessibleName(item), item->text());
        QVERIFY(framePixels(item, plan::colours::selectable) > 10);

        for (int i = 0; i < 40 && focused() != f->label("myl", 29); ++i)
            press(Qt::Key_Down);
        item = f->label("myl", 29);
        QCOMPARE(focused(), item);
        press(Qt::Key_Space);
        QCOMPARE(f->listEntries(), QStringList{QStringLiteral("5 ") + item->text()});
        QCOMPARE(OverviewFixture::colour(item), plan::colours::chosen);
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("1"));
        QVERIFY(QAccessible::queryAccessibleInterface(item)->text(QAccessible::Description).contains("ausgewählt"));
        // Space on a chosen item beeps as a click does (for the raised use
        // count and for the chosen item), and chooses nothing.
        press(Qt::Key_Space);
        QCOMPARE(f->messages().beeps(), 2);
        QCOMPARE(f->compositionRows(), 1);
        // A second item, the next one down.
        press(Qt::Key_Down);
        const QString second = focused()->objectName().mid(3); // "myl" and the tag
        pressAll({Qt::Key_Space, Qt::Key_Up});
        QCOMPARE(f->compositionRows(), 2);

        // Tab leaves the page (no other item is a stop) for the list, then
        // the button that creates the report.
        press(Qt::Key_Tab);
        QCOMPARE(focused(), f->tab().zusammenstellung());
        QCOMPARE(framePixels(item, plan::colours::chosen), 0);
        press(Qt::Key_Tab);
        QCOMPARE(focused(), f->tab().erzeugbtn());
        // The week picker opens on this week's Monday (9 March); Down goes a
        // week on, Enter takes it.
        QString week;
        f->dialogs().onNext(QStringLiteral("kaldlg"), [&](QDialog *d) {
            activate(d);
            press(Qt::Key_Down);
            week = labelText(d, "wochenzeile");
            press(Qt::Key_Return);
        });
        // The editor: into the plan items, ticks in their boxes, the
        // activities typed, Enter in the date field stores.
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            activate(d);
            if (tabTo([](QWidget *w) { return w->objectName() == QLatin1String("detailmemo"); })) {
                // The list opens on the last item: its box "Betriebliche
                // Ausbildung", the first item's box "ÜLU", the activities.
                pressAll({Qt::Key_Tab, Qt::Key_Space, Qt::Key_Up, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Tab});
                QTest::keyClicks(focused(), QStringLiteral("Schornsteine gekehrt"));
                tabTo([](QWidget *w) { return w->objectName() == QLatin1String("datumedit"); });
                press(Qt::Key_Return);
            }
            if (d->isVisible()) {
                f->messages().answer(Answer::Yes);
                d->reject();
            }
        });
        press(Qt::Key_Space);
        QCOMPARE(f->dialogs().pendingNames(), QStringList());
        QCOMPARE(week, QStringLiteral("Mo 16.03.2026 – Fr 20.03.2026"));
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheVom || ' ' || WocheBis || ' ' || Datum || ' ' || Nummer || ' ' || "
                                       "(SELECT group_concat(LfdfTag || ':' || ifnull(BA, 0) || ifnull(UELU, 0), ' ') "
                                       "FROM berdet WHERE Masterlfd = BerLfd) FROM bericht"))
                     .toString(),
                 QStringLiteral("2026-03-16 2026-03-20 2026-03-20 1 29:01 %1:10").arg(second));
        QVERIFY(f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString().contains("Schornsteine gekehrt"));
        // Backwards Tab from the list reaches the item the page had last.
        activate(f->form());
        f->tab().zusammenstellung()->setFocus();
        f->tab().setPartIndex(4);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focused(), f->label("myl", 29));
    }

    void arrowKeysMoveBetweenItems_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("from"); // index among the page's items; -1: the last
        QTest::addColumn<int>("to");
        QTest::newRow("Down") << int(Qt::Key_Down) << 1 << 2;
        QTest::newRow("Right") << int(Qt::Key_Right) << 1 << 2;
        QTest::newRow("Up") << int(Qt::Key_Up) << 1 << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << 1 << 0;
        QTest::newRow("Up on the first") << int(Qt::Key_Up) << 0 << 0;
        QTest::newRow("Down on the last") << int(Qt::Key_Down) << -1 << -1;
        QTest::newRow("Home") << int(Qt::Key_Home) << 2 << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 1 << -1;
    }
    void arrowKeysMoveBetweenItems()
    {
        QFETCH(int, key);
        QFETCH(int, from);
        QFETCH(int, to);
        f->start(1);
        activate(f->form());
        f->tab().setPartIndex(4);
        const QVector<plan::PlanLabel *> items = shownItems();
        QVERIFY(items.size() > 3);
        items.value(from < 0 ? items.size() - 1 : from)->setFocus();
        press(key);
        QCOMPARE(focused(), items.value(to < 0 ? items.size() - 1 : to));
        // Moving chooses nothing.
        QCOMPARE(f->compositionRows(), 0);
    }

    void enterOpensARow_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter);
    }
    void enterOpensARow()
    {
        QFETCH(int, key);
        f->start(1);
        f->addSheet(1, 1, 1, week(1));
        f->addSheet(1, 2, 1, week(2));
        f->addSheet(1, 3, 1, week(3));
        f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        activate(f->form());
        controls::DBGrid *grid = f->overview().DBGrid3();
        QVERIFY(f->select(1, 1, 1));
        grid->setFocus();
        QCOMPARE(accessibleName(grid), QStringLiteral("Berichte"));
        press(Qt::Key_Down);
        int shown = 0;
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            shown = f->reports().asInt(QStringLiteral("Nummer"));
            d->reject();
        });
        press(key);
        QCOMPARE(shown, 2);
        QCOMPARE(f->dialogs().pendingNames(), QStringList());
        // Tab leaves the grid for the next control.
        activate(f->form());
        grid->setFocus();
        press(Qt::Key_Tab);
        QVERIFY(focused() != grid);
        QVERIFY(!grid->isAncestorOf(focused()));
    }

    void deleteAsksAsTheButtonDoes_data()
    {
        QTest::addColumn<int>("display"); // 0 alle Jahre, 1 aktuelles Jahr
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("left");
        QTest::newRow("Yes") << 1 << Answer::Yes << "1/1 2/1";
        QTest::newRow("No") << 1 << Answer::No << "1/1 2/1 3/1";
        QTest::newRow("all years: no deletion") << 0 << Answer::Yes << "1/1 2/1 3/1";
    }
    void deleteAsksAsTheButtonDoes()
    {
        QFETCH(int, display);
        QFETCH(Answer, answer);
        QFETCH(QString, left);
        f->start(1);
        for (int n = 1; n <= 3; ++n)
            f->addSheet(1, n, 1, week(n));
        f->choose(display);
        f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        activate(f->form());
        QVERIFY(f->select(1, 2, 1));
        f->overview().DBGrid3()->setFocus();
        f->messages().answer(answer);
        press(Qt::Key_Delete);
        QCOMPARE(f->messages().questions().size(), display == 1 ? 1 : 0);
        if (display == 1)
            QVERIFY(f->messages().questions().value(0).startsWith("Wollen Sie Bericht Nr. 2, Blatt 1"));
        else
            QCOMPARE(f->messages().beeps(), 1);
        QCOMPARE(f->sql(QStringLiteral("SELECT group_concat(Nummer || '/' || Blatt, ' ') FROM "
                                       "(SELECT * FROM bericht ORDER BY WocheVom)"))
                     .toString(),
                 left);
    }

    // The week picker with keys; the line below the calendar names the
    // days the report will cover before the last key.
    void weekPickerKeys_data()
    {
        QTest::addColumn<QList<int>>("keys"); // the last one closes the picker
        QTest::addColumn<QString>("line");    // the covered days, a note beneath
        QTest::addColumn<QDate>("from");      // the week's first day set; null: cancelled
        const QString notMonday = QStringLiteral("|(beginnt nicht am Montag)");
        QTest::newRow("Enter") << QList<int>{Qt::Key_Return} << "Mo 09.03.2026 – Fr 13.03.2026|" << QDate(2026, 3, 9);
        QTest::newRow("a Wednesday") << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
                                     << "Mi 11.03.2026 – So 15.03.2026" + notMonday << QDate(2026, 3, 11);
        QTest::newRow("Down: a week on") << QList<int>{Qt::Key_Down, Qt::Key_Enter} << "Mo 16.03.2026 – Fr 20.03.2026|"
                                         << QDate(2026, 3, 16);
        QTest::newRow("PgDn: a month on") << QList<int>{Qt::Key_PageDown, Qt::Key_Return}
                                          << "Do 09.04.2026 – Mo 13.04.2026" + notMonday << QDate(2026, 4, 9);
        QTest::newRow("PgUp, Left: a Sunday") << QList<int>{Qt::Key_PageUp, Qt::Key_Left, Qt::Key_Return}
                                              << "So 08.02.2026 – Do 12.02.2026" + notMonday << QDate(2026, 2, 8);
        QTest::newRow("Escape") << QList<int>{Qt::Key_Up, Qt::Key_Escape} << "Mo 02.03.2026 – Fr 06.03.2026|"
                                << QDate();
    }
    void weekPickerKeys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, line);
        QFETCH(QDate, from);
        f->start(1);
        QString shown;
        f->dialogs().onNext(QStringLiteral("kaldlg"), [&](QDialog *d) {
            activate(d);
            pressAll(keys.mid(0, keys.size() - 1));
            shown = labelText(d, "wochenzeile") + QLatin1Char('|') + labelText(d, "wochenhinweis");
            press(keys.last());
            if (d->isVisible())
                d->reject();
        });
        QStringList dates;
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            for (const char *name : {"anfedit", "endedit", "datumedit"})
                dates << d->findChild<QLineEdit *>(QLatin1String(name))->text();
            f->messages().answer(Answer::Yes);
            d->reject();
        });
        f->click(29);
        f->tab().erzeugbtn()->click();
        QCOMPARE(shown, line);
        // Cancelled, the new report keeps what it had: no week, today's date.
        const QString to = from.addDays(4).toString(QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(dates.join(' '), from.isValid() ? from.toString(QStringLiteral("dd.MM.yyyy")) + ' ' + to + ' ' + to
                                                 : QStringLiteral("  10.03.2026"));
    }

    // The plan items of the editor: one stop of the Tab order that enters
    // the current row, its memo and boxes; Up and Down change the row;
    // Escape still asks to delete the current item.
    void detailGridKeys_data()
    {
        QTest::addColumn<QList<int>>("keys"); // from the delete button, on the first of three rows
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("marks"); // BA and UELU of the rows
        const int tab = Qt::Key_Tab, down = Qt::Key_Down, backtab = (Qt::SHIFT | Qt::Key_Tab).toCombined();
        QTest::newRow("Tab: the memo") << QList<int>{tab} << "detailmemo" << 0 << "00 00 00";
        QTest::newRow("Space ticks") << QList<int>{tab, tab, Qt::Key_Space} << "DBCheckBox1" << 0 << "10 00 00";
        QTest::newRow("Down, Tab, Space") << QList<int>{tab, tab, down, tab, Qt::Key_Space} << "DBCheckBox2" << 1
                                          << "00 01 00";
        QTest::newRow("Down past the last") << QList<int>{tab, tab, down, down, down} << "DBCheckBox1" << 2
                                            << "00 00 00";
        QTest::newRow("Down, Up") << QList<int>{tab, tab, down, Qt::Key_Up} << "DBCheckBox1" << 0 << "00 00 00";
        QTest::newRow("memo: Down at its end") << QList<int>{tab, (Qt::CTRL | Qt::Key_End).toCombined(), down}
                                               << "detailmemo" << 1 << "00 00 00";
        QTest::newRow("Tab out") << QList<int>{tab, tab, tab, tab} << "taetigkeitedit" << 0 << "00 00 00";
        QTest::newRow("Shift+Tab in") << QList<int>{tab, tab, down, tab, tab, backtab} << "DBCheckBox2" << 1
                                      << "00 00 00";
        QTest::newRow("Shift+Tab out") << QList<int>{tab, tab, down, backtab, backtab} << "loeschbtn" << 1 << "00 00 00";
        QTest::newRow("Escape") << QList<int>{tab, tab, down, Qt::Key_Escape} << "DBCheckBox1" << 1 << "00 00 00";
    }
    void detailGridKeys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, control);
        QFETCH(int, row);
        QFETCH(QString, marks);
        f->start(1);
        f->create({29, 30, 31}, [&](Tberichtdlg &d) {
            [&] { // returns at the first failure, the dialog still to be closed
            activate(&d);
            store::Table &items = f->tables().temptable();
            items.first(); // the list opens on the last item
            d.loeschbtn()->setFocus();
            if (keys.contains(Qt::Key_Escape))
                f->messages().answer(Answer::No);
            pressAll(keys);
            QCOMPARE(focused() ? focused()->objectName() : QString(), control);
            QCOMPARE(items.recNo(), row);
            QWidget *panel = d.detailgrid()->panel(row);
            QCOMPARE(panel->palette().color(QPalette::Window), QColor(0x8d, 0xa3, 0xbc));
            QStringList m;
            for (int r = 0; r < 3; ++r)
                for (const char *box : {"DBCheckBox1", "DBCheckBox2"})
                    m << QString::number(d.detailgrid()->panel(r)->findChild<QCheckBox *>(box)->isChecked());
            QCOMPARE(m.join(QString()), QString(marks).remove(QLatin1Char(' ')));
            // Escape asks about the item of the row reached.
            const QStringList questions = f->messages().questions();
            QCOMPARE(questions.size(), int(keys.contains(Qt::Key_Escape)));
            QVERIFY(questions.isEmpty()
                    || questions[0].contains(panel->findChild<controls::DBMemo *>("detailmemo")->displayLines()[0]));
            }();
            f->messages().answer(Answer::Yes);
            d.reject();
        });
    }

    // F1 in a window opened from the report list lands on the section that
    // explains that window.
    void f1OpensTheSectionOfTheWindow_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("modal");
        QTest::addColumn<QString>("section");
        QTest::newRow("Anzeigen") << "beranzeigebtn" << "berichtdlg" << true << "Bericht bearbeiten";
        QTest::newRow("Sammeldruck") << "BitBtn1" << "drauswdlg" << true << "Sammeldruck";
        QTest::newRow("Vorschau") << "beruebersichtdruckbtn" << "bwprformd5" << false << "Druckvorschau";
    }
    void f1OpensTheSectionOfTheWindow()
    {
        QFETCH(QString, button);
        QFETCH(QString, window);
        QFETCH(bool, modal);
        QFETCH(QString, section);
        f->start(1);
        f->addSheet(1, 1, 1, week(1));
        f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        QVERIFY(f->select(1, 1, 1));
        QString shown;
        const auto inWindow = [&](QWidget *w) {
            activate(w);
            press(Qt::Key_F1);
            shown = helpShown();
        };
        if (modal) {
            f->dialogs().onNext(window, [&](QDialog *d) {
                inWindow(d);
                d->reject();
            });
        } else {
            // The button returns when its window is closed.
            QTimer::singleShot(0, [&] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->objectName() == window && w->isVisible()) {
                        inWindow(w);
                        w->close();
                    }
            });
        }
        f->overview().findChild<QPushButton *>(button)->click();
        QCOMPARE(f->dialogs().pendingNames(), QStringList());
        QCOMPARE(shown, section);
    }

    void previewPagesWithKeys_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("page");
        QTest::newRow("PgDn") << QList<int>{Qt::Key_PageDown} << 2;
        QTest::newRow("PgDn thrice, PgUp") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown,
                                                         Qt::Key_PageUp}
                                           << 3;
        QTest::newRow("End") << QList<int>{Qt::Key_End} << 5;
        QTest::newRow("End, PgDn beyond the last") << QList<int>{Qt::Key_End, Qt::Key_PageDown} << 5;
        QTest::newRow("End, Home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 1;
        QTest::newRow("PgUp before the first") << QList<int>{Qt::Key_PageUp} << 1;
    }
    void previewPagesWithKeys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, page);
        engine::Document doc = testsupport::numberedDocument(5);
        store::Session session;
        testsupport::PreviewWindow w(doc, session);
        activate(w.get());
        QCOMPARE(focused(), w.control("okbtn"));
        for (int key : keys)
            press(key);
        QCOMPARE(w->view()->pageNumber(), page);
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite %1 von ").arg(page));
        QCOMPARE(w.control<QSpinBox>("seitenfeld")->value(), page);
    }

    void previewPageField()
    {
        engine::Document doc = testsupport::numberedDocument(12);
        store::Session session;
        testsupport::PreviewWindow w(doc, session);
        activate(w.get());
        // Alt+G, the field's label's letter, goes to the field.
        press(Qt::Key_G, Qt::AltModifier);
        auto *field = w.control<QSpinBox>("seitenfeld");
        QCOMPARE(focused(), field);
        QCOMPARE(accessibleName(field), QStringLiteral("Gehe zu Seite"));
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_1);
        press(Qt::Key_1);
        QCOMPARE(w->view()->pageNumber(), 1); // not before Enter
        press(Qt::Key_Return);
        QCOMPARE(w->view()->pageNumber(), 11);
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 11 von "));
        QCOMPARE(field->accessibleDescription(), QStringLiteral("Seite 11 von 12"));
        QVERIFY(w.alive());
        // A number that is no page is not taken.
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_0);
        press(Qt::Key_Return);
        QCOMPARE(w->view()->pageNumber(), 11);
    }

    void previewZoomsWithKeysAndWheel_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("change");
        QTest::newRow("+") << "+" << 20;
        QTest::newRow("-") << "-" << -20;
        QTest::newRow("Ctrl+wheel away") << "wheel 120" << 20;
        QTest::newRow("Ctrl+wheel towards") << "wheel -240" << -40;
        QTest::newRow("Ctrl+half a notch") << "wheel 60" << 0;
    }
    void previewZoomsWithKeysAndWheel()
    {
        QFETCH(QString, input);
        QFETCH(int, change);
        engine::Document doc = testsupport::numberedDocument(3);
        store::Session session;
        testsupport::PreviewWindow w(doc, session);
        activate(w.get());
        w.control<QSpinBox>("SpinEdit1")->setValue(100);
        if (input == "+")
            press(Qt::Key_Plus);
        else if (input == "-")
            press(Qt::Key_Minus);
        else
            wheel(w->view()->viewport(), input.section(' ', 1).toInt(), Qt::ControlModifier);
        QCOMPARE(w->view()->zoom(), 100 + change);
        QCOMPARE(w.control<QSpinBox>("SpinEdit1")->value(), 100 + change);
        QCOMPARE(w->view()->pageNumber(), 1);
    }

    void previewWheelGoesOnAtThePageEnd()
    {
        engine::Document doc = testsupport::numberedDocument(3);
        store::Session session;
        testsupport::PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();
        w.control<QSpinBox>("SpinEdit1")->setValue(200);
        const int bottom = [&] {
            view->setScrollY(1 << 20);
            return view->scrollY();
        }();
        QVERIFY(bottom > 24);
        view->setScrollY(bottom - 12);
        wheel(view->viewport(), -120, Qt::NoModifier); // the last 12 pixels of page 1
        QCOMPARE(view->pageNumber(), 1);
        QCOMPARE(view->scrollY(), bottom);
        wheel(view->viewport(), -120, Qt::NoModifier); // on to page 2, at its top
        QCOMPARE(view->pageNumber(), 2);
        QCOMPARE(view->scrollY(), 0);
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 2 von "));
        wheel(view->viewport(), 120, Qt::NoModifier); // back to the end of page 1
        QCOMPARE(view->pageNumber(), 1);
        QCOMPARE(view->scrollY(), bottom);
    }

    void tabInARichTextField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("Tab leaves Tätigkeiten") << "taetigkeitedit" << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+Tab leaves Tätigkeiten") << "taetigkeitedit" << int(Qt::ShiftModifier) << true;
        QTest::newRow("Tab leaves Vermerke") << "DBRichEdit2" << int(Qt::NoModifier) << true;
        QTest::newRow("Ctrl+Tab types a tab") << "taetigkeitedit" << int(Qt::ControlModifier) << false;
    }
    void tabInARichTextField()
    {
        QFETCH(QString, field);
        QFETCH(int, modifiers);
        QFETCH(bool, leaves);
        f->start(1);
        QString before, after;
        QWidget *focusAfter = nullptr;
        controls::DBRichEdit *edit = nullptr;
        f->create({29}, [&](Tberichtdlg &d) {
            activate(&d);
            edit = d.findChild<controls::DBRichEdit *>(field);
            if (!edit) {
                d.reject();
                QFAIL("no such field");
            }
            edit->setFocus();
            if (focused() != edit) {
                d.reject();
                QFAIL("the field did not take the focus");
            }
            edit->moveCursor(QTextCursor::End);
            before = edit->toPlainText();
            press(Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
            after = edit->toPlainText();
            focusAfter = focused();
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        QCOMPARE(after, leaves ? before : before + QLatin1Char('\t'));
        QCOMPARE(focusAfter != edit, leaves);
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
