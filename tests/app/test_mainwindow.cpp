// The main window: start-up from the settings file, the menu with its
// captions and hints, the training-year choice, the exit question, a start
// that fails on a missing table file, and the clock the prints take.

#include "app/application.h"
#include "app/mainform.h"
#include "controls/radiogroup.h"
#include "editor/reporteditor.h"
#include "filesnapshot.h"
#include "platform/clock.h"
#include "platform/help.h"
#include "print/engine/clock.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"
#include "store/fields.h"
#include "store/settings.h"
#include "store/storeerror.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QAction>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTabBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>

using platform::Answer;

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::TempDataDir> m_dir;
    std::unique_ptr<platform::ScriptedMessages> m_messages;
    std::unique_ptr<lernora::Application> m_app;

    TMainForm *form() { return m_app->mainForm(); }
    template<typename T> T *child(const char *name)
    {
        T *c = form()->findChild<T *>(QLatin1String(name));
        if (!c)
            qWarning("no child %s", name);
        return c;
    }
    QString ini() const { return m_dir->path() + QStringLiteral("/Ruririd.ini"); }
    void writeIni(const QByteArray &text)
    {
        QFile f(ini());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void start()
    {
        m_app = std::make_unique<lernora::Application>();
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
    }
    QByteArray iniBytes() const
    {
        QFile f(ini());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<testsupport::TempDataDir>();
        m_messages = std::make_unique<platform::ScriptedMessages>();
    }
    void cleanup()
    {
        if (m_app && form()->isVisible()) {
            m_messages->answer(Answer::Yes);
            form()->close();
        }
        m_app.reset();
        m_messages.reset();
        m_dir.reset();
    }

    // On a screen smaller than the design the window and its frame stay on
    // the screen; on a larger one it keeps its designed size, centred.
    void windowFitsTheScreen_data()
    {
        QTest::addColumn<QRect>("room");
        QTest::newRow("1366 x 768 with a task bar") << QRect(0, 0, 1366, 728);
        QTest::newRow("1024 x 768") << QRect(0, 0, 1024, 768);
        QTest::newRow("800 x 600, second screen") << QRect(1920, 0, 800, 600);
        QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1040);
    }
    void windowFitsTheScreen()
    {
        QFETCH(QRect, room);
        start();
        form()->placeWithin(room);
        // The window's position is its frame's; with room for the frame and
        // title bar of a common desktop.
        const QRect withFrame(form()->pos(), form()->size() + QSize(8, 34));
        QVERIFY2(room.contains(withFrame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(withFrame.x()).arg(
                                               withFrame.y()).arg(withFrame.width()).arg(withFrame.height())));
        QCOMPARE(form()->size(), QSize(987, 748).boundedTo(room.size() - QSize(8, 34)));
        QVERIFY(qAbs(withFrame.center().x() - room.center().x()) <= 1);
    }

    // Beyond its design a window gives the room to the lists and the text
    // fields, the buttons below or beside them follow; below it nothing
    // shrinks and the page scrolls.
    void growsWithTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("designed") << QSize(987, 748);
        QTest::newRow("maximised on 1920 x 1080") << QSize(1920, 1040);
        QTest::newRow("smaller than the design") << QSize(800, 560);
    }
    void growsWithTheWindow()
    {
        QFETCH(QSize, size);
        start();
        form()->resize(size);
        const int dy = std::max(0, size.height() - 748);
        const auto geometry = [this](const char *name) { return child<QWidget>(name)->geometry(); };
        QCOMPARE(geometry("zusammenstellung"), QRect(0, 56, 369, 440 + dy));
        QCOMPARE(geometry("erzeugbtn").topLeft(), QPoint(18, 520 + dy));
        QCOMPARE(geometry("DBGrid3"), QRect(32, 61, 878, 455 + dy));
        QCOMPARE(geometry("beranzeigebtn").topLeft(), QPoint(304, 536 + dy));
        auto *tabs = child<QTabWidget>("PageControl1");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            auto *scroller = child<QScrollArea>(qPrintable(QStringLiteral("TabScroller%1").arg(page + 1)));
            const bool scrolls = scroller->verticalScrollBar()->isVisible() || scroller->horizontalScrollBar()->isVisible();
            QVERIFY2(scrolls == (size.width() < 987), qPrintable(QString::number(page)));
        }

        Tberichtdlg *editor = form()->berichtdlg();
        editor->show();
        editor->resize(size.width() * 962 / 987, size.height() * 681 / 748);
        QApplication::processEvents();
        const int ex = std::max(0, editor->width() - 962);
        const int ey = std::max(0, editor->height() - 681);
        const auto inEditor = [editor](const char *name) {
            return editor->findChild<QWidget *>(QLatin1String(name))->geometry();
        };
        QCOMPARE(inEditor("taetigkeitedit"), QRect(3, 288, 690 + ex, 201));
        QCOMPARE(inEditor("DBRichEdit2").width(), 690 + ex);
        QCOMPARE(inEditor("okbtn").topLeft(), QPoint(831 + ex, 5));
        QCOMPARE(inEditor("hintedit").height(), 389 + ey);
        QCOMPARE(inEditor("DBRichEdit3").size(), QSize(690 + ex, 489 + ey));
        editor->hide();
    }

    // F1 opens the help at the section of the part of the window that has
    // the focus; the menu's "Inhalt" at the beginning.
    void helpOpensAtTheSection_data()
    {
        QTest::addColumn<int>("tab"); // -1: the tab bar has the focus, -2: the menu
        QTest::addColumn<QString>("section");
        QTest::newRow("Bericht zusammenstellen") << 0 << "Bericht zusammenstellen";
        QTest::newRow("Berichte Übersicht") << 1 << "Berichte Übersicht";
        QTest::newRow("the tabs") << -1 << "Das Hauptfenster";
        QTest::newRow("Hilfe, Inhalt") << -2 << "Lernora – Hilfe";
    }
    void helpOpensAtTheSection()
    {
        QFETCH(int, tab);
        QFETCH(QString, section);
        start();
        QVERIFY(QTest::qWaitForWindowActive(form()));
        auto *tabs = child<QTabWidget>("PageControl1");
        if (tab == -2) {
            child<QAction>("HelpContentsItem")->trigger();
        } else {
            QWidget *focus = tabs->tabBar();
            if (tab >= 0) {
                tabs->setCurrentIndex(tab);
                const auto inside = tabs->widget(tab)->findChildren<QWidget *>();
                focus = *std::find_if(inside.begin(), inside.end(), [](QWidget *w) {
                    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
                });
            }
            focus->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), focus);
            QTest::keyClick(form()->windowHandle(), Qt::Key_F1);
        }
        auto *help = form()->findChild<QTextBrowser *>(QStringLiteral("HelpWindow"));
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->cursorForPosition(QPoint(2, 2)).block().text().trimmed(), section);
    }

    // Every section a window asks for has its anchor, and opens with its
    // heading at the top of the help window, also the ones near the end.
    void everyContextHasItsSection_data()
    {
        using namespace platform::helpcontext;
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("section");
        QTest::newRow("Menus") << int(Menus) << "Die Menüs";
        QTest::newRow("BasicData") << int(BasicData) << "Grunddaten";
        QTest::newRow("Composition") << int(Composition) << "Bericht zusammenstellen";
        QTest::newRow("ReportOverview") << int(ReportOverview) << "Berichte Übersicht";
        QTest::newRow("BulkPrint") << int(BulkPrint) << "Sammeldruck";
        QTest::newRow("ReportOfReports") << int(ReportOfReports) << "Berichte Report";
        QTest::newRow("MainWindow") << int(MainWindow) << "Das Hauptfenster";
        QTest::newRow("ReportEditor") << int(ReportEditor) << "Bericht bearbeiten";
        QTest::newRow("TrainingTime") << int(TrainingTime) << "Übersicht über die Ausbildungszeit";
        QTest::newRow("ImportExport") << int(ImportExport) << "Import/Export und Sicherung";
        QTest::newRow("Preview") << int(Preview) << "Druckvorschau";
        QTest::newRow("WeekLedger") << int(WeekLedger) << "Wochen";
        QTest::newRow("Review") << int(Review) << "Durchsicht durch den Ausbildenden";
        QTest::newRow("Readiness") << int(Readiness) << "Ausbildungsnachweis prüfen";
    }
    void everyContextHasItsSection()
    {
        QFETCH(int, context);
        QFETCH(QString, section);
        start();
        platform::showHelp(context);
        auto *help = form()->findChild<QTextBrowser *>(QStringLiteral("HelpWindow"));
        QVERIFY(help && help->isVisible());
        const QTextBlock top = help->cursorForPosition(QPoint(2, 2)).block();
        QCOMPARE(top.text().trimmed(), section);
        QStringList anchors;
        for (auto it = top.begin(); !it.atEnd(); ++it)
            anchors << it.fragment().charFormat().anchorNames();
        QVERIFY2(anchors.contains(QStringLiteral("h%1").arg(context)), qPrintable(anchors.join(u' ')));
    }

    // The help addresses the reader as "Sie" and knows no floppy disks nor
    // data beside the program.
    void helpSpeaksAsTheProgramDoes()
    {
        QFile file(QStringLiteral(":/help/hilfe.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTextDocument doc;
        doc.setHtml(QString::fromUtf8(file.readAll()));
        const QRegularExpression wrong(QStringLiteral("\\b(du|dich|dir|dein\\w*|Diskette\\w*|Programmordner\\w*)\\b"),
                                       QRegularExpression::CaseInsensitiveOption
                                           | QRegularExpression::UseUnicodePropertiesOption);
        QStringList found;
        for (auto it = wrong.globalMatch(doc.toPlainText()); it.hasNext();)
            found << it.next().captured();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral(", "))));
    }

    // Qt's own dialogs and menus speak German.
    void qtsOwnTextsAreGerman()
    {
        start();
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction *a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        QVERIFY2(texts.value(0).contains(QStringLiteral("Rückgängig")), qPrintable(texts.join(QLatin1Char(' '))));
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        auto *lookIn = files.findChild<QLabel *>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY2(!lookIn->text().contains(QStringLiteral("Look in")), qPrintable(lookIn->text()));
    }

    void windowLayout()
    {
        start();
        QCOMPARE(form()->windowTitle(), QStringLiteral("Lernora"));
        QCOMPARE(form()->size(), QSize(987, 748));
        auto *tabs = child<QTabWidget>("PageControl1");
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Bericht zusammenstellen"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Berichte Übersicht"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Berichte Report"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(child<QStatusBar>("StatusLine"));
        auto *label = child<QLabel>("lehrjahrlabel");
        QVERIFY(label);
        QVERIFY(label->font().bold());
        // the display choice shows both items whole with this platform's fonts
        auto *choice = child<controls::RadioGroup>("uebersichtanzeigewahl");
        QVERIFY(choice);
        QCOMPARE(choice->pos(), QPoint(240, 16));
        choice->window()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        for (QRadioButton *b : choice->findChildren<QRadioButton *>()) {
            QVERIFY2(b->width() >= b->sizeHint().width() && b->height() >= b->sizeHint().height(), qPrintable(b->text()));
            QVERIFY(choice->rect().contains(b->geometry()));
        }
        // anchored to the right edge of the bar
        const QPoint right = label->mapTo(form(), QPoint(label->width(), 0));
        QVERIFY2(form()->width() - right.x() < 40, qPrintable(QString::number(right.x())));
    }

    void menuCaptionsAndHints_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items"); // "-" for a separator
        QTest::newRow("Datei") << "&Datei" << QStringList{"&Import/Export", "-", "&Beenden"};
        QTest::newRow("Einstellungen") << "&Einstellungen"
                                       << QStringList{"&Grunddaten", "&Lehrjahr", "&Erinnerung an fehlende Berichte"};
        QTest::newRow("Formulare") << "&Formulare"
                                   << QStringList{"&Ausbildungsnachweis", "Ausbildungsnachweis als P&DF speichern...",
                                                  "Ausbildungsnachweis &prüfen...",
                                                  "&Übersicht ü. die Ausbildungszeit", "&Wochen..."};
        QTest::newRow("Hilfe") << "&Hilfe" << QStringList{"&Inhalt", "-", "I&nfo..."};
        QTest::newRow("Extras") << "E&xtras" << QStringList{"&Ausgangszustand herstellen"};
    }

    void menuCaptionsAndHints()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        start();
        QMenu *found = nullptr;
        for (QAction *a : form()->menuBar()->actions())
            if (a->text() == menu)
                found = a->menu();
        QVERIFY2(found, qPrintable(menu));
        QStringList captions;
        for (QAction *a : found->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, items);
    }

    void statusLineShowsTheLongHint_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("hint");
        QTest::newRow("Beenden") << "FileExitItem" << "Diese Anwendung beenden";
        QTest::newRow("Inhalt") << "HelpContentsItem" << "Inhaltsübersicht der Hilfe anzeigen";
        QTest::newRow("Info") << "HelpAboutItem" << "Programminformationen anzeigen";
    }

    void statusLineShowsTheLongHint()
    {
        QFETCH(QString, item);
        QFETCH(QString, hint);
        start();
        auto *action = form()->findChild<QAction *>(item);
        QVERIFY(action);
        // open the item's menu and move the mouse onto the item
        QMenu *menu = qobject_cast<QMenu *>(action->parent()) ? qobject_cast<QMenu *>(action->parent()) : nullptr;
        for (QMenu *m : form()->findChildren<QMenu *>())
            if (m->actions().contains(action))
                menu = m;
        QVERIFY(menu);
        menu->popup(form()->mapToGlobal(QPoint(20, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::mouseMove(menu, menu->actionGeometry(action).center());
        QTRY_COMPARE(menu->activeAction(), action);
        QCOMPARE(child<QStatusBar>("StatusLine")->currentMessage(), hint);
        menu->close();
    }

    void yearFromTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("checked"); // which of the three year items
        QTest::newRow("no file") << QByteArray() << "1" << 1;
        QTest::newRow("year 2") << QByteArray("[Stift]\r\nJahr=2\r\n") << "2" << 2;
        QTest::newRow("year 3, other spelling") << QByteArray("[STIFT]\r\njahr=3\r\n") << "3" << 3;
        QTest::newRow("all years") << QByteArray("[Stift]\r\nJahr=0\r\n") << "0" << 1;
        QTest::newRow("not a number") << QByteArray("[Stift]\r\nJahr=zwei\r\n") << "1" << 1;
    }

    void yearFromTheSettingsFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, label);
        QFETCH(int, checked);
        if (!ini.isEmpty())
            writeIni(ini);
        start();
        QCOMPARE(child<QLabel>("lehrjahrlabel")->text(), label);
        QCOMPARE(m_app->session().year, label.toInt());
        for (int y = 1; y <= 3; ++y)
            QCOMPARE(form()->findChild<QAction *>(QStringLiteral("N%1Lehrjahr1").arg(y))->isChecked(), y == checked);
    }

    void namesAndDisplayChoiceAreRead()
    {
        writeIni("[Stift]\r\nName=J\xfcrgen M\xfcller\r\n[BKM]\r\nname=Erika Schwarz\r\n[Werte]\r\nAnzeigewahl=1\r\n");
        start();
        QCOMPARE(m_app->session().apprenticeName, QStringLiteral("Jürgen Müller"));
        QCOMPARE(m_app->session().trainerName, QStringLiteral("Erika Schwarz"));
        QCOMPARE(child<controls::RadioGroup>("uebersichtanzeigewahl")->itemIndex(), 1);
    }

    void choosingAYear()
    {
        start();
        auto *item = form()->findChild<QAction *>(QStringLiteral("N3Lehrjahr1"));
        item->trigger();
        QCOMPARE(child<QLabel>("lehrjahrlabel")->text(), QStringLiteral("3"));
        QCOMPARE(m_app->session().year, 3);
        QVERIFY(item->isChecked());
        QVERIFY(!form()->findChild<QAction *>(QStringLiteral("N1Lehrjahr1"))->isChecked());
        QCOMPARE(iniBytes(), QByteArray("<none>")); // stored only at exit
    }

    void exitAnsweredNoChangesNothing()
    {
        writeIni("[Stift]\r\nJahr=1\r\n");
        start();
        form()->findChild<QAction *>(QStringLiteral("N2Lehrjahr1"))->trigger();
        const QByteArray before = iniBytes();
        m_messages->answer(Answer::No);
        form()->findChild<QAction *>(QStringLiteral("FileExitItem"))->trigger();
        QCOMPARE(m_messages->questions(), QStringList{QStringLiteral("Programm wirklich beenden?.")});
        QVERIFY(form()->isVisible());
        QCOMPARE(iniBytes(), before);
        QVERIFY(m_app->tables().berichttable().isOpen());
    }

    void exitAnsweredYesStoresYearAndDisplayChoice()
    {
        start();
        form()->findChild<QAction *>(QStringLiteral("N2Lehrjahr1"))->trigger();
        child<controls::RadioGroup>("uebersichtanzeigewahl")->setItemIndex(1);
        m_messages->answer(Answer::Yes);
        QVERIFY(form()->close());
        QVERIFY(!form()->isVisible());
        const store::Settings settings(ini());
        QCOMPARE(settings.readInteger(QStringLiteral("Stift"), QStringLiteral("Jahr"), -1), 2);
        QCOMPARE(settings.readInteger(QStringLiteral("Werte"), QStringLiteral("Anzeigewahl"), -1), 1);
    }

    // A damaged or huge settings file neither crashes nor stalls the start;
    // the window shows within a second, with the year the file names.
    void hostileSettingsFileStartsQuickly_data()
    {
        QTest::addColumn<QByteArray>("text");
        QByteArray junk(2'000'000, '\0');
        quint32 x = 12345;
        for (char &c : junk) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        QTest::newRow("invalid bytes") << "[Stift]\r\nJahr=2\r\n" + junk;
        QTest::newRow("10 MB line") << "[Stift]\r\nJahr=2\r\nName=" + QByteArray(10'000'000, 'x') + "\r\n";
        QByteArray keys = "[Stift]\r\n";
        for (int i = 0; i < 100'000; ++i)
            keys += "Schluessel" + QByteArray::number(i) + "=Wert " + QByteArray::number(i) + "\r\n";
        QTest::newRow("100000 keys") << keys + "Jahr=2\r\n";
    }
    void hostileSettingsFileStartsQuickly()
    {
        QFETCH(QByteArray, text);
        writeIni(text);
        QElapsedTimer clock;
        clock.start();
        start();
        const qint64 ms = clock.elapsed();
        qInfo("start with this settings file: %lld ms", ms);
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
        QCOMPARE(m_app->session().year, 2);
    }

    // Opening the program leaves every table file byte for byte as it was
    // once the target corrections are in place and the composition is empty.
    void aStartWritesNoTableFile()
    {
        start(); // the first start may correct the targets
        m_messages->answer(Answer::Yes);
        QVERIFY(form()->close());
        m_app.reset();
        const auto before = testsupport::fileSnapshot(m_dir->dataDir());
        QCOMPARE(before.size(), 7); // the tables and the marks, made at the first start
        start();
        child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        m_messages->answer(Answer::Yes);
        QVERIFY(form()->close());
        m_app.reset();
        const auto after = testsupport::fileSnapshot(m_dir->dataDir());
        QCOMPARE(after.keys(), before.keys());
        QStringList written;
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            if (after.value(it.key()) != it.value())
                written << it.key();
        QCOMPARE(written, QStringList());
    }

    // "Import/Export" shows its window while every table is closed, so that
    // it can replace the files; afterwards the program works on the files
    // as they are then.
    void importExportWorksOnClosedTables()
    {
        start();
        platform::ScriptedModalRunner runner;
        store::TableSet &tables = m_app->tables();
        runner.onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *window) {
            for (const char *name : {"thetable.DB", "tmptable.DB", "bericht.db", "berdet.DB", "hints.db", "uebersB.DB"})
                QVERIFY2(!tables.table(QLatin1String(name)).isOpen(), name);
            // What an import does to a file.
            store::TableSet other(m_dir->dataDir());
            other.openAtStart();
            other.exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (1, 7, 1)"));
            window->close();
        });
        form()->findChild<QAction *>(QStringLiteral("ImportExport1"))->trigger();
        QCOMPARE(runner.shownNames(), QStringList{QStringLiteral("EXIMMainForm")});
        for (const char *name : {"thetable.DB", "tmptable.DB", "bericht.db", "berdet.DB", "hints.db", "uebersB.DB"})
            QVERIFY2(tables.table(QLatin1String(name)).isOpen(), name);
        QCOMPARE(tables.berichttable().value(store::field::Nummer).toInt(), 7);
        QCOMPARE(m_messages->shown(), QStringList());
    }

    void helpOpensTheShippedText()
    {
        start();
        form()->findChild<QAction *>(QStringLiteral("HelpContentsItem"))->trigger();
        auto *help = form()->findChild<QTextBrowser *>(QStringLiteral("HelpWindow"));
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->toPlainText().contains(QStringLiteral("Bericht zusammenstellen")));
    }

    void startStopsOnAMissingTable()
    {
        QVERIFY(QFile::remove(m_dir->file(QStringLiteral("uebersB.DB"))));
        try {
            lernora::Application app;
            QFAIL("started without uebersB.DB");
        } catch (const store::StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("uebersB.DB")), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(m_dir->file(QStringLiteral("uebersB.DB"))));
        QVERIFY(QApplication::topLevelWidgets().isEmpty() || std::none_of(QApplication::topLevelWidgets().begin(),
                    QApplication::topLevelWidgets().end(), [](QWidget *w) { return w->isVisible(); }));
    }

    void printsTakeTheProgramsClock()
    {
        platform::FixedClock clock(QDateTime(QDate(2001, 12, 24), QTime(7, 5)));
        platform::setClock(&clock);
        const auto systemTime = qScopeGuard([] { platform::setClock(nullptr); });
        start();
        QCOMPARE(engine::now(), clock.now());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
