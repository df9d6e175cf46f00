// The report editor in both modes: closing with OK and with cancel, the
// field check, deleting a plan item, the samples of the current item, the
// current rich-text field, the sheets of a stored report and its back side,
// the zoom values, the wheel and dragging sample text.

#include "editorfixture.h"
#include "../store/sqliteprobe.h"

#include "print/previewwindow.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTextBrowser>
#include <QTextBlock>
#include <QTextCursor>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

using platform::Answer;
using testsupport::EditorFixture;

namespace {

const QString discard = QStringLiteral("Wollen Sie wirklich abbrechen und die Änderungen verwerfen?");
const QString saveFirst = QStringLiteral("Diese Funktion erfordert ein Abspeichern des Berichtes. "
                                         "Jetzt speichern? (Änderungen werden ansonsten verworfen!)");

QPushButton *button(Tberichtdlg &d, const char *name)
{
    return d.findChild<QPushButton *>(QString::fromLatin1(name));
}

QLineEdit *edit(Tberichtdlg &d, const char *name)
{
    return d.findChild<QLineEdit *>(QString::fromLatin1(name));
}

void type(QLineEdit *e, const QString &text)
{
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
}

// A plain picture as a report stores it.
QByteArray greenBmp(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(Qt::darkGreen);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bmp;
}

QString partFields(Tberichtdlg &d)
{
    QStringList out;
    for (const char *n : {"DBTDAB1", "DBTDAB2", "DBTDAB3", "DBTDAB4", "DBTDAB5", "DBTdab6", "DBTdab7", "DBTdab8",
                          "DBTdab9", "DBTdab10"})
        out << d.findChild<QLabel *>(QString::fromLatin1(n))->text();
    return out.join(QLatin1Char(','));
}

} // namespace

class TestBerichtdlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void layoutOfTheFrontPage()
    {
        f->start(1);
        f->create({29}, [&](Tberichtdlg &d) {
            QCOMPARE(d.size(), QSize(962, 681));
            QCOMPARE(d.windowTitle(), QStringLiteral("Bericht bearbeiten"));
            QCOMPARE(d.seiten()->count(), 3);
            QCOMPARE(d.seiten()->tabText(2), QStringLiteral("Rücks. Bild"));
            QCOMPARE(d.detailgrid()->geometry(), QRect(10, 155, 681, 108));
            QCOMPARE(d.taetigkeitedit()->geometry(), QRect(3, 288, 690, 201));
            QCOMPARE(edit(d, "anfedit")->geometry(), QRect(408, 21, 87, 21));
            QCOMPARE(d.findChild<QWidget *>(QStringLiteral("DBTdab10"))->geometry(), QRect(539, 80, 45, 17));
            QCOMPARE(d.findChild<QWidget *>(QStringLiteral("ScrollBox1Content"))->height(), 946);
            // New-report mode: the delete button on, sheets and preview off.
            QVERIFY(d.newReportMode());
            QVERIFY(d.loeschbtn()->isEnabled());
            QVERIFY(!d.folgeblattbtn()->isEnabled());
            QVERIFY(!d.vorschaubtn()->isEnabled());
            QVERIFY(d.DBNavigator()->isHidden());
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("DBText1"))->text(), QStringLiteral("1"));
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("DBText2"))->text(), QStringLiteral("1"));
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("DBText4"))->text(), QStringLiteral("1"));
            QCOMPARE(edit(d, "anfedit")->text(), QStringLiteral("09.03.2026"));
            QCOMPARE(edit(d, "endedit")->text(), QStringLiteral("13.03.2026"));
            QCOMPARE(edit(d, "datumedit")->text(), QStringLiteral("13.03.2026"));
            QCOMPARE(partFields(d), QStringLiteral("5,,,,,,,,,"));
            button(d, "okbtn")->click();
        });
        QVERIFY(!f->dlg().isVisible());
    }

    void okChecksTheWeekDates_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("startTicked");
        QTest::addColumn<bool>("endTicked");
        QTest::newRow("empty end") << "09.03.2026"
                                   << "" << false << true;
        QTest::newRow("bad start") << "31.02.2026"
                                   << "13.03.2026" << true << false;
        QTest::newRow("both") << "Montag"
                              << "x" << true << true;
    }
    void okChecksTheWeekDates()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, startTicked);
        QFETCH(bool, endTicked);
        f->start(1);
        bool ticks[2] = {};
        f->create({29}, [&](Tberichtdlg &d) {
            type(edit(d, "anfedit"), start);
            type(edit(d, "endedit"), end);
            f->dialogs().onNext(QStringLiteral("bernoclosedlg"), [&](QDialog *b) {
                auto *check = static_cast<Tbernoclosedlg *>(b);
                ticks[0] = check->anfangsdatum()->isChecked();
                ticks[1] = check->enddatum()->isChecked();
                b->findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
            });
            button(d, "okbtn")->click();
            // The dialog stays open, but the row is stored.
            QVERIFY(d.isVisible());
            QCOMPARE(f->tables().berichttable().state(), store::TableState::Browse);
            type(edit(d, "anfedit"), QStringLiteral("9.3.2026"));
            type(edit(d, "endedit"), QStringLiteral("13.03.2026"));
            // Enter in a one-line field is OK.
            QTest::keyClick(edit(d, "endedit"), Qt::Key_Return);
        });
        QCOMPARE(ticks[0], startTicked);
        QCOMPARE(ticks[1], endTicked);
        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheVom || ' ' || WocheBis FROM bericht")).toString(),
                 QStringLiteral("2026-03-09 2026-03-13"));
        QCOMPARE(f->sql(QStringLiteral("SELECT count(*) FROM berdet")).toInt(), 1);
    }

    void cancelAsksInNewReportMode()
    {
        f->start(1);
        f->create({29}, [&](Tberichtdlg &d) {
            // The new row is pending even when nothing was typed.
            f->messages().answer(Answer::No);
            button(d, "cancelbtn")->click();
            QVERIFY(d.isVisible());
            f->messages().answer(Answer::Yes);
            d.close(); // the window frame counts as cancel
        });
        QCOMPARE(f->messages().questions(), (QStringList{discard, discard}));
        QCOMPARE(f->sql(QStringLiteral("SELECT count(*) FROM bericht")).toInt(), 0);
    }

    void deletingAPlanItem()
    {
        f->start(1);
        QString asked;
        f->create({168, 27, 45}, [&](Tberichtdlg &d) {
            QCOMPARE(partFields(d), QStringLiteral("5,6,14,,,,,,,"));
            f->tables().temptable().first();
            // No keeps the item.
            f->messages().answer(Answer::No);
            QTest::keyClick(&d, Qt::Key_Escape);
            QCOMPARE(f->tables().temptable().recordCount(), 3);
            // Yes deletes the item of part 14 and its part number.
            f->messages().answer(Answer::Yes);
            d.loeschbtn()->click();
            asked = f->messages().questions().last();
            QCOMPARE(f->tables().temptable().recordCount(), 2);
            QCOMPARE(partFields(d), QStringLiteral("5,6,,,,,,,,"));
            QCOMPARE(d.detailgrid()->panelCount(), 2);
            button(d, "okbtn")->click();
        });
        // The question shows the memo's first two display lines.
        const QStringList lines = asked.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Wollen Sie wirklich "));
        QCOMPARE(lines[1], QString());
        // The item's text wraps in the memo: the lines as shown.
        QCOMPARE(lines[2], QStringLiteral("14 a) Messgeräte für Immissionsschutz- und Energiesparmessungen"));
        QCOMPARE(lines[3], QStringLiteral(" auswählen und handhaben"));
        QCOMPARE(lines[4], QString());
        QCOMPARE(lines[5], QStringLiteral("löschen?"));
        QCOMPARE(f->sql(QStringLiteral("SELECT group_concat(LfdfTag) FROM berdet")).toString(),
                 QStringLiteral("27,45"));
        QCOMPARE(f->sql(QStringLiteral("SELECT TDAB3 IS NULL FROM bericht")).toInt(), 1);
    }

    void escapeWithoutTheDeleteButtonDoesNothing()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QTest::keyClick(&d, Qt::Key_Escape);
            QVERIFY(d.isVisible());
            d.reject();
        });
        QCOMPARE(f->messages().questions(), QStringList());
    }

    void samplesOfTheCurrentItem()
    {
        f->start(1);
        // 29 and 30 (part 5) name hint 2, 27 hint 1, 1 (part 1) hint 1.
        f->tables().exec(QStringLiteral("UPDATE thetable SET Hintid = 0 WHERE LfdfTag = 31"));
        f->tab().rebuildPages();
        f->create({27, 31, 29}, [&](Tberichtdlg &d) {
            QTextEdit *hint = d.hintedit();
            store::Table &temp = f->tables().temptable();
            temp.first();
            QVERIFY(hint->isVisible());
            const QString first = hint->toPlainText();
            QVERIFY(!first.isEmpty());
            temp.moveTo(1); // hint 0: none
            QVERIFY(!hint->isVisible());
            temp.moveTo(2);
            QVERIFY(hint->isVisible());
            QVERIFY(hint->toPlainText() != first);
            QCOMPARE(f->tables().hinttable().asInt(QStringLiteral("Tdb")), 5);
            QCOMPARE(f->tables().hinttable().asInt(QStringLiteral("Gruppe")), 2);
            // Clicking a panel selects its row.
            QTest::mouseClick(d.detailgrid()->panel(0), Qt::LeftButton, {}, QPoint(600, 40));
            QCOMPARE(temp.recNo(), 0);
            QCOMPARE(hint->toPlainText(), first);
            // An empty list looks up (0, 0).
            f->messages().answer(Answer::Yes);
            d.loeschbtn()->click();
            f->messages().answer(Answer::Yes);
            d.loeschbtn()->click();
            f->messages().answer(Answer::Yes);
            d.loeschbtn()->click();
            QCOMPARE(temp.recordCount(), 0);
            QVERIFY(!hint->isVisible());
            f->messages().answer(Answer::Yes);
            d.reject();
        });
    }

    void sameHintNumberInTwoParts()
    {
        f->start(0);
        QStringList texts;
        f->create({1, 27}, [&](Tberichtdlg &d) {
            // Both name hint 1, of parts 1 and 5.
            for (int row : {0, 1}) {
                f->tables().temptable().moveTo(row);
                QCOMPARE(f->tables().temptable().asInt(QStringLiteral("Hintid")), 1);
                texts << d.hintedit()->toPlainText();
            }
            f->messages().answer(Answer::Yes);
            d.reject();
        });
        QCOMPARE(texts.size(), 2);
        QVERIFY(!texts[0].isEmpty());
        QVERIFY(texts[0] != texts[1]);
    }

    // The preview and the help opened from the editor, which is modal, take
    // input as the platform delivers it (through the window, where a
    // window blocked by a modal dialog gets none): a click closes the
    // preview, Escape closes the help.
    void windowsOpenedFromTheEditorTakeInput()
    {
        f->start(1);
        f->createAndConfirm({29});
        bool previewClosedByClick = false;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QTimer::singleShot(0, [&] {
                QPointer<Tbwprformd5> preview = TQRMDIPreviewInterface::current();
                if (!preview)
                    return;
                auto *close = preview->findChild<QPushButton *>(QStringLiteral("okbtn"));
                QTest::mouseClick(preview->windowHandle(), Qt::LeftButton, {},
                                  close->mapTo(preview, close->rect().center()));
                previewClosedByClick = QTest::qWaitFor([&] { return !preview || !preview->isVisible(); }, 500);
                if (preview)
                    preview->close(); // the editor waits for it
            });
            d.vorschaubtn()->click();

            button(d, "hilfebtn")->click();
            auto *help = f->form()->findChild<QTextBrowser *>(QStringLiteral("HelpWindow"));
            QVERIFY(help && help->isVisible());
            QCOMPARE(help->windowTitle(), QStringLiteral("Hilfe"));
            QCOMPARE(help->cursorForPosition(QPoint(2, 2)).block().text().trimmed(),
                     QStringLiteral("Bericht bearbeiten"));
            QVERIFY(QTest::qWaitForWindowActive(help));
            QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
            const bool helpClosedByKey = QTest::qWaitFor([&] { return !help->isVisible(); }, 500);
            help->close();
            d.reject();
            QVERIFY(helpClosedByKey);
        });
        QVERIFY(previewClosedByClick);
    }

    void currentRichTextField()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            store::Table &rep = f->tables().berichttable();
            QCOMPARE(d.currentRichEdit(), nullptr);
            QCOMPARE(rep.state(), store::TableState::Browse);
            auto *vermerke = d.findChild<QTextEdit *>(QStringLiteral("DBRichEdit2"));
            vermerke->setFocus();
            QTRY_COMPARE(d.currentRichEdit(), vermerke);
            // Entering counts as a change.
            QCOMPARE(rep.state(), store::TableState::Edit);
            edit(d, "anfedit")->setFocus();
            QTRY_COMPARE(d.currentRichEdit(), nullptr);
            f->messages().answer(Answer::No);
            d.reject();
            QVERIFY(d.isVisible());
            f->messages().answer(Answer::Yes);
            d.reject();
        });
        QCOMPARE(f->messages().questions(), (QStringList{discard, discard}));
    }

    void sheetsAndTheBackSide()
    {
        f->start(1);
        f->createAndConfirm({29});
        // A second sheet of report 1, as a follow-up sheet would add it.
        f->tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, Thema) "
                                        "VALUES (1, 1, 2, 'zweites Blatt')"));
        f->tables().exec(QStringLiteral("UPDATE bericht SET Thema = 'erstes Blatt' WHERE Blatt = 1"));
        f->tables().berichttable().refresh();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            store::Table &rep = f->tables().berichttable();
            auto *thema = d.findChild<QPlainTextEdit *>(QStringLiteral("DBMemo1"));
            QVERIFY(d.DBNavigator()->isEnabled());
            d.DBNavigator()->button(controls::DBNavigator::Next)->click();
            QCOMPARE(rep.asInt(QStringLiteral("Blatt")), 2);
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("DBText2"))->text(), QStringLiteral("2"));
            // The back side always shows the first sheet.
            d.seiten()->setCurrentIndex(1);
            QCOMPARE(rep.asInt(QStringLiteral("Blatt")), 1);
            QCOMPARE(thema->toPlainText(), QStringLiteral("erstes Blatt"));
            d.seiten()->setCurrentIndex(2);
            QCOMPARE(rep.asInt(QStringLiteral("Blatt")), 1);
            d.seiten()->setCurrentIndex(0);
            QCOMPARE(rep.asInt(QStringLiteral("Blatt")), 2);
            QCOMPARE(thema->toPlainText(), QStringLiteral("zweites Blatt"));
            // A change on sheet 2: the navigator asks to store it first.
            type(edit(d, "endedit"), QStringLiteral("20.03.2026"));
            f->messages().answer(Answer::Yes);
            d.DBNavigator()->button(controls::DBNavigator::Prior)->click();
            QCOMPARE(rep.asInt(QStringLiteral("Blatt")), 1);
            d.accept();
        });
        QCOMPARE(f->messages().questions(), QStringList{saveFirst});
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheBis FROM bericht WHERE Blatt = 2")).toString(),
                 QStringLiteral("2026-03-20"));
        // The page changes wrote the zoom values into the sheets they left.
        QCOMPARE(f->sql(QStringLiteral("SELECT Zoom1 FROM bericht WHERE Blatt = 2")).toInt(), 5);
    }

    void saveGuardNoDiscards()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (1, 1, 2)"));
        f->tables().berichttable().refresh();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            type(edit(d, "endedit"), QStringLiteral("20.03.2026"));
            f->messages().answer(Answer::No);
            d.DBNavigator()->button(controls::DBNavigator::Next)->click();
            QCOMPARE(f->tables().berichttable().asInt(QStringLiteral("Blatt")), 2);
            d.reject();
        });
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheBis FROM bericht WHERE Blatt = 1")).toString(),
                 QStringLiteral("2026-03-13"));
    }

    // A stored report opens with its sheets alone in the report list, on
    // the sheet the list stood on when that is one of them. However the
    // editor ends, an error included, the list has its range, filter and
    // row back, a change left by the error is not stored, and the sheet
    // tools are off.
    void aStoredReportPutsTheListBack_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<int>("fromNumber");
        QTest::addColumn<int>("fromSheet");
        QTest::addColumn<int>("opensOn");
        QTest::addColumn<QString>("ending");
        QTest::newRow("OK on another sheet") << "Blatt = 2" << false << 1 << 2 << 2 << "ok";
        QTest::newRow("cancel, from another report") << "Blatt = 1" << true << 2 << 1 << 1 << "cancel";
        QTest::newRow("error after a change") << "Blatt = 2" << false << 1 << 2 << 2 << "error";
    }
    void aStoredReportPutsTheListBack()
    {
        QFETCH(QString, filter);
        QFETCH(bool, filtered);
        QFETCH(int, fromNumber);
        QFETCH(int, fromSheet);
        QFETCH(int, opensOn);
        QFETCH(QString, ending);
        f->start(1);
        f->createAndConfirm({29});
        f->createAndConfirm({27});
        f->tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (1, 1, 2)"));
        store::Table &rep = f->tables().berichttable();
        rep.refresh();
        rep.setRange({1}, {1});
        rep.setFilter(filter);
        rep.setFiltered(filtered);
        for (rep.first();
             rep.asInt(QStringLiteral("Nummer")) != fromNumber || rep.asInt(QStringLiteral("Blatt")) != fromSheet;)
            QVERIFY(rep.next());
        const auto view = [&] {
            const store::Table::View v = rep.view();
            return QStringList{v.index,
                               QVariant(v.rangeFrom).toStringList().join(QLatin1Char(',')) + QLatin1Char('-')
                                   + QVariant(v.rangeTo).toStringList().join(QLatin1Char(',')),
                               v.filter, QString::number(v.filtered), QString::number(v.row)};
        };
        const QStringList before = view();
        const QStringList stored = f->dump("bericht");
        int shownSheet = 0, sheets = 0;
        const auto open = [&] {
            f->openExisting(1, 1, [&](Tberichtdlg &d) {
                shownSheet = rep.asInt(QStringLiteral("Blatt"));
                sheets = rep.recordCount();
                if (ending == QLatin1String("ok")) {
                    d.DBNavigator()->button(controls::DBNavigator::Prior)->click();
                    d.accept();
                } else if (ending == QLatin1String("cancel")) {
                    d.reject();
                } else {
                    type(edit(d, "endedit"), QStringLiteral("20.03.2026"));
                    throw store::StoreError(QStringLiteral("kaputt"));
                }
            });
        };
        if (ending == QLatin1String("error")) {
            QVERIFY_THROWS_EXCEPTION(store::StoreError, open());
            QCOMPARE(f->dump("bericht"), stored);
            f->dlg().reject();
        } else {
            open();
        }
        QCOMPARE(shownSheet, opensOn);
        QCOMPARE(sheets, 2);
        QCOMPARE(view(), before);
        QCOMPARE(rep.state(), store::TableState::Browse);
        Tberichtdlg &d = f->dlg();
        QVERIFY(!d.isVisible());
        QVERIFY(d.DBNavigator()->isHidden());
        QVERIFY(!d.folgeblattbtn()->isEnabled() && !d.vorschaubtn()->isEnabled() && !d.loeschbtn()->isEnabled());
        QCOMPARE(f->messages().questions(), QStringList());
    }

    void zoomValues()
    {
        f->start(1);
        f->createAndConfirm({29});
        f->tables().exec(QStringLiteral("UPDATE bericht SET Zoom1 = 40, Zoom2 = 250"));
        f->tables().berichttable().refresh();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            // The sliders keep to 5 ... 100.
            QCOMPARE(d.TrackBar1()->value(), 40);
            QCOMPARE(d.TrackBar2()->value(), 100);
            d.TrackBar1()->setValue(65);
            d.accept();
        });
        QCOMPARE(f->sql(QStringLiteral("SELECT Zoom1 || '/' || Zoom2 FROM bericht")).toString(),
                 QStringLiteral("65/100"));
    }

    // A stored picture is read from the file when its page comes on screen;
    // opening the report and its other pages read at most its length.
    void picturesAreReadWhenTheirPageIsShown()
    {
        f->start(1);
        f->createAndConfirm({29});
        const QByteArray first = greenBmp(160, 120), second = greenBmp(40, 30);
        store::Table &rep = f->tables().berichttable();
        rep.edit();
        rep.setValue(QStringLiteral("Bild1"), first);
        rep.setValue(QStringLiteral("Bild2"), second);
        rep.post();
        rep.refresh(); // the pictures are now only in the file
        StatementLog log(f->tables().connection());
        const auto pictureReads = [&] {
            return log.matching(QStringLiteral("SELECT \"Bild"), QString())
                   + log.matching(QStringLiteral("SELECT *"), QStringLiteral("bericht"));
        };
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("bildgroessenlabel1"))->text(), QString::number(first.size()));
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("bildgroessenlabel2"))->text(), QString::number(second.size()));
            d.seiten()->setCurrentIndex(1); // stores the zooms
            QCOMPARE(pictureReads(), QStringList());
            d.seiten()->setCurrentIndex(2);
            QCOMPARE(pictureReads().size(), 2);
            auto *image = d.findChild<QLabel *>(QStringLiteral("DBImage2"));
            QCOMPARE(image->pixmap().size(), QSize(40, 30));
            d.accept();
        });
    }

    void pictureSizeFollowsTheZoom()
    {
        f->start(1);
        f->createAndConfirm({29});
        const QByteArray bmp = greenBmp(160, 120);
        store::Table &rep = f->tables().berichttable();
        rep.edit();
        rep.setValue(QStringLiteral("Bild1"), bmp);
        rep.setValue(QStringLiteral("Zoom1"), 50);
        rep.post();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            auto *image = d.findChild<QLabel *>(QStringLiteral("DBImage1"));
            // 50 % is 450 pixels wide; 337.5 rounds to the even 338.
            QCOMPARE(image->size(), QSize(450, 338));
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("groesse1"))->text(), QStringLiteral("50"));
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("bildgroessenlabel1"))->text(), QString::number(bmp.size()));
            d.TrackBar1()->setValue(5);
            QCOMPARE(image->size(), QSize(45, 34));
            // After a page change the slider is read back from the width.
            d.seiten()->setCurrentIndex(2);
            QCOMPARE(d.TrackBar1()->value(), 5);
            d.findChild<QPushButton *>(QStringLiteral("bild1loeschenbtn"))->click();
            QCOMPARE(d.findChild<QLabel *>(QStringLiteral("bildgroessenlabel1"))->text(), QStringLiteral("0"));
            QCOMPARE(image->size(), QSize(1, 1));
            d.TrackBar1()->setValue(80); // an empty picture is not sized
            QCOMPARE(image->size(), QSize(1, 1));
            d.seiten()->setCurrentIndex(0);
            QCOMPARE(d.TrackBar1()->value(), 5); // 1 / 9 is below the least zoom
            d.accept();
        });
        QCOMPARE(f->sql(QStringLiteral("SELECT Bild1 IS NULL FROM bericht")).toInt(), 1);
        QCOMPARE(f->sql(QStringLiteral("SELECT Zoom1 FROM bericht")).toInt(), 5);
    }

    // "Abbrechen" on a stored report gives it back as it was opened, also
    // where a page change, the navigator or a refused OK stored it since;
    // what the apprentice stored on purpose (Yes to the save question)
    // stays stored.
    void cancelGivesTheStoredReportBack_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("keepsChange");
        QTest::newRow("picture deleted, page changed") << "delete picture,page 0" << false;
        QTest::newRow("week end cleared, OK refused") << "clear end,ok" << false;
        QTest::newRow("sheet 2 edited, page change stores") << "next,end 20.03.2026,page 1,page 0" << false;
        QTest::newRow("save question answered Yes")
            << "end 20.03.2026,next with yes,end 27.03.2026,page 1" << true;
    }
    void cancelGivesTheStoredReportBack()
    {
        QFETCH(QString, steps);
        QFETCH(bool, keepsChange);
        f->start(1);
        f->createAndConfirm({29});
        const QByteArray bmp = greenBmp(40, 30);
        store::Table &rep = f->tables().berichttable();
        rep.edit();
        rep.setValue(QStringLiteral("Bild1"), bmp);
        rep.post();
        f->tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (1, 1, 2)"));
        f->tables().berichttable().refresh();
        const QStringList opened = f->dump("bericht") + f->dump("berdet");
        QStringList expected = opened;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            const auto clickTab = [&](int page) {
                QTabBar *bar = d.seiten()->tabBar();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
            };
            for (const QString &step : steps.split(QLatin1Char(','))) {
                if (step == QLatin1String("delete picture")) {
                    clickTab(2);
                    QTest::mouseClick(button(d, "bild1loeschenbtn"), Qt::LeftButton);
                } else if (step.startsWith(QLatin1String("page "))) {
                    clickTab(step.mid(5).toInt());
                } else if (step == QLatin1String("clear end")) {
                    type(edit(d, "endedit"), QString());
                } else if (step.startsWith(QLatin1String("end "))) {
                    type(edit(d, "endedit"), step.mid(4));
                } else if (step == QLatin1String("ok")) {
                    f->dialogs().onNext(QStringLiteral("bernoclosedlg"), [](QDialog *b) {
                        QTest::mouseClick(b->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
                    });
                    QTest::mouseClick(button(d, "okbtn"), Qt::LeftButton);
                    QVERIFY(d.isVisible());
                } else if (step == QLatin1String("next")) {
                    QTest::mouseClick(d.DBNavigator()->button(controls::DBNavigator::Next), Qt::LeftButton);
                } else if (step == QLatin1String("next with yes")) {
                    f->messages().answer(Answer::Yes);
                    QTest::mouseClick(d.DBNavigator()->button(controls::DBNavigator::Next), Qt::LeftButton);
                    QCOMPARE(f->messages().questions(), QStringList{saveFirst});
                    expected = f->dump("bericht") + f->dump("berdet");
                }
            }
            // Something was stored since the opening: cancelling asks.
            QVERIFY((f->dump("bericht") + f->dump("berdet")) != opened);
            f->messages().answer(Answer::No);
            QTest::mouseClick(button(d, "cancelbtn"), Qt::LeftButton);
            QVERIFY(d.isVisible());
            f->messages().answer(Answer::Yes);
            QTest::mouseClick(button(d, "cancelbtn"), Qt::LeftButton);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(f->messages().questions().count(discard), 2);
        QCOMPARE(f->dump("bericht") + f->dump("berdet"), expected);
        QCOMPARE(expected != opened, keepsChange);
        // The list shows what is stored.
        QCOMPARE(f->tables().berichttable().asBytes(QStringLiteral("Bild1")), bmp);
    }

    // The report's date as typed: the usual short forms are stored as the
    // date they mean; what is no date is never stored, stays on screen
    // marked, and OK names the field.
    void typedReportDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("two-digit year") << "10.01.26" << "2026-01-10";
        QTest::newRow("no leading zeros") << "1.2.2026" << "2026-02-01";
        QTest::newRow("no such day") << "31.02.2026" << "2026-03-13";
        QTest::newRow("no date") << "abc" << "2026-03-13";
    }
    void typedReportDate()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const bool valid = stored != QLatin1String("2026-03-13");
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QLineEdit *datum = edit(d, "datumedit");
            type(datum, typed);
            QTest::mouseClick(button(d, "okbtn"), Qt::LeftButton);
            QCOMPARE(d.isVisible(), !valid);
            if (valid)
                return;
            QCOMPARE(datum->text(), typed);
            QCOMPARE(f->messages().errors().size(), 1);
            QVERIFY(f->messages().errors().first().contains(QStringLiteral("„Datum“")));
            // The wrong date was not stored in the meantime; after a page
            // change it is still a change that "Abbrechen" asks about.
            QCOMPARE(f->sql(QStringLiteral("SELECT Datum FROM bericht")).toString(), stored);
            d.seiten()->setCurrentIndex(1);
            d.seiten()->setCurrentIndex(0);
            QCOMPARE(datum->text(), typed);
            f->messages().answer(Answer::No);
            QTest::mouseClick(button(d, "cancelbtn"), Qt::LeftButton);
            QCOMPARE(f->messages().questions(), QStringList{discard});
            type(datum, QStringLiteral("13.03.2026"));
            QTest::mouseClick(button(d, "okbtn"), Qt::LeftButton);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(f->sql(QStringLiteral("SELECT Datum FROM bericht")).toString(), stored);
    }

    void wheelScrollsTheFrontPage()
    {
        f->start(1);
        f->create({29}, [&](Tberichtdlg &d) {
            auto *box = d.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
            QCOMPARE(box->verticalScrollBar()->value(), 0);
            d.ScrollBox1MouseWheel(-120);
            QCOMPARE(box->verticalScrollBar()->value(), 12);
            d.ScrollBox1MouseWheel(-360);
            QCOMPARE(box->verticalScrollBar()->value(), 48);
            d.ScrollBox1MouseWheel(120);
            QCOMPARE(box->verticalScrollBar()->value(), 36);
            button(d, "okbtn")->click();
        });
    }

    void dragSampleTextIntoTheActivities()
    {
        f->start(1);
        QString pasted;
        f->create({27}, [&](Tberichtdlg &d) {
            QTextEdit *hint = d.hintedit();
            QTextCursor c(hint->document());
            c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
            const QString word = c.selectedText();
            QVERIFY(!word.trimmed().isEmpty());
            hint->setTextCursor(c);
            d.hinteditMouseDown(Qt::RightButton);
            QVERIFY(QApplication::clipboard()->text().contains(word.trimmed()));
            // Only a rich-text field is accepted as the source.
            QVERIFY(!d.taetigkeiteditDragOver(QPoint(5, 5), d.seiten()));
            QTextEdit *target = d.taetigkeitedit();
            const QString before = target->toPlainText();
            d.taetigkeiteditDragDrop(QPoint(2, 2), hint);
            pasted = target->toPlainText();
            QVERIFY(pasted.size() > before.size());
            QVERIFY(pasted.startsWith(word.trimmed()));
            QTextCursor at(target->document());
            at.setPosition(1);
            QCOMPARE(at.charFormat().fontPointSize(), 10.0);
            button(d, "okbtn")->click();
        });
        QVERIFY(!pasted.isEmpty());
    }
};

QTEST_MAIN(TestBerichtdlg)
#include "test_reporteditor.moc"
