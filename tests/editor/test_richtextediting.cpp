// Formatting the report editor's rich-text fields through the tool bar and
// the pop-up menu: raised and lowered text, special characters, the size
// field, the tool bar following the selection, clipboard and paste, and a
// formatted report across a restart of the program.

#include "editorfixture.h"

#include "editor/formattools.h"
#include "richtext/rtf.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

using platform::Answer;
using testsupport::EditorFixture;

namespace {

QToolButton *tool(Tberichtdlg &d, const char *name)
{
    auto *b = d.findChild<QToolButton *>(QString::fromLatin1(name));
    if (!b)
        qWarning("no tool button %s", name);
    return b;
}

QAction *action(Tberichtdlg &d, const char *name)
{
    return d.findChild<QAction *>(QString::fromLatin1(name));
}

// Makes `field` current and gives it `text` at `heightTwips`, all selected.
void fill(Tberichtdlg &d, QTextEdit *field, const QString &text, int heightTwips)
{
    field->setFocus();
    QTRY_COMPARE(d.currentRichEdit(), field);
    QTextCharFormat f;
    richtext::setHeightAndOffset(f, heightTwips, 0);
    QTextCursor c(field->document());
    c.select(QTextCursor::Document);
    c.insertText(text, f);
    field->selectAll();
}

void select(QTextEdit *field, int from, int to)
{
    QTextCursor c(field->document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    field->setTextCursor(c);
}

// The format of the character at `pos`.
QTextCharFormat at(const QTextDocument *document, int pos)
{
    QTextCursor c(const_cast<QTextDocument *>(document));
    c.setPosition(pos + 1);
    return c.charFormat();
}

QString heightAndOffset(const QTextDocument *document, int pos)
{
    const QTextCharFormat f = at(document, pos);
    return QStringLiteral("%1/%2").arg(richtext::heightTwips(f)).arg(richtext::offsetTwips(f));
}

} // namespace

class TestRichTextEditing : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

