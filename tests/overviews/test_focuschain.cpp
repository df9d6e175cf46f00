// Every window with the keyboard alone: Tab reaches every control that takes
// input (in reading order where the design's order is not), each control
// has an accessible name and tells its checked state, a focused button shows
// it, a window's Alt letters differ and every captioned button has one;
// Ctrl+Tab and Ctrl+PgDn turn tab pages, Ctrl+P prints from the preview,
// Escape does what the cancel does; message boxes tell their text.

#include "overviewfixture.h"

#include "previewfixture.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTextEdit>
#include <QToolButton>

using platform::Answer;
using testsupport::OverviewFixture;
using Check = std::function<void(QWidget *)>;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (QWidget *target = focused() ? focused() : QApplication::activeWindow())
        QTest::keyClick(target, Qt::Key(key), modifiers);
}

void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// The control a focused part belongs to: the edit line of a spin box or a
// combo box is that box, a cell's editor its grid.
QWidget *control(QWidget *w)
{
    if (qobject_cast<QLineEdit *>(w) && (qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                                         || qobject_cast<QComboBox *>(w->parentWidget())))
        return w->parentWidget();
    for (QWidget *p = w ? w->parentWidget() : nullptr; p && !p->isWindow(); p = p->parentWidget())
        if (qobject_cast<QAbstractItemView *>(p))
            return p;
    return w;
}

bool takesInput(QWidget *w)
{
    return (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QSlider *>(w)
            || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QTabBar *>(w))
           && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && control(w) == w
           && !qobject_cast<QTabBar *>(w->parentWidget()); // a tab bar's arrows: the arrow keys
}

QString describe(QWidget *w)
{
    return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
}

// The letter after a single "&", or a null character.
QChar mnemonic(const QString &caption)
{
    const qsizetype at = QString(caption).replace(QLatin1String("&&"), QLatin1String("__")).indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toLower() : QChar();
}

// Letters used twice in one scope, and captions that need one and have none.
void checkScope(const QList<std::pair<QString, bool>> &captions, const QString &scope, QStringList &problems)
{
    QHash<QChar, QString> seen;
    for (const auto &[caption, needsOne] : captions) {
        const QChar m = mnemonic(caption);
        if (m.isNull() && needsOne && std::any_of(caption.begin(), caption.end(), [](QChar c) { return c.isLetter(); }))
            problems << scope + QStringLiteral(": no letter in ") + caption;
        else if (!m.isNull() && seen.contains(m))
            problems << scope + QStringLiteral(": %1 and %2 share %3").arg(seen[m], caption, m);
        if (!m.isNull())
            seen.insert(m, caption);
    }
}

} // namespace

