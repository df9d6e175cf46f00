// The spelling check in the report editor: what is underlined, the menu on
// a misspelt word, the apprentice's own words, a reviewed report that is
// only looked at, and a machine without a dictionary.

#include "controls/dictionary.h"
#include "controls/spelling.h"
#include "controls/wordlist.h"
#include "domain/marks.h"
#include "editorfixture.h"
#include "filesnapshot.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QWindow>

using platform::Answer;

namespace {

// The words of a field the check underlines.
QStringList underlined(QWidget *field)
{
    QTextDocument *doc = qobject_cast<QTextEdit *>(field) ? static_cast<QTextEdit *>(field)->document()
                                                           : static_cast<QPlainTextEdit *>(field)->document();
    QStringList out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (const QTextLayout::FormatRange &r : b.layout()->formats())
            if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline
                && r.format.underlineColor() == QColor(Qt::red))
                out << b.text().mid(r.start, r.length);
    return out;
}

QString plainText(QWidget *field)
{
    if (auto *e = qobject_cast<QTextEdit *>(field))
        return e->toPlainText();
    return static_cast<QPlainTextEdit *>(field)->toPlainText();
}

// Gives the field the focus the way a user does: its page, then a click.
QWidget *enter(Tberichtdlg &d, const QString &name)
{
    auto *pages = d.findChild<QTabWidget *>(QStringLiteral("seiten"));
    auto *field = d.findChild<QWidget *>(name);
    pages->setCurrentIndex(name == QLatin1String("taetigkeitedit") ? 0 : 1);
    d.activateWindow();
    field->setFocus();
    for (int i = 0; i < 100 && QApplication::focusWidget() != field; ++i)
        QTest::qWait(10);
    if (QApplication::focusWidget() != field)
        qWarning("no focus in %s", qPrintable(name));
    return field;
}

