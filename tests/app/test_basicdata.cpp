// Basic data, the reset and the about box in the running program.

#include "planfixture.h"
#include "app/aboutbox.h"
#include "app/basicdatadialog.h"
#include "app/programicon.h"
#include "controls/dbcontrols.h"
#include "controls/dbgrid.h"
#include "filesnapshot.h"
#include "overviews/reportoverview.h"
#include "platform/shell.h"
#include "scriptedmodalrunner.h"
#include "store/fields.h"
#include "store/schema.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>

#include <optional>

#ifdef Q_OS_UNIX
#include "filesizelimit.h"
#endif

using platform::Answer;

class TestBasicData : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::PlanFixture> f;
    std::unique_ptr<platform::ScriptedModalRunner> m_runner;
    QList<QUrl> m_opened; // what the links asked the shell to open

    static QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray ini() const { return bytes(f->dir().path() + QStringLiteral("/Ruririd.ini")); }
    void trigger(const char *action) { f->form()->findChild<QAction *>(QLatin1String(action))->trigger(); }
    // Opens a window from its menu item: `user` works in it, then clicks `button`.
    template <typename Window>
    void open(const char *action, const std::function<void(Window *)> &user, const char *button)
    {
        m_runner->onNext(action == QByteArray("HelpAboutItem") ? "AboutBox" : "grunddatendlg", [&](QDialog *d) {
            user(qobject_cast<Window *>(d));
            QTest::mouseClick(d->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        });
        trigger(action);
        QCOMPARE(m_runner->pendingNames(), QStringList());
    }
    QStringList shownCounts() const // the distinct texts of the count labels shown
    {
        QStringList counts;
        for (const plan::PlanLabel *l : f->form()->findChildren<plan::PlanLabel *>())
            if (!l->isHidden() && QRegularExpression(QStringLiteral("^(grp)?cnt")).match(l->objectName()).hasMatch())
                counts << l->text();
        counts.removeDuplicates();
        return counts;
    }

private slots:
    void init()
    {
        f = std::make_unique<testsupport::PlanFixture>();
        m_runner = std::make_unique<platform::ScriptedModalRunner>();
        m_opened.clear();
        platform::setUrlOpener([this](const QUrl &url) { return m_opened << url, url.scheme() != "mailto"; });
    }
    void cleanup()
    {
        f.reset();
        m_runner.reset();
        platform::setUrlOpener({});
    }

    // OK writes every key in its order, the first names empty, also with
    // nothing changed; what is typed is read back by any spelling of its
    // key and the names go into the program; Cancel writes nothing.
    void okWritesEveryKey()
    {
        f->start(1); // writes Jahr=1
        open<Tgrunddatendlg>(
            "Grunddaten1", [](Tgrunddatendlg *) {}, "OKBtn");
        QCOMPARE(ini(), QByteArray("[Stift]\r\nJahr=1\r\nName=\r\nVorName=\r\nGebdat=\r\nOrt=\r\nStrasse=\r\nAZvom=\r\n"
                                   "AZbis=\r\nABNStart=\r\nABNEnde=\r\n\r\n[BKM]\r\nName=\r\nVorName=\r\nOrt=\r\n"
                                   "Strasse=\r\nInnung=\r\n"));
        open<Tgrunddatendlg>(
            "Grunddaten1",
            [](Tgrunddatendlg *d) {
                d->edit("azubiname")->insert(QStringLiteral("Jürgen Müller"));
                QTest::keyClicks(d->edit("abname"), QStringLiteral("Erika Schwarz"));
                QTest::keyClicks(d->edit("azvom"), QStringLiteral("1.8.24"));
                for (const QLabel *l : d->findChildren<QLabel *>()) // whole, beside their edits
                    for (const QLineEdit *e : d->findChildren<QLineEdit *>())
                        QVERIFY2(!l->geometry().intersects(e->geometry()) && l->width() >= l->sizeHint().width(),
                                 qPrintable(l->text()));
            },
            "OKBtn");
        QCOMPARE(store::Settings().readString(QStringLiteral("Stift"), QStringLiteral("Azvom")),
                 QStringLiteral("1.8.24"));
        QCOMPARE(f->app().session().apprenticeName, QStringLiteral("Jürgen Müller"));
        QCOMPARE(f->app().session().trainerName, QStringLiteral("Erika Schwarz"));
        const QByteArray stored = ini();
        open<Tgrunddatendlg>(
            "Grunddaten1", [](Tgrunddatendlg *d) { d->edit("azvom")->setText(QString()); }, "CancelBtn");
        QCOMPARE(ini(), stored);
    }

    // OK is refused while a field holds a character the settings file
    // cannot store, or when the disk fills half way through the write: the
    // message says so, the dialog stays open, the file keeps every byte and
    // the names in the program stay.
    void okRefusedKeepsTheFile_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("Polish name") << "azubiname"
                                     << "Łukasz" << QStringList{"„Ł“ (U+0141)", "„Name“ des Auszubildenden"};
        QTest::newRow("Cyrillic date") << "abnende"
                                       << "1.7.2027 г." << QStringList{"„г“", "„Ausbildungsnachweis abgeschlossen am“"};
#ifdef Q_OS_UNIX // a file size limit stands for the full disk
        QTest::newRow("disk full") << "azubistrasse" << QString(120, 'x')
                                   << QStringList{"NICHT gespeichert", "Ruririd.ini"};
#endif
    }
    void okRefusedKeepsTheFile()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QStringList, said);
        f->start(1);
        const auto before = testsupport::fileSnapshot(f->dir().path());
        open<Tgrunddatendlg>(
            "Grunddaten1",
            [&](Tgrunddatendlg *d) {
                d->edit("azubiname")->setText(QStringLiteral("Anna"));
                d->edit(qPrintable(edit))->setText(typed);
                {
#ifdef Q_OS_UNIX
                    // The disk has room for the first keys, not for all of them.
                    std::optional<testsupport::FileSizeLimit> full;
                    if (said.contains("Ruririd.ini"))
                        full.emplace(60);
#endif
                    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
                }
                QVERIFY(d->isVisible());
                QCOMPARE(f->messages().errors().size(), 1);
                for (const QString &part : said)
                    QVERIFY2(f->messages().errors().first().contains(part), qPrintable(f->messages().errors().first()));
            },
            "CancelBtn");
        QCOMPARE(testsupport::fileSnapshot(f->dir().path()), before);
        QCOMPARE(f->app().session().apprenticeName, QString());
    }

    // Cancel on the reset question changes nothing. After the reset, No to
    // the exit question leaves open tables, zero counts, an empty overview
    // and composition and a program that composes at once; a new start
    // shows the same, with the training-time overview and the basic data
    // as they were.
    void resetThenNoThenRestart()
    {
        store::Settings().writeString(QStringLiteral("Stift"), QStringLiteral("Name"), QStringLiteral("Jürgen"));
        f->start(1);
        f->click(29);
        store::TableSet &t = f->tables();
        for (auto [table, name] : {std::pair(&t.berichttable(), store::field::Nummer),
                                   std::pair(&t.berichtdetailtable(), store::field::LfdfTag),
                                   std::pair(&t.uebersichttable(), store::field::Lj)}) {
            table->append();
            table->setValue(name, 1);
            table->post();
        }
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 2, ThemaCnt = 1"));
        const auto files = [this] {
            QByteArray all = ini();
            for (const store::TableDef &def : store::tableDefs())
                all += bytes(f->dir().file(def.fileName));
            return all;
        };
        const QByteArray before = files();
        const QStringList shown = f->snapshot();
        f->messages().answer(Answer::Cancel);
        trigger("Ausgangszustandherstellen1");
        QVERIFY(files() == before);
        QCOMPARE(f->snapshot(), shown);

        const QByteArray overview = bytes(f->dir().file(QStringLiteral("uebersB.DB")));
        f->messages().answer(Answer::Ok);
        f->messages().answer(Answer::No);
        trigger("Ausgangszustandherstellen1");
        QCOMPARE(
            f->messages().questions().mid(1),
            (QStringList{QStringLiteral("Ausgangszustand wiederherstellen und Programm beenden? \nAlle Berichte und "
                                        "Änderungen werden gelöscht, das Programm wird beendet."),
                         QStringLiteral("Programm wirklich beenden?.")}));
        for (int run = 0; run < 2; ++run, f->stop(), f->start(1)) {
            QVERIFY(f->form()->isVisible());
            for (const store::TableDef &def : store::tableDefs())
                QVERIFY2(f->tables().table(def.fileName).isOpen(), qPrintable(def.fileName));
            QCOMPARE(f->form()->overview().DBGrid3()->model()->rowCount(), 0);
            QCOMPARE(shownCounts(), QStringList{"0"});
            QCOMPARE(f->listEntries(), QStringList());
            QCOMPARE(bytes(f->dir().file(QStringLiteral("uebersB.DB"))), overview);
            QCOMPARE(f->app().session().apprenticeName, QStringLiteral("Jürgen"));
            f->click(29);
            QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("1"));
        }
    }

    // Before the reset deletes anything the data become a backup, named
    // afterwards; restoring it through the import/export window brings every
    // report back. Without a backup the reset deletes nothing.
    void resetKeepsASafetyBackup_data()
    {
        QTest::addColumn<bool>("backupPossible");
        QTest::newRow("restored through the window") << true;
        QTest::newRow("no backup: nothing deleted") << false;
    }
    void resetKeepsASafetyBackup()
    {
        QFETCH(bool, backupPossible);
        const QString root = f->dir().path() + QStringLiteral("/sicherung");
        if (!backupPossible) { // a file where the backups go
            QFile blocker(root);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        f->start(1);
        f->click(29);
        store::Table &reports = f->tables().berichttable();
        for (int number = 1; number <= 3; ++number) {
            reports.append();
            reports.setValue(store::field::Nummer, number);
            reports.setValue(store::field::AJahr, 1);
            reports.post();
        }
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 2, ThemaCnt = 1"));
        const QStringList tables{"bericht.db", "berdet.DB", "thetable.DB"};
        const auto files = [&] {
            QList<QByteArray> all;
            for (const QString &name : tables)
                all << bytes(f->dir().file(name));
            return all;
        };
        const QList<QByteArray> before = files();
        f->messages().answer(Answer::Ok);
        f->messages().answer(Answer::No);
        trigger("Ausgangszustandherstellen1");
        if (!backupPossible) {
            QCOMPARE(f->messages().errors().size(), 1);
            QVERIFY2(f->messages().errors().first().contains(QStringLiteral("Es wurde nichts gelöscht")),
                     qPrintable(f->messages().errors().first()));
            QCOMPARE(f->messages().questions().size(), 1); // no exit question
            QCOMPARE(files(), before);
            return;
        }
        QCOMPARE(f->messages().errors(), QStringList());
        const QRegularExpression named(QStringLiteral("Sicherung „([0-9_-]+)“"));
        const QRegularExpressionMatch said = named.match(f->messages().notices().value(0));
        QVERIFY2(said.hasMatch(), qPrintable(f->messages().notices().value(0)));
        QCOMPARE(reports.recordCount(), 0);

        m_runner->onNext("EXIMMainForm", [&](QDialog *d) {
            auto *list = d->findChild<QListWidget *>(QStringLiteral("dirlistbox"));
            const QList<QListWidgetItem *> found = list->findItems(said.captured(1), Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentItem(found.first());
            f->messages().answer(Answer::Yes);
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("lrestorebtn")), Qt::LeftButton);
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("fertigbtn")), Qt::LeftButton);
        });
        trigger("ImportExport1");
        QCOMPARE(m_runner->pendingNames(), QStringList());
        QCOMPARE(f->messages().errors(), QStringList());
        QCOMPARE(files(), before);
        QCOMPARE(f->tables().berichttable().recordCount(), 3);
    }

    // A double click on the box, its panel or a text on it shows when the
    // program file was built; a link's click opens it through the shell,
    // and a desktop without a mail program says so.
    void aboutBox_data()
    {
        QTest::addColumn<QString>("target"); // "" for the box itself
        QTest::addColumn<QString>("opened");
        QTest::newRow("box") << ""
                             << "";
        QTest::newRow("panel") << "Panel1"
                               << "";
        QTest::newRow("product name") << "ProductName"
                                      << "";
        QTest::newRow("web link") << "Label1"
                                  << "https://lernora.example.org/";
        QTest::newRow("mail link") << "Label2"
                                   << "mailto:info@lernora.example.org";
    }
    void aboutBox()
    {
        QFETCH(QString, target);
        QFETCH(QString, opened);
        const QDateTime file = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
        const QString stamp = QStringLiteral("Built: ") + QLocale::system().toString(file.date(), QLocale::ShortFormat)
                              + QLatin1Char(' ') + QLocale::system().toString(file.time(), QLocale::LongFormat);
        f->start(1);
        open<TAboutBox>(
            "HelpAboutItem",
            [&](TAboutBox *box) {
                auto *compiled = box->findChild<QLabel *>(QStringLiteral("compiled"));
                QCOMPARE(compiled->text(), QStringLiteral("Mai 2012"));
                QWidget *w = target.isEmpty() ? box : box->findChild<QWidget *>(target);
                const QPoint at = target.isEmpty() ? QPoint(4, 250) : QPoint(3, 3);
                opened.isEmpty() ? QTest::mouseDClick(w, Qt::LeftButton, {}, at)
                                 : QTest::mouseClick(w, Qt::LeftButton, {}, at);
                QCOMPARE(compiled->text(), opened.isEmpty() ? stamp : QStringLiteral("Mai 2012"));
                QCOMPARE(w->cursor().shape(), opened.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
            },
            "OKButton");
        QCOMPARE(m_opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
        QCOMPARE(f->messages().errors().size(), opened.startsWith(QLatin1String("mailto")) ? 1 : 0);
    }

    // The icon files at every size: a filled square with clear corners;
    // the main window shows the icon.
    void programIcon()
    {
        QTemporaryDir out;
        QVERIFY(lernora::writeProgramIconFiles(out.path()));
        for (int size : lernora::programIconSizes) {
            const QImage image(out.filePath(QStringLiteral("lernora-%1.png").arg(size)));
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(0, 0)) + qAlpha(image.pixel(size - 1, size - 1)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)) + qAlpha(image.pixel(size / 2, size - 1 - size / 16)),
                     510);
        }
        f->start(1);
        QCOMPARE(f->form()->windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
                 lernora::programIconImage(32).convertToFormat(QImage::Format_ARGB32));
    }
};

QTEST_MAIN(TestBasicData)
#include "test_basicdata.moc"