class TestFocusChain : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;
    QStringList m_problems;
    QStringList m_chain; // the names along the Tab order of the last walk
    bool m_checked = false;

    QAction *action(const char *name) const { return f->form()->findChild<QAction *>(QLatin1String(name)); }
    template <class T = QPushButton> static T *in(QWidget *w, const char *name)
    {
        return w->findChild<T *>(QLatin1String(name));
    }

    // The dialog `name`, shown modally by `open`: `check` runs on it shown
    // and active, then it is cancelled (or closed by `close`).
    void modal(const QString &name, const std::function<void()> &open, const Check &check,
               const std::function<void(QDialog *)> &close = [](QDialog *d) { d->reject(); })
    {
        f->dialogs().onNext(name, [=](QDialog *d) {
            activate(d);
            check(d);
            if (d->isVisible())
                close(d);
        });
        open();
    }

    // Opens the window as the program does ("name/page" for a page of its
    // tabs) and runs `check` on it.
    void inWindow(const QString &window, const Check &check)
    {
        const QString name = window.section(QLatin1Char('/'), 0, 0);
        const int page = window.section(QLatin1Char('/'), 1).toInt();
        m_checked = false;
        const Check checked = [&](QWidget *w) {
            m_checked = true;
            check(w);
        };
        if (name == QLatin1String("bwprformd5") || name == QLatin1String("frmSelectPrinter")) {
            engine::Document doc = testsupport::numberedDocument(3);
            store::Session session;
            platform::ScriptedModalRunner dialogs;
            platform::PdfPrinters printers(QDir::tempPath(), {QStringLiteral("Drucker A")});
            testsupport::PreviewWindow w(doc, session, nullptr, engine::PrintKind::BulkPrint);
            activate(w.get());
            if (name == QLatin1String("bwprformd5"))
                return checked(w.get());
            dialogs.onNext(name, [&](QDialog *d) {
                activate(d);
                checked(d);
                d->reject();
            });
            return w.click("druckbtn");
        }
        f->start(1);
        for (int n = 1; n <= 2; ++n)
            f->addSheet(1, n, 1, QDate(2026, 1, 5).addDays(7 * n), {29});
        f->overview().uebersichtanzeigewahlClick();
        const auto editor = [&](const std::function<void(Tberichtdlg &)> &then) {
            const auto run = [&](Tberichtdlg &d) {
                activate(&d);
                then(d);
                if (d.isVisible())
                    in(&d, "okbtn")->click();
            };
            name == QLatin1String("folgedialog") ? f->openExisting(1, 1, run) : f->create({29}, run);
        };
        auto *tabs = f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        if (name == QLatin1String("MainForm")) {
            if (page == 0) {
                f->click(29); // the page's stop: a chosen item
                f->label("myl", 29)->setFocus();
            }
            tabs->setCurrentIndex(page);
            activate(f->form());
            checked(f->form());
        } else if (name == QLatin1String("grunddatendlg")) {
            modal(name, [&] { action("Grunddaten1")->trigger(); }, checked);
        } else if (name == QLatin1String("AboutBox")) {
            modal(name, [&] { action("HelpAboutItem")->trigger(); }, checked);
        } else if (name == QLatin1String("uebersichtdlg")) {
            modal(name, [&] { action("bersichtdieAusbildungszeit1")->trigger(); }, checked);
        } else if (name.startsWith(QLatin1String("E"))) {
            modal(QStringLiteral("EXIMMainForm"), [&] { action("ImportExport1")->trigger(); }, [&](QWidget *d) {
                d->findChild<QTabWidget *>()->setCurrentIndex(page);
                if (name == QLatin1String("EximInfo"))
                    return modal(name, [&] { in<QAction>(d, "Info1")->trigger(); }, checked);
                checked(d);
            });
        } else if (name == QLatin1String("drauswdlg")) {
            tabs->setCurrentIndex(1);
            modal(name, [&] { in(f->form(), "BitBtn1")->click(); }, checked);
        } else if (name == QLatin1String("berichtdlg")) {
            editor([&](Tberichtdlg &d) {
                d.seiten()->setCurrentIndex(page);
                checked(&d);
            });
        } else if (name == QLatin1String("folgedialog")) {
            editor([&](Tberichtdlg &d) { modal(name, [&] { in(&d, "folgeblattbtn")->click(); }, checked); });
        } else if (name == QLatin1String("bernoclosedlg")) {
            editor([&](Tberichtdlg &d) {
                in<QLineEdit>(&d, "anfedit")->clear();
                modal(name, [&] { in(&d, "okbtn")->click(); }, checked, [](QDialog *b) { b->accept(); });
                f->messages().answer(Answer::Yes);
                d.reject();
            });
        } else if (name == QLatin1String("kaldlg")) {
            f->click(29);
            f->dialogs().onNext(name, [&](QDialog *d) {
                activate(d);
                checked(d);
                static_cast<Tkaldlg *>(d)->kalenderDblClick();
            });
            f->dialogs().onNext(QStringLiteral("berichtdlg"), [](QDialog *d) { in(d, "okbtn")->click(); });
            f->tab().erzeugbtn()->click();
        }
        QVERIFY2(m_checked, "the window did not show");
    }

    // Tab from the focused control until the focus comes back round; every
    // input control on the way, each named; a button looks different with
    // the focus than without it.
    void walk(QWidget *window)
    {
        if (!focused() || focused()->window() != window)
            press(Qt::Key_Tab);
        window->setAttribute(Qt::WA_KeyboardFocusChange); // as after any Tab
        QList<QWidget *> chain;
        QWidget *button = nullptr;
        QImage focusedLook;
        for (int i = 0; i < 120 && focused(); ++i) {
            QWidget *w = control(focused());
            if (button && button != w && focusedLook == button->grab().toImage())
                m_problems << describe(button) + QStringLiteral(": the focus does not show");
            button = qobject_cast<QRadioButton *>(w) ? nullptr : qobject_cast<QAbstractButton *>(w);
            if (button)
                focusedLook = button->grab().toImage();
            if (chain.contains(w)) {
                if (w != chain.first())
                    m_problems << QStringLiteral("Tab goes round without the first control, at ") + describe(w);
                break;
            }
            chain.append(w);
            // A grid whose cells Tab walks is left with Ctrl+Tab.
            auto *grid = qobject_cast<QAbstractItemView *>(w);
            press(Qt::Key_Tab, grid && grid->tabKeyNavigation() ? Qt::ControlModifier : Qt::NoModifier);
        }
        m_chain.clear();
        for (QWidget *w : chain) {
            m_chain << w->objectName();
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            auto *box = qobject_cast<QAbstractButton *>(w);
            auto *item = qobject_cast<plan::PlanLabel *>(w);
            if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
                m_problems << describe(w) + QStringLiteral(": no accessible name");
            else if (((box && box->isCheckable()) || item)
                     && (!a->state().checkable
                         || bool(a->state().checked)
                                != (box ? box->isChecked() : OverviewFixture::colour(item) == plan::colours::chosen)))
                m_problems << describe(w) + QStringLiteral(": checked or not is not told");
        }
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window || !w->isVisibleTo(window) || !takesInput(w) || chain.contains(w))
                continue;
            // Of round buttons that exclude each other Tab reaches one; the
            // calendar's keys are its own.
            const auto sibling = [&](QWidget *c) { return c->parentWidget() == w->parentWidget(); };
            if (!(qobject_cast<QRadioButton *>(w) && std::any_of(chain.begin(), chain.end(), sibling))
                && window->objectName() != QLatin1String("kaldlg"))
                m_problems << describe(w) + QStringLiteral(": not reached by Tab");
        }
    }

    void mnemonics(QWidget *window)
    {
        QList<std::pair<QString, bool>> captions;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window || !w->isVisibleTo(window))
                continue;
            auto *tool = qobject_cast<QToolButton *>(w);
            if (auto *b = qobject_cast<QAbstractButton *>(w); b && (!tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly))
                captions.append({b->text(), !tool && b->focusPolicy() != Qt::NoFocus}); // a box that only shows
            else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
                captions.append({l->text(), false});
            else if (auto *bar = qobject_cast<QTabBar *>(w))
                for (int i = 0; i < bar->count(); ++i)
                    captions.append({bar->tabText(i), false});
            else if (auto *menus = qobject_cast<QMenuBar *>(w))
                for (QAction *a : menus->actions())
                    captions.append({a->text(), true});
        }
        checkScope(captions, window->objectName(), m_problems);
        for (QMenu *menu : window->findChildren<QMenu *>()) { // each menu a scope of its own
            if (!menu->parentWidget() || menu->parentWidget()->window() != window)
                continue;
            QList<std::pair<QString, bool>> items;
            for (QAction *a : menu->actions())
                if (!a->isSeparator())
                    items.append({a->text(), true});
            checkScope(items, menu->objectName(), m_problems);
        }
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup()
    {
        f.reset();
        m_problems.clear();
    }

    void everyWindowByKeyboard_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("order"); // where it is not the order of creation
        for (const char *w : {"MainForm/0", "MainForm/1", "MainForm/2", "grunddatendlg", "AboutBox", "EXIMMainForm/0",
                              "EXIMMainForm/1", "EximInfo", "berichtdlg/0", "berichtdlg/1", "berichtdlg/2",
                              "folgedialog", "bernoclosedlg", "kaldlg", "bwprformd5", "frmSelectPrinter"})
            QTest::newRow(w) << w << "";
        QTest::newRow("drauswdlg") << "drauswdlg"
                                   << "CheckListBox1 auswahlVbtn abwahlVbtn CheckListBox2 auswahlRbtn abwahlRbtn "
                                      "beidseitigcheck vorschaubtn closebtn";
        QTest::newRow("uebersichtdlg") << "uebersichtdlg"
                                       << "vom1 bis1 vom2 bis2 vom3 bis3 insert DBGrid1 okbtn abbruchbtn vorschaubtn";
    }
    void everyWindowByKeyboard()
    {
        QFETCH(QString, window);
        QFETCH(QString, order);
        inWindow(window, [&](QWidget *w) {
            if (QWidget *first = order.isEmpty() ? nullptr : w->findChild<QWidget *>(order.section(QLatin1Char(' '), 0, 0)))
                first->setFocus();
            walk(w);
            if (window != QLatin1String("kaldlg")) // the calendar's letters are its own
                mnemonics(w);
        });
        QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(QLatin1Char('\n'))));
        if (!order.isEmpty())
            QCOMPARE(m_chain.join(QLatin1Char(' ')), order);
    }

    // A key does what its button or tab does.
    void keys_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus"); // the control that has the focus, or none
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        // "page N" of the tabs named after it, "closes", "asks" a question,
        // "dialog NAME" shown, "click NAME", "focus NAME"
        QTest::addColumn<QString>("expected");
        const int none = Qt::NoModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
        const int shift = ctrl | Qt::ShiftModifier, tab = Qt::Key_Tab, esc = Qt::Key_Escape;
        QTest::newRow("main Ctrl+Tab") << "MainForm/0" << "ComboBox1" << tab << ctrl << "page 1 PageControl1";
        QTest::newRow("main Ctrl+PgDn") << "MainForm/1" << "DBGrid3" << int(Qt::Key_PageDown) << ctrl
                                        << "page 2 PageControl1";
        QTest::newRow("main Ctrl+Shift+Tab") << "MainForm/0" << "verkuerztbox" << tab << shift << "page 2 PageControl1";
        QTest::newRow("main Ctrl+PgUp") << "MainForm/2" << "BitBtn2" << int(Qt::Key_PageUp) << ctrl
                                        << "page 1 PageControl1";
        QTest::newRow("plan: the parts turn") << "MainForm/0" << "myl29" << tab << ctrl << "page 5 PageControl2";
        QTest::newRow("editor Ctrl+Tab") << "berichtdlg/0" << "okbtn" << tab << ctrl << "page 1 seiten";
        QTest::newRow("editor Ctrl+Shift+Tab") << "berichtdlg/0" << "anfedit" << tab << shift << "page 2 seiten";
        QTest::newRow("rich text: Ctrl+Tab types") << "berichtdlg/0" << "taetigkeitedit" << tab << ctrl
                                                   << "page 0 seiten";
        QTest::newRow("rich text: Ctrl+PgDn") << "berichtdlg/0" << "taetigkeitedit" << int(Qt::Key_PageDown) << ctrl
                                              << "page 1 seiten";
        QTest::newRow("exim Ctrl+Tab") << "EXIMMainForm/0" << "fertigbtn" << tab << ctrl << "page 1 PageControl1";
        for (const char *w : {"grunddatendlg", "AboutBox", "uebersichtdlg", "EXIMMainForm/0", "drauswdlg",
                              "folgedialog", "frmSelectPrinter", "bwprformd5"})
            QTest::newRow(qPrintable(QStringLiteral("Esc ") + w)) << w << "" << esc << none << "closes";
        // The editor's Escape is the key of the delete button of its plan
        // items, which asks first.
        QTest::newRow("editor Esc") << "berichtdlg/0" << "anfedit" << esc << none << "asks";
        QTest::newRow("preview Ctrl+P") << "bwprformd5" << "" << int(Qt::Key_P) << ctrl << "dialog frmSelectPrinter";
        QTest::newRow("preview Alt+P") << "bwprformd5" << "" << int(Qt::Key_P) << alt << "click pdfbtn";
        QTest::newRow("main Alt+A") << "MainForm/0" << "" << int(Qt::Key_A) << alt << "click verkuerztbox";
        QTest::newRow("main Alt+T") << "MainForm/0" << "" << int(Qt::Key_T) << alt << "focus ComboBox1";
        QTest::newRow("main Alt+S") << "MainForm/1" << "" << int(Qt::Key_S) << alt << "click BitBtn1";
        QTest::newRow("editor Alt+T") << "berichtdlg/0" << "" << int(Qt::Key_T) << alt << "focus taetigkeitedit";
        QTest::newRow("editor Alt+W") << "berichtdlg/0" << "" << int(Qt::Key_W) << alt << "focus anfedit";
        QTest::newRow("Grunddaten Alt+M") << "grunddatendlg" << "" << int(Qt::Key_M) << alt << "focus abname";
        QTest::newRow("Sammeldruck Alt+U") << "drauswdlg" << "" << int(Qt::Key_U) << alt << "click auswahlRbtn";
        QTest::newRow("exim Alt+W") << "EXIMMainForm/1" << "" << int(Qt::Key_W) << alt << "click lrestorebtn";
    }
    void keys()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        const QString kind = expected.section(QLatin1Char(' '), 0, 0), target = expected.section(QLatin1Char(' '), -1);
        QString outcome;
        inWindow(window, [&](QWidget *w) {
            if (QWidget *c = focus.isEmpty() ? nullptr : w->findChild<QWidget *>(focus))
                c->setFocus();
            if (kind == QLatin1String("asks"))
                f->messages().answer(Answer::No);
            auto *pages = in<QTabWidget>(w, qPrintable(target));
            // The editor's page change takes the pictures' zooms into its row.
            QSlider *zoom = qobject_cast<Tberichtdlg *>(w) ? in<QSlider>(w, "TrackBar1") : nullptr;
            const int zoomSet = zoom && f->reports().asInt(QStringLiteral("Zoom1")) == 40 ? 45 : 40;
            if (zoom) {
                const QSignalBlocker quietZoom(zoom);
                zoom->setValue(zoomSet);
            }
            std::unique_ptr<platform::ScriptedModalRunner> dialogs;
            int shown = 0;
            if (kind == QLatin1String("dialog")) {
                dialogs = std::make_unique<platform::ScriptedModalRunner>();
                dialogs->onNext(target, [&](QDialog *d) {
                    ++shown;
                    d->reject();
                });
            }
            // A button pressed, not run: a key presses it down and clicks
            // it a moment later.
            QAbstractButton *button = kind == QLatin1String("click") ? in<QAbstractButton>(w, qPrintable(target)) : nullptr;
            const QSignalBlocker quiet(button);
            const qsizetype questions = f->messages().questions().size();
            QPointer<QWidget> guard(w);
            press(key, Qt::KeyboardModifiers(modifiers));
            const bool down = button && button->isDown();
            QTest::qWait(150);
            if (!guard || !guard->isVisible())
                outcome = QStringLiteral("closes");
            else if (f->messages().questions().size() > questions)
                outcome = QStringLiteral("asks");
            else if (shown)
                outcome = QStringLiteral("dialog ") + target;
            else if (down)
                outcome = QStringLiteral("click ") + target;
            else if (pages)
                outcome = QStringLiteral("page %1 %2").arg(pages->currentIndex()).arg(target)
                          + (zoom && pages->currentIndex() > 0 && f->reports().asInt(QStringLiteral("Zoom1")) != zoomSet
                                 ? QStringLiteral(" without the editor's page change")
                                 : QString());
            else if (focused())
                outcome = QStringLiteral("focus ") + control(focused())->objectName();
        });
        QCOMPARE(outcome, expected);
    }

    void messageBoxesTellTheirText()
    {
        platform::setMessages(nullptr);
        const QString text = QStringLiteral("Der Bericht wurde nicht gespeichert.");
        QString name, description;
        QTimer::singleShot(0, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                description = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
                name = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        platform::messages().error(text);
        platform::setMessages(&f->messages());
        QVERIFY(!name.isEmpty());
        QCOMPARE(description, text);
    }
};

QTEST_MAIN(TestFocusChain)
#include "test_focuschain.moc"