void type(const QString &text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Right-clicks the first occurrence of `word` in the field; the menu it opens.
QMenu *rightClick(QWidget *field, const QString &word)
{
    auto *edit = qobject_cast<QTextEdit *>(field);
    QTextCursor c = edit ? edit->document()->find(word) : static_cast<QPlainTextEdit *>(field)->document()->find(word);
    c.setPosition(c.selectionStart() + 1);
    const QRect r = edit ? edit->cursorRect(c) : static_cast<QPlainTextEdit *>(field)->cursorRect(c);
    QWidget *viewport = edit ? edit->viewport() : static_cast<QPlainTextEdit *>(field)->viewport();
    // Through the window, as the platform delivers a click, so that it
    // becomes a context menu event.
    QWindow *window = field->window()->windowHandle();
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier,
                      viewport->mapTo(field->window(), r.center() + QPoint(2, 0)));
    for (int i = 0; i < 100 && !QApplication::activePopupWidget(); ++i)
        QTest::qWait(20);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

// Chooses a menu item with the arrow keys and Enter.
void choose(QMenu *menu, const QString &objectName)
{
    for (QAction *a : menu->actions()) {
        if (a->isSeparator() || !a->isEnabled())
            continue;
        QTest::keyClick(menu, Qt::Key_Down);
        if (a->objectName() == objectName) {
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    qWarning("no item %s", qPrintable(objectName));
}

} // namespace

class TestSpelling : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::EditorFixture> f;
    void cancel(Tberichtdlg &d)
    {
        f->messages().answer(Answer::Yes);
        d.findChild<QPushButton *>(QStringLiteral("cancelbtn"))->click();
    }
    QString personal() const { return f->tables().dataDir() + QLatin1Char('/') + controls::personalWordsFile; }

private slots:
    void init()
    {
        controls::Speller::instance().setPlaces({});
        f = std::make_unique<testsupport::EditorFixture>();
        f->start(1);
        controls::writeWordList(personal(), {QStringLiteral("Flumpelrohr")});
    }
    void cleanup()
    {
        f.reset();
        controls::Speller::instance().setPlaces({});
    }

    // A misspelt word is underlined; the dictionary's, the trade's and the
    // apprentice's own words are not, nor a word still being typed.
    void underlinesWhatIsMisspelt_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        const QString text = QStringLiteral("Rußbrand im Kachelofeneinsatz, Flumpelrohr und Schornstien gekehrt. ");
        for (const char *field : {"taetigkeitedit", "DBRichEdit3", "DBMemo1"})
            QTest::newRow(field) << field << text << QStringList{QStringLiteral("Schornstien")};
        QTest::newRow("being typed") << "taetigkeitedit" << QStringLiteral("Der Schornstien")
                                     << QStringList();
        QTest::newRow("typed to its end") << "taetigkeitedit" << QStringLiteral("Der Schornstien.")
                                          << QStringList{QStringLiteral("Schornstien")};
        QTest::newRow("abbreviations, numbers") << "DBMemo1" << QStringLiteral("TRGI, CO2 usw. nach DIN 18160 ")
                                                << QStringList();
    }
    void underlinesWhatIsMisspelt()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        QVERIFY(controls::Speller::instance().available());
        f->create({27}, [&](Tberichtdlg &d) {
            QWidget *w = enter(d, field);
            type(typed);
            QCOMPARE(underlined(w), expected);
            cancel(d);
        });
    }

    // The menu on a misspelt word: a suggestion replaces it as one step to
    // undo; the apprentice's list takes a word for good, "Ignorieren" for
    // this run; either way it loses its underline in every open text.
    void theMenuOnAMisspeltWord_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("underlinedElsewhere");
        QTest::addColumn<QStringList>("ownWords");
        const QStringList own{QStringLiteral("Flumpelrohr")};
        QTest::newRow("suggestion") << "Vorschlag1" << "Der Schornstein kalt."
                                    << QStringList{QStringLiteral("Schornstien")} << own;
        QTest::newRow("into the list") << "ZumWoerterbuchhinzufuegen1" << "Der Schornstien kalt." << QStringList()
                                       << QStringList{QStringLiteral("Flumpelrohr"), QStringLiteral("Schornstien")};
        QTest::newRow("ignored") << "Ignorieren1" << "Der Schornstien kalt." << QStringList() << own;
    }
    void theMenuOnAMisspeltWord()
    {
        QFETCH(QString, item);
        QFETCH(QString, text);
        QFETCH(QStringList, underlinedElsewhere);
        QFETCH(QStringList, ownWords);
        f->create({27}, [&](Tberichtdlg &d) {
            QWidget *back = enter(d, QStringLiteral("DBRichEdit3"));
            type(QStringLiteral("Schornstien "));
            QWidget *front = enter(d, QStringLiteral("taetigkeitedit"));
            type(QStringLiteral("Der Schornstien kalt."));
            QMenu *menu = rightClick(front, QStringLiteral("Schornstien"));
            QVERIFY(menu);
            QCOMPARE(menu->actions().first()->text(), QStringLiteral("Schornstein"));
            // The format menu follows the check's items.
            const QList<QAction *> items = menu->actions();
            QVERIFY(std::any_of(items.cbegin(), items.cend(), [](QAction *a) { return a->objectName() == "fett1"; }));
            choose(menu, item);
            QTRY_COMPARE(plainText(front).section(QLatin1Char('\n'), -1), text);
            QCOMPARE(underlined(front), QStringList());
            QCOMPARE(underlined(back), underlinedElsewhere);
            QCOMPARE(controls::readWordList(personal()), ownWords);
            if (item == QLatin1String("Vorschlag1")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
                QCOMPARE(plainText(front).section(QLatin1Char('\n'), -1), QStringLiteral("Der Schornstien kalt."));
            }
            cancel(d);
        });
        // Ignored for this run only: a new run underlines it again.
        controls::Speller::instance().setPlaces({});
        f->create({27}, [&](Tberichtdlg &d) {
            QWidget *front = enter(d, QStringLiteral("taetigkeitedit"));
            type(QStringLiteral("Schornstien "));
            QCOMPARE(underlined(front).isEmpty(), item == QLatin1String("ZumWoerterbuchhinzufuegen1"));
            cancel(d);
        });
    }

    // A reviewed report with misspelt words, opened, looked at on both
    // pages and closed with OK: underlined, yet nothing is written, no
    // question asked, the review mark stays.
    void lookingAtAReviewedReportWritesNothing_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"taetigkeitedit", "DBRichEdit3", "DBMemo1"})
            QTest::newRow(field) << field;
    }
    void lookingAtAReviewedReportWritesNothing()
    {
        QFETCH(QString, field);
        f->create({27}, [&](Tberichtdlg &d) {
            enter(d, field);
            type(QStringLiteral("Schornstien und Abgasrohr "));
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        const QString other = field == QLatin1String("taetigkeitedit") ? QStringLiteral("DBMemo1")
                                                                         : QStringLiteral("taetigkeitedit");
        // Opened once, both pages shown: the editor stores what it sets of itself.
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            enter(d, field);
            enter(d, other);
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        const qint64 sheet = f->sql(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer=1")).toLongLong();
        domain::markSeen(f->tables(), {sheet}, QDate(2026, 3, 10), QStringLiteral("Karl Kaminski"));
        const auto before = testsupport::fileSnapshot(f->tables().dataDir());
        const QStringList rowsBefore = f->dump("bericht");
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QWidget *w = enter(d, field);
            QTest::qWait(50);
            QCOMPARE(underlined(w), QStringList{QStringLiteral("Schornstien")});
            enter(d, other);
            QTest::qWait(50);
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        QCOMPARE(f->dump("bericht"), rowsBefore);
        QVERIFY(testsupport::fileSnapshot(f->tables().dataDir()) == before);
        QVERIFY(domain::reviewOf(f->tables(), sheet).isSeen());
    }

    // A field destroyed while the focus is in it and a word is being typed:
    // the focus leaving it must not reach into what is left of it.
    void aFieldDestroyedWhileTyping()
    {
        auto *edit = new QTextEdit;
        controls::SpellCheck::attach(edit, QString());
        edit->show();
        edit->activateWindow();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Schornstien"));
        delete edit;
        QTest::qWait(10);
    }

    // Without a dictionary the check is off, said once and remembered in
    // the settings file, so that a later start says nothing.
    void withoutADictionary_data()
    {
        QTest::addColumn<int>("toldBefore");
        QTest::addColumn<int>("messages");
        QTest::newRow("first time") << 0 << 1;
        QTest::newRow("told at an earlier start") << 1 << 0;
    }
    void withoutADictionary()
    {
        QFETCH(int, toldBefore);
        QFETCH(int, messages);
        QTemporaryDir nowhere;
        store::Settings settings(f->tables().places().settingsFile());
        settings.writeInteger(QStringLiteral("Werte"), QStringLiteral("KeinWoerterbuch"), toldBefore);
        controls::Speller::instance().setPlaces({nowhere.path()});
        f->messages().clear();
        for (int run = 0; run < 2; ++run)
            f->create({27}, [&](Tberichtdlg &d) {
                QWidget *w = enter(d, QStringLiteral("taetigkeitedit"));
                type(QStringLiteral("Schornstien kalt "));
                QCOMPARE(underlined(w), QStringList());
                cancel(d);
            });
        const QStringList shown = f->messages().shown().filter(QStringLiteral("Wörterbuch"));
        QCOMPARE(shown.size(), messages);
        QCOMPARE(settings.readInteger(QStringLiteral("Werte"), QStringLiteral("KeinWoerterbuch"), 0), 1);
    }
};

QTEST_MAIN(TestSpelling)
#include "test_spelling.moc"
