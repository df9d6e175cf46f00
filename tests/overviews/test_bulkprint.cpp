// The bulk print: the lines of both lists, the order of the merged document
// whatever the order of the ticks, the files of a run, the report cursor
// afterwards, a second "Vorschau" while the preview shows, a cancelled run
// and a "qrp" that cannot be written; the layout for two-sided printing
// and the extent the dialog names before the run; ticking lines by mouse
// and keyboard.

#include "overviewfixture.h"

#include "imagebytes.h"
#include "pdfwords.h"
#include "previewfixture.h"
#include "print/bulkprint.h"
#include "print/engine/document.h"
#include "store/settings.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTemporaryDir>

using testsupport::OverviewFixture;

class TestBulkPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;
    QTemporaryDir m_out;

    // A sheet whose front and back print a word naming it.
    void sheet(int year, int number, int blatt, bool described = true)
    {
        const int id = f->addSheet(year, number, blatt, QDate(2026, 1, 5).addDays(7 * number));
        f->tables().exec(QStringLiteral("UPDATE bericht SET Taetigkeit='Vorne-%1-%2-%3'%4 WHERE BerLfd=%5")
                             .arg(year)
                             .arg(number)
                             .arg(blatt)
                             .arg(described ? QStringLiteral(", Darstellung='Hinten-%1-%2'").arg(year).arg(number)
                                            : QString())
                             .arg(id));
    }

    // A report whose activities fill `pages` front pages, each page naming
    // the sheet.
    void longSheet(int year, int number, int blatt, int pages)
    {
        sheet(year, number, blatt);
        QString body;
        for (int i = 0; i < 45 * pages - 20; ++i)
            body += QStringLiteral("Vorne-%1-%2-%3 Zeile\\par ").arg(year).arg(number).arg(blatt);
        f->tables().exec(QStringLiteral("UPDATE bericht SET Taetigkeit='{\\rtf1\\ansi %1}' WHERE AJahr=%2 AND "
                                        "Nummer=%3 AND Blatt=%4")
                             .arg(body)
                             .arg(year)
                             .arg(number)
                             .arg(blatt));
    }

    // Opens the choice through "Sammeldruck"; `inDialog` ticks and runs it.
    void bulkPrint(const std::function<void(Tdrauswdlg &)> &inDialog)
    {
        f->dialogs().onNext(QStringLiteral("drauswdlg"), [&](QDialog *d) {
            inDialog(*static_cast<Tdrauswdlg *>(d));
            if (d->isVisible())
                d->findChild<QPushButton *>(QStringLiteral("closebtn"))->click();
        });
        f->overview().findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    }

    static QStringList lines(const QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // The marker words of the merged pages, in page order.
    engine::PrintKind m_shownKind = engine::PrintKind::None; // of the preview shown last
    // Where the bulk print keeps its files.
    QString printDir() const { return f->form()->tables().places().printDir(); }

    QStringList previewedPages(Tdrauswdlg &d)
    {
        QStringList pages;
        testsupport::whenShown([&](Tbwprformd5 *w) {
            m_shownKind = w->printKind();
            const QString file = m_out.filePath(QStringLiteral("alle.pdf"));
            engine::exportPdf(*w->document(), file);
            for (const QString &text : testsupport::readPdf(file).pageTexts()) {
                static const QRegularExpression marker(QStringLiteral("(Vorne|Hinten)-[0-9-]+"));
                pages << marker.match(text).captured(0);
            }
        });
        d.vorschaubtn()->click();
        return pages;
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup() { f.reset(); }

    void listsAndTheBookmark()
    {
        f->start(1);
        sheet(1, 1, 1, false);
        sheet(1, 1, 2);
        sheet(2, 12, 1);
        QVERIFY(f->select(1, 1, 2));
        const int current = f->reports().asInt(QStringLiteral("BerLfd"));
        bulkPrint([&](Tdrauswdlg &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Druckauswahl für Sammeldruck"));
            QCOMPARE(lines(d.CheckListBox1()),
                     (QStringList{"   1        1        1", "   1        1        2", "   2        12        1"}));
            QCOMPARE(lines(d.CheckListBox2()), (QStringList{"   1        1 (-)", "   2        12"}));
            d.findChild<QPushButton *>(QStringLiteral("auswahlRbtn"))->click();
            QCOMPARE(d.CheckListBox2()->item(1)->checkState(), Qt::Checked);
            d.findChild<QPushButton *>(QStringLiteral("abwahlRbtn"))->click();
            QCOMPARE(d.CheckListBox2()->item(1)->checkState(), Qt::Unchecked);
        });
        QCOMPARE(f->reports().asInt(QStringLiteral("BerLfd")), current);
    }

    void orderOfTheMergedDocument_data()
    {
        QTest::addColumn<QList<int>>("front"); // lines ticked
        QTest::addColumn<QList<int>>("back");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("two sheets and the back")
            << QList<int>{0, 1} << QList<int>{0} << QStringList{"Vorne-1-1-1", "Vorne-1-1-2", "Hinten-1-1"};
        QTest::newRow("back 3, front 2, back 1")
            << QList<int>{2} << QList<int>{2, 0} << QStringList{"Hinten-1-1", "Vorne-1-2-1", "Hinten-1-3"};
        QTest::newRow("nothing ticked: no preview") << QList<int>{} << QList<int>{} << QStringList{};
    }
    void orderOfTheMergedDocument()
    {
        QFETCH(QList<int>, front);
        QFETCH(QList<int>, back);
        QFETCH(QStringList, pages);
        f->start(1);
        sheet(1, 1, 1);
        sheet(1, 1, 2);
        sheet(1, 2, 1);
        sheet(1, 3, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            for (int i : front)
                d.CheckListBox1()->item(i)->setCheckState(Qt::Checked);
            for (int i : back)
                d.CheckListBox2()->item(i)->setCheckState(Qt::Checked);
            if (pages.isEmpty()) {
                d.vorschaubtn()->click();
                QVERIFY(!TQRMDIPreviewInterface::current());
            } else {
                QCOMPARE(previewedPages(d), pages);
            }
            if (!pages.isEmpty())
                QCOMPARE(m_shownKind, engine::PrintKind::BulkPrint);
        });
        // Only the merged file outlives the run.
        const QStringList left = QDir(printDir()).entryList(QDir::Files);
        QCOMPARE(left, pages.isEmpty() ? QStringList() : QStringList{QStringLiteral("alle.qrp")});
        if (!pages.isEmpty())
            QCOMPARE(engine::Document::load(QDir(printDir()).filePath(QStringLiteral("alle.qrp"))).pageCount(), pages.size());
    }

    // While the dialog waits for the user, the sheets are saved into their
    // files, so that "Vorschau" finds them ready; the merged pages are the
    // same, and no sheet file stays after the run or a close without one.
    void sheetsAreSavedWhileTheDialogWaits_data()
    {
        QTest::addColumn<bool>("run");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("run") << true << QStringList{"Vorne-1-1-1", "Vorne-1-1-2", "Hinten-1-1", "Vorne-1-2-1"};
        QTest::newRow("closed without a run") << false << QStringList{};
    }
    void sheetsAreSavedWhileTheDialogWaits()
    {
        QFETCH(bool, run);
        QFETCH(QStringList, pages);
        f->start(1);
        sheet(1, 1, 1);
        sheet(1, 1, 2);
        sheet(1, 2, 1);
        const QDir dir(f->tables().places().printDir());
        bulkPrint([&](Tdrauswdlg &d) {
            d.findChild<QPushButton *>(QStringLiteral("auswahlVbtn"))->click();
            d.CheckListBox2()->item(0)->setCheckState(Qt::Checked);
            // Every line's sheet, ticked or not.
            QTRY_COMPARE(dir.entryList(QDir::Files).size(), 5);
            QCOMPARE(dir.entryList(QDir::Files),
                     (QStringList{"1001A1.qrp", "1001A2.qrp", "1001B1.qrp", "1002A1.qrp", "1002B1.qrp"}));
            if (run)
                QCOMPARE(previewedPages(d), pages);
        });
        QCOMPARE(dir.entryList(QDir::Files), run ? QStringList{QStringLiteral("alle.qrp")} : QStringList());
    }

    // A sheet saved ahead is still read with its checks: one changed on
    // the disk before "Vorschau" (cut short, or a byte of its picture
    // damaged) is reported, no preview opens and no sheet file stays.
    void aSheetSavedAheadAndDamagedIsNoticed_data()
    {
        QTest::addColumn<int>("cut"); // bytes cut off the end
        QTest::addColumn<int>("flip"); // a byte this far from the end flipped
        QTest::newRow("cut short") << 100 << 0;
        QTest::newRow("picture damaged") << 0 << 50;
    }
    void aSheetSavedAheadAndDamagedIsNoticed()
    {
        QFETCH(int, cut);
        QFETCH(int, flip);
        f->start(1);
        sheet(1, 1, 1);
        QVERIFY(f->select(1, 1, 1));
        f->reports().edit();
        f->reports().setValue(QStringLiteral("Bild1"), testsupport::fileBytes(testsupport::photo(QSize(400, 300)), "BMP"));
        f->reports().post();
        const QString back = QDir(f->tables().places().printDir()).filePath(QStringLiteral("1001B1.qrp"));
        bulkPrint([&](Tdrauswdlg &d) {
            d.CheckListBox2()->item(0)->setCheckState(Qt::Checked);
            QTRY_VERIFY(QFile::exists(back));
            for (qint64 size = -1; size != QFile(back).size(); QTest::qWait(100))
                size = QFile(back).size(); // written whole
            QFile file(back);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            bytes.chop(cut);
            if (flip)
                bytes[bytes.size() - flip] = char(bytes.at(bytes.size() - flip) ^ 0x5A);
            file.resize(0);
            file.write(bytes);
            file.close();
            d.vorschaubtn()->click();
            QVERIFY(!TQRMDIPreviewInterface::current());
        });
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY2(f->messages().errors().first().contains(QLatin1String("1001B1.qrp")),
                 qPrintable(f->messages().errors().first()));
        QCOMPARE(QDir(f->tables().places().printDir()).entryList(QDir::Files), QStringList());
    }

    // Every report of a year with all its sheets ticked; report 2's
    // activities run onto a second front page, report 3 has a follow-up
    // sheet. Laid out for two-sided printing, each report starts on an odd
    // page and its back sheet is the reverse of its last front page; without
    // it the pages are the design's. The dialog names the extent first.
    void twoSidedLayout_data()
    {
        QTest::addColumn<bool>("twoSided");
        QTest::addColumn<QStringList>("pages"); // "" an empty page
        QTest::addColumn<QString>("extent");
        QTest::newRow("as designed") << false
                                     << QStringList{"Vorne-1-1-1", "Hinten-1-1", "Vorne-1-2-1", "Vorne-1-2-1",
                                                    "Hinten-1-2", "Vorne-1-3-1", "Vorne-1-3-2", "Hinten-1-3",
                                                    "Vorne-1-4-1", "Hinten-1-4"}
                                     << "Der Druck umfasst 10 Seiten: einseitig gedruckt 10 Blatt Papier, "
                                        "beidseitig 5 Blatt Papier.";
        QTest::newRow("two-sided") << true
                                   << QStringList{"Vorne-1-1-1", "Hinten-1-1", "Vorne-1-2-1", "",
                                                  "Vorne-1-2-1", "Hinten-1-2", "Vorne-1-3-1", "",
                                                  "Vorne-1-3-2", "Hinten-1-3", "Vorne-1-4-1", "Hinten-1-4"}
                                   << "Der Druck umfasst 12 Seiten (davon 2 leer) auf 6 Blatt Papier, beidseitig "
                                      "gedruckt.";
    }
    void twoSidedLayout()
    {
        QFETCH(bool, twoSided);
        QFETCH(QStringList, pages);
        QFETCH(QString, extent);
        f->start(1);
        sheet(1, 1, 1);
        longSheet(1, 2, 1, 2);
        sheet(1, 3, 1);
        sheet(1, 3, 2);
        sheet(1, 4, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            d.beidseitigcheck()->setChecked(!twoSided);
            d.beidseitigcheck()->setChecked(twoSided);
            // The choice is kept for the next print.
            QCOMPARE(store::Settings().readInteger(QStringLiteral("werte"), QStringLiteral("beidseitig"), -1),
                     twoSided ? 1 : 0);
            QCOMPARE(d.umfanglabel()->text(), QStringLiteral("Keine Seite angekreuzt."));
            d.findChild<QPushButton *>(QStringLiteral("auswahlVbtn"))->click();
            d.findChild<QPushButton *>(QStringLiteral("auswahlRbtn"))->click();
            QCOMPARE(d.umfanglabel()->text(), extent);
            const QStringList printed = previewedPages(d);
            QCOMPARE(printed, pages);
            QCOMPARE(d.extent().pages, int(printed.size()));
            if (twoSided)
                for (int i = 0; i < printed.size(); ++i) {
                    if (printed[i].startsWith(QLatin1String("Hinten")))
                        QVERIFY2(i % 2 == 1, qPrintable(printed[i])); // page i + 1 is even
                    else if (printed[i].startsWith(QLatin1String("Vorne")) && (i == 0 || printed[i - 1].isEmpty()
                                                                              || printed[i - 1].startsWith("Hinten")))
                        QVERIFY2(i % 2 == 0, qPrintable(printed[i])); // a report starts on an odd page
                }
        });
    }

    // A line is ticked by a click on it or by Space; Shift ticks or unticks
    // every line from the one ticked last; "Alle" and "Keine" on the right
    // mouse button. The extent follows each change.
    void tickingLines_data()
    {
        QTest::addColumn<QStringList>("steps"); // c: click, C: Shift+click, s: Space, S: Shift+Space, on line n
        QTest::addColumn<QList<int>>("ticked");
        QTest::newRow("click ticks, a second click unticks") << QStringList{"c1", "c3", "c1"} << QList<int>{3};
        QTest::newRow("shift-click: a range") << QStringList{"c1", "C4"} << QList<int>{1, 2, 3, 4};
        QTest::newRow("shift-click upwards") << QStringList{"c4", "C2"} << QList<int>{2, 3, 4};
        QTest::newRow("shift-click from an unticked line") << QStringList{"alle", "c2", "C0"} << QList<int>{3, 4, 5};
        QTest::newRow("space and shift+space") << QStringList{"s0", "S3"} << QList<int>{0, 1, 2, 3};
        QTest::newRow("Alle, then Keine") << QStringList{"alle", "keine", "s5"} << QList<int>{5};
    }
    void tickingLines()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, ticked);
        f->start(1);
        for (int n = 1; n <= 6; ++n)
            sheet(1, n, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            QListWidget *list = d.CheckListBox2();
            for (const QString &step : steps) {
                if (step == QLatin1String("alle") || step == QLatin1String("keine")) {
                    d.findChild<QAction *>(step + QLatin1Char('R'))->trigger();
                    continue;
                }
                const int line = step.mid(1).toInt();
                const Qt::KeyboardModifiers shift = step[0].isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
                if (step[0].toLower() == QLatin1Char('c')) {
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, shift,
                                      list->visualItemRect(list->item(line)).center());
                } else {
                    list->setCurrentRow(line);
                    QTest::keyClick(list, Qt::Key_Space, shift);
                }
            }
            QList<int> now;
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->checkState() == Qt::Checked)
                    now << i;
            QCOMPARE(now, ticked);
            QCOMPARE(d.umfanglabel()->text(), QStringLiteral("Der Druck umfasst %1 Seite%2: einseitig gedruckt %1 "
                                                             "Blatt Papier, beidseitig %3 Blatt Papier.")
                                                  .arg(ticked.size())
                                                  .arg(ticked.size() == 1 ? "" : "n")
                                                  .arg((ticked.size() + 1) / 2));
        });
    }

    // Merged sheets that run over a page: each continuation page names its
    // sheet above the frame, the first page of every sheet does not.
    void continuationPagesInTheMergedDocument()
    {
        f->start(1);
        sheet(1, 1, 1);
        sheet(1, 1, 2);
        QString longText;
        for (int i = 1; i <= 60; ++i)
            longText += QStringLiteral("Zeile%1 Kehrarbeiten und Abgaswegeprüfung.\\par ").arg(i);
        f->tables().exec(QStringLiteral("UPDATE bericht SET Taetigkeit='{\\rtf1\\ansi %1}', Darstellung="
                                        "'{\\rtf1\\ansi %2}' WHERE Blatt=1")
                             .arg(longText, longText + longText));
        bulkPrint([&](Tdrauswdlg &d) {
            d.CheckListBox1()->item(0)->setCheckState(Qt::Checked);
            d.CheckListBox1()->item(1)->setCheckState(Qt::Checked);
            d.CheckListBox2()->item(0)->setCheckState(Qt::Checked);
            QStringList continued;
            testsupport::whenShown([&](Tbwprformd5 *w) {
                const QString file = m_out.filePath(QStringLiteral("fortsetzung.pdf"));
                engine::exportPdf(*w->document(), file);
                const testsupport::PdfText p = testsupport::readPdf(file);
                for (int page = 1; page <= p.pages; ++page)
                    continued << (p.pageText(page).contains(QLatin1String("Fortsetzung"))
                                      ? p.pageText(page).section(QStringLiteral(" Fortsetzung"), 0, 0)
                                      : QString());
            });
            d.vorschaubtn()->click();
            // Front 1 (two pages), front 2, back 1 (two pages).
            const QString identity = QStringLiteral("Ausbildungsnachweis Nr. 1 Blatt 1 für die Woche vom 12.01.2026 "
                                                    "bis 16.01.2026");
            QCOMPARE(continued, (QStringList{QString(), identity, QString(), QString(), identity}));
        });
    }

    void aSecondPreviewOnlyBeeps()
    {
        f->start(1);
        sheet(1, 1, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            d.CheckListBox1()->item(0)->setCheckState(Qt::Checked);
            bool closed = false;
            QTimer::singleShot(0, [&] {
                QVERIFY(TQRMDIPreviewInterface::current());
                d.vorschaubtn()->click();
                QCOMPARE(f->messages().beeps(), 1);
                d.findChild<QPushButton *>(QStringLiteral("closebtn"))->click();
                closed = !f->form()->session().previewOpen;
            });
            d.vorschaubtn()->click();
            QVERIFY(closed);
        });
    }

    // Beside its preview the choice takes the user's clicks (sent through
    // the window system, which drops them on a window a modal one blocks).
    void theChoiceStaysUsableBesideItsPreview()
    {
        f->start(1);
        sheet(1, 1, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            const auto userClick = [&d](const char *name) {
                auto *b = d.findChild<QPushButton *>(QLatin1String(name));
                QTest::mouseClick(d.windowHandle(), Qt::LeftButton, {}, b->mapTo(&d, b->rect().center()));
            };
            QTimer::singleShot(0, [&] {
                const auto closeAtEnd = qScopeGuard([] { TQRMDIPreviewInterface::closeCurrent(); });
                userClick("abwahlVbtn");
                userClick("vorschaubtn"); // turned away: a beep
                userClick("closebtn");    // closes the preview, then the choice
            });
            d.CheckListBox1()->item(0)->setCheckState(Qt::Checked);
            d.vorschaubtn()->click();
            QCOMPARE(d.CheckListBox1()->item(0)->checkState(), Qt::Unchecked);
            QCOMPARE(f->messages().beeps(), 1);
            QVERIFY(!d.isVisible());
        });
    }

    // The merged file and sheet files of earlier runs go before a run and
    // when the program ends; other files in "qrp" stay.
    void leftFilesGoBeforeARunAndAtTheEnd()
    {
        f->start(1);
        sheet(1, 1, 1);
        const QDir dir(printDir());
        QVERIFY(QDir().mkpath(dir.path()));
        for (const char *name : {"alle.qrp", "1001A1.qrp", "2014b2.qrp", "notiz.txt", "eigene.qrp"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        const QStringList others{"eigene.qrp", "notiz.txt"};
        bulkPrint([&](Tdrauswdlg &d) { d.vorschaubtn()->click(); }); // nothing ticked
        QCOMPARE(dir.entryList(QDir::Files), others);
        bulkPrint([&](Tdrauswdlg &d) {
            d.CheckListBox1()->item(0)->setCheckState(Qt::Checked);
            testsupport::whenShown([](Tbwprformd5 *) {});
            d.vorschaubtn()->click();
        });
        QVERIFY(dir.exists(QStringLiteral("alle.qrp")));
        f->stop();
        QCOMPARE(dir.entryList(QDir::Files), others);
    }

    void aCancelledRunLeavesNoFiles()
    {
        f->start(1);
        for (int n = 1; n <= 6; ++n)
            sheet(1, n, 1);
        bulkPrint([&](Tdrauswdlg &d) {
            d.findChild<QPushButton *>(QStringLiteral("auswahlVbtn"))->click();
            d.findChild<QPushButton *>(QStringLiteral("auswahlRbtn"))->click();
            // Cancelled while the third sheet renders; the progress names
            // the sheets as the apprentice knows them.
            int rendered = 0;
            QStringList said;
            const QMetaObject::Connection watch =
                QObject::connect(&f->tables().berichttable(), &store::Table::afterScroll, &d, [&] {
                    auto *progress = d.findChild<QProgressDialog *>(QStringLiteral("fortschritt"));
                    if (progress)
                        said << progress->labelText();
                    if (++rendered == 3 && progress)
                        progress->cancel();
                });
            d.vorschaubtn()->click();
            QObject::disconnect(watch); // the choice outlives this run
            QVERIFY(rendered >= 3);
            QVERIFY2(said.contains(QStringLiteral("Bericht 1, Blatt 1, Vorderseite (Woche 12.01.2026 – 16.01.2026) "
                                                  "wird aufbereitet …")),
                     qPrintable(said.join(QLatin1Char('|'))));
            QVERIFY(!TQRMDIPreviewInterface::current());
        });
        QCOMPARE(QDir(printDir()).entryList(QDir::Files), QStringList());
    }

    // The sheets are saved beside the rendering of the next ones: a sheet
    // that cannot be saved, early or last in the run, is reported once, no
    // preview opens and no file of the run stays.
    void aSheetThatCannotBeSaved_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("back");
        QTest::newRow("first front sheet") << 1 << false;
        QTest::newRow("last back sheet") << 6 << true;
    }
    void aSheetThatCannotBeSaved()
    {
        QFETCH(int, number);
        QFETCH(bool, back);
        f->start(1);
        for (int n = 1; n <= 6; ++n)
            sheet(1, n, 1);
        // A directory where the sheet's file would be written.
        const QString blocked = Tdrauswdlg::sheetFileName(1, number, back, 1);
        QVERIFY(QDir().mkpath(QDir(printDir()).filePath(blocked)));
        bulkPrint([&](Tdrauswdlg &d) {
            d.findChild<QPushButton *>(QStringLiteral("auswahlVbtn"))->click();
            d.findChild<QPushButton *>(QStringLiteral("auswahlRbtn"))->click();
            d.vorschaubtn()->click();
            QVERIFY(!TQRMDIPreviewInterface::current());
        });
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY2(f->messages().errors().first().contains(blocked), qPrintable(f->messages().errors().first()));
        QCOMPARE(QDir(printDir()).entryList(QDir::Files), QStringList());
    }

    void aDirectoryThatCannotBeWritten()
    {
        f->start(1);
        sheet(1, 1, 1);
        QFile blocker(printDir()); // a file where the directory should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        bulkPrint([&](Tdrauswdlg &d) {
            d.CheckListBox1()->item(0)->setCheckState(Qt::Checked);
            d.vorschaubtn()->click();
            QVERIFY(!TQRMDIPreviewInterface::current());
        });
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY2(f->messages().errors().first().contains(QLatin1String("qrp")), qPrintable(f->messages().errors().first()));
    }
};

QTEST_MAIN(TestBulkPrint)
#include "test_bulkprint.moc"