    // Runs `body` in the editor on stored report 1, then cancels.
    void inEditor(const std::function<void(Tberichtdlg &)> &body)
    {
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            body(d);
            f->messages().answer(Answer::Yes);
            d.reject();
        });
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void raisedAndLowered_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("result"); // height/offset in twips
        QTest::addColumn<QString>("sizeField");
        const QStringList up{QStringLiteral("upbtn")}, down{QStringLiteral("downbtn")},
            normal{QStringLiteral("normalbtn")};
        // The size field as the selection showed it before the last button,
        // which only "normal" changes.
        QTest::newRow("12 pt raised") << 240 << up << "192/80" << "12";
        QTest::newRow("12 pt lowered") << 240 << down << "192/-48" << "12";
        QTest::newRow("raised twice raises once") << 240 << up + up << "192/80" << "9";
        QTest::newRow("raised, then lowered") << 240 << up + down << "192/-48" << "9";
        QTest::newRow("lowered, then raised") << 240 << down + up << "192/80" << "9";
        QTest::newRow("10 pt raised") << 200 << up << "160/66" << "10";
        QTest::newRow("10 pt raised, lowered") << 200 << up + down << "160/-40" << "8";
        QTest::newRow("and normal again") << 200 << up + down + normal << "200/0" << "10";
        QTest::newRow("normal on plain text") << 240 << normal << "240/0" << "12";
        QTest::newRow("13 pt raised, normal") << 260 << up + normal << "260/0" << "13";
    }
    void raisedAndLowered()
    {
        QFETCH(int, height);
        QFETCH(QStringList, buttons);
        QFETCH(QString, result);
        QFETCH(QString, sizeField);
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("H2O"), height);
            QSignalSpy changes(field->document(), &QTextDocument::contentsChange);
            for (const QString &b : buttons) {
                select(field, 0, 0);
                select(field, 1, 2); // the size field shows the selection
                tool(d, qPrintable(b))->click();
            }
            QCOMPARE(heightAndOffset(field->document(), 1), result);
            QCOMPARE(heightAndOffset(field->document(), 0), QStringLiteral("%1/0").arg(height));
            if (buttons == QStringList{QStringLiteral("normalbtn")})
                QCOMPARE(changes.count(), 0); // only the size field is refreshed
            QCOMPARE(d.formatTools().FontSize()->text(), sizeField);
        });
    }

    void anAttributeMixedOverTheSelectionIsLeftAlone()
    {
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("ab"), 240);
            select(field, 1, 2);
            d.formatTools().FontSize()->setText(QStringLiteral("16"));
            field->selectAll();
            tool(d, "upbtn")->click();
            // The offset comes from the first character; the sizes stay.
            QCOMPARE(heightAndOffset(field->document(), 0), QStringLiteral("240/80"));
            QCOMPARE(heightAndOffset(field->document(), 1), QStringLiteral("320/80"));
        });
    }

    void specialCharacterInTheFontSymbol()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("abc"), 240);
            select(field, 1, 2);
            QComboBox *combo = d.formatTools().ComboSonderzeichen();
            QCOMPARE(combo->count(), 73);
            const int p = int(FormatTools::specialCharacters().indexOf('p'));
            QCOMPARE(combo->itemText(p), QStringLiteral("π"));
            QCOMPARE(combo->itemText(72), QStringLiteral("√"));
            emit combo->activated(p);
            QCOMPARE(field->toPlainText(), QStringLiteral("aπc"));
            QVERIFY(richtext::isSymbolFont(at(field->document(), 1)));
            QTest::keyClicks(field, QStringLiteral("x"));
            QCOMPARE(field->toPlainText(), QStringLiteral("aπxc"));
            QVERIFY(!richtext::isSymbolFont(at(field->document(), 2)));
            QCOMPARE(at(field->document(), 2).fontFamilies(), at(field->document(), 0).fontFamilies());
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        const QByteArray stored = f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString().toLatin1();
        // The byte of the font "Symbol", not the Unicode character.
        QVERIFY2(!stored.contains("\\u960"), stored.constData());
        QTextDocument read;
        richtext::load(read, QString::fromLatin1(stored));
        QCOMPARE(read.toPlainText(), QStringLiteral("aπxc"));
        QVERIFY(richtext::isSymbolFont(at(&read, 1)));
        QCOMPARE(richtext::unicodeToSymbol(read.characterAt(1)), uchar(0x70));
    }

    void withoutACurrentFieldNothingHappens()
    {
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("Text"), 240);
            QApplication::clipboard()->setText(QStringLiteral("Zwischenablage"));
            const QString before = field->toHtml();
            d.findChild<QLineEdit *>(QStringLiteral("anfedit"))->setFocus();
            QTRY_COMPARE(d.currentRichEdit(), nullptr);
            for (const char *name : {"fettbtn", "kursivbtn", "unterstreichbtn", "fcenterbtn", "fbulletsbtn", "upbtn",
                                     "downbtn", "normalbtn"})
                tool(d, name)->click();
            for (const char *name : {"EditCut1", "EditPaste1", "EditUndo1", "EditCopy1"})
                action(d, name)->trigger();
            d.formatTools().FontSize()->setText(QStringLiteral("20"));
            d.formatTools().FontSize()->setText(QStringLiteral("zwanzig"));
            emit d.formatTools().ComboSonderzeichen()->activated(3);
            QCOMPARE(field->toHtml(), before);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Zwischenablage"));
            QCOMPARE(f->messages().shown(), QStringList());
        });
    }

    void sizeField_data()
    {
        QTest::addColumn<QStringList>("typed"); // the field's text after each change
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("typing 12") << QStringList{"1", "12"} << "240/0" << QStringList();
        QTest::newRow("outside the up-down range") << QStringList{"4", "40"} << "800/0" << QStringList();
        QTest::newRow("not a number") << QStringList{"zwölf"} << "200/0"
                                      << QStringList{"'zwölf' ist kein gültiger Integerwert"};
    }
    void sizeField()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, result);
        QFETCH(QStringList, shown);
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("ab"), 200);
            QStringList steps;
            for (const QString &text : typed) {
                d.formatTools().FontSize()->setText(text);
                steps << heightAndOffset(field->document(), 0);
            }
            QCOMPARE(steps.last(), result);
            if (typed.size() == 2)
                QCOMPARE(steps.first(), QStringLiteral("%1/0").arg(typed.first().toInt() * 20));
            QCOMPARE(d.formatTools().FontSize()->text(), typed.last()); // stays as typed
            QCOMPARE(f->messages().shown(), shown);
        });
    }

    void upDownControlStaysWithinItsRange()
    {
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("ab"), 200);
            QList<QToolButton *> arrows = d.findChild<QWidget *>(QStringLiteral("UpDown1"))->findChildren<QToolButton *>();
            QCOMPARE(arrows.size(), 2);
            d.formatTools().FontSize()->setText(QStringLiteral("29"));
            arrows[0]->click();
            arrows[0]->click();
            QCOMPARE(d.formatTools().FontSize()->text(), QStringLiteral("30"));
            QCOMPARE(heightAndOffset(field->document(), 0), QStringLiteral("600/0"));
            d.formatTools().FontSize()->setText(QStringLiteral("5"));
            arrows[1]->click();
            QCOMPARE(d.formatTools().FontSize()->text(), QStringLiteral("8"));
        });
    }

    // The keys of word processors format the selection of the field being
    // written in, as the tool bar's buttons do.
    void keysFormatAsTheButtonsDo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::newRow("Ctrl+B") << (Qt::CTRL | Qt::Key_B).toCombined() << "fettbtn";
        QTest::newRow("Ctrl+I") << (Qt::CTRL | Qt::Key_I).toCombined() << "kursivbtn";
        QTest::newRow("Ctrl+U") << (Qt::CTRL | Qt::Key_U).toCombined() << "unterstreichbtn";
        QTest::newRow("Ctrl+E") << (Qt::CTRL | Qt::Key_E).toCombined() << "fcenterbtn";
        QTest::newRow("Ctrl+Shift+P") << (Qt::CTRL | Qt::SHIFT | Qt::Key_P).toCombined() << "upbtn";
    }
    void keysFormatAsTheButtonsDo()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("abc"), 240);
            select(field, 1, 2);
            QApplication::setActiveWindow(&d);
            const QByteArray before = field->toHtml().toUtf8();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key & ~int(Qt::KeyboardModifierMask)),
                            Qt::KeyboardModifiers(key & int(Qt::KeyboardModifierMask)));
            QVERIFY(field->toHtml().toUtf8() != before);
            QVERIFY(tool(d, qPrintable(button))->isChecked());
            QCOMPARE(field->toPlainText(), QStringLiteral("abc")); // nothing typed
        });
    }

    void toolBarFollowsTheSelection()
    {
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.vermerkeedit();
            fill(d, field, QStringLiteral("ab"), 240);
            select(field, 1, 2);
            tool(d, "fettbtn")->click();
            tool(d, "upbtn")->click();
            tool(d, "fcenterbtn")->click();
            QSignalSpy changes(field->document(), &QTextDocument::contentsChange);
            select(field, 0, 1);
            QVERIFY(!tool(d, "fettbtn")->isChecked());
            QVERIFY(tool(d, "normalbtn")->isChecked());
            QVERIFY(tool(d, "fcenterbtn")->isChecked());
            QCOMPARE(d.formatTools().FontSize()->text(), QStringLiteral("12"));
            select(field, 1, 2);
            QVERIFY(tool(d, "fettbtn")->isChecked());
            QVERIFY(tool(d, "upbtn")->isChecked());
            QCOMPARE(d.formatTools().FontSize()->text(), QStringLiteral("9")); // 192 twips
            select(field, 0, 2); // bold over half of it only
            QVERIFY(!tool(d, "fettbtn")->isChecked());
            QCOMPARE(changes.count(), 0); // setting the buttons wrote nothing
            // The pop-up menu copies the buttons and inverts them.
            select(field, 1, 2);
            QMenu *menu = d.formatTools().PopupMenu();
            d.formatTools().PopupMenuPopup();
            QVERIFY(menu->findChild<QAction *>(QStringLiteral("fett1"))->isChecked());
            QVERIFY(menu->findChild<QAction *>(QStringLiteral("hochgestellt1"))->isChecked());
            menu->findChild<QAction *>(QStringLiteral("fett1"))->trigger();
            QVERIFY(at(field->document(), 1).fontWeight() < QFont::DemiBold);
            QVERIFY(!tool(d, "fettbtn")->isChecked());
        });
    }

    void pasteKeepsWhatTheStoredTextHolds_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("picture, table, link")
            << "<p><b>fett</b> <img src=\"data:image/png;base64,iVBORw0KGgo=\"> <a href=\"http://x\">Link</a></p>"
               "<table border=1><tr><td>Zelle</td></tr></table>"
            << "fett  Link\nZelle";
        QTest::newRow("styles of a web page")
            << "<div style=\"position:absolute; background-image:url(x.png)\"><h1>Titel</h1><ul><li>eins</li></ul></div>"
            << "Titel\neins";
    }
    void pasteKeepsWhatTheStoredTextHolds()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QString(), 240);
            auto *mime = new QMimeData;
            mime->setHtml(html);
            QApplication::clipboard()->setMimeData(mime);
            action(d, "EditPaste1")->trigger();
            QCOMPARE(field->toPlainText().trimmed(), text);
            // What the field holds is what it stores.
            QTextDocument stored;
            richtext::readRtf(stored, richtext::writeRtf(*field->document()));
            QCOMPARE(stored.toPlainText(), field->toPlainText());
            if (text.startsWith(QLatin1String("fett")))
                QVERIFY(at(field->document(), 0).fontWeight() >= QFont::Bold);
        });
    }

    void copyAndPasteKeepRaisedAndSymbolText()
    {
        inEditor([&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("m2"), 240);
            select(field, 1, 2);
            tool(d, "upbtn")->click();
            field->moveCursor(QTextCursor::End);
            emit d.formatTools().ComboSonderzeichen()->activated(int(FormatTools::specialCharacters().indexOf('W')));
            field->selectAll();
            action(d, "EditCopy1")->trigger();
            field->moveCursor(QTextCursor::End);
            action(d, "EditPaste1")->trigger();
            QCOMPARE(field->toPlainText(), QStringLiteral("m2Ωm2Ω"));
            QCOMPARE(heightAndOffset(field->document(), 4), QStringLiteral("192/80"));
            QVERIFY(richtext::isSymbolFont(at(field->document(), 5)));
        });
    }

    void formattedTextSurvivesARestart()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QTextEdit *field = d.taetigkeitedit();
            fill(d, field, QStringLiteral("fett m2 "), 240);
            select(field, 0, 4);
            tool(d, "fettbtn")->click();
            select(field, 6, 7);
            tool(d, "upbtn")->click();
            field->moveCursor(QTextCursor::End);
            emit d.formatTools().ComboSonderzeichen()->activated(int(FormatTools::specialCharacters().indexOf('a')));
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        f->stop();
        f->start(1);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            const QTextDocument *doc = d.taetigkeitedit()->document();
            QCOMPARE(doc->toPlainText(), QStringLiteral("fett m2 α"));
            QVERIFY(at(doc, 0).fontWeight() >= QFont::Bold);
            QVERIFY(at(doc, 5).fontWeight() < QFont::DemiBold);
            QCOMPARE(heightAndOffset(doc, 6), QStringLiteral("192/80"));
            QVERIFY(richtext::isSymbolFont(at(doc, 8)));
            d.reject();
        });
    }
};

QTEST_MAIN(TestRichTextEditing)
#include "test_richtextediting.moc"
