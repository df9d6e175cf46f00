// Recovery of the texts typed into the report editor: the file written while
// the editor is open, a crash with the file left behind, the question at the
// next start, and files that are no recovery file of this program.

#include "editorfixture.h"

#include "editor/recovery.h"
#include "richtext/rtf.h"
#include "store/fields.h"

#include <QDirIterator>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

using platform::Answer;
using testsupport::EditorFixture;

namespace {

QString recoveryFile()
{
    return recovery::filePath();
}

// Every table file's bytes, to prove that nothing was written.
QMap<QString, QByteArray> tableFiles(const QString &dataDir)
{
    QMap<QString, QByteArray> out;
    for (QDirIterator it(dataDir, QDir::Files); it.hasNext();) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        out[it.fileName()] = f.readAll();
    }
    return out;
}

// Appends `text` to a rich-text field, `bold` in bold, as typing with the
// bold tool would.
void typeRich(QTextEdit *edit, const QString &plain, const QString &bold)
{
    edit->setFocus();
    QTextCursor c(edit->document());
    c.movePosition(QTextCursor::End);
    c.insertText(plain);
    QTextCharFormat f;
    f.setFontWeight(QFont::Bold);
    c.insertText(bold, f);
}

// What the editor held when the program "crashed".
struct Typed
{
    QString activities; // RTF of the document
    QString remarks;
    QString description;
    QString topic;
};

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

    // Types into every text field of the open sheet and lets the editor
    // write its recovery file; the file is then put aside, and the dialog
    // is cancelled: the table files are left as a crash leaves them (a
    // stored report unchanged, a new report's creation rolled back), and
    // the file is put back as the crash would have left it.
    Typed typeAndCrash(Tberichtdlg &d)
    {
        Typed t;
        auto *thema = d.findChild<QPlainTextEdit *>(QStringLiteral("DBMemo1"));
        thema->setPlainText(QStringLiteral("Kehren eines Kamins"));
        auto *end = d.findChild<QLineEdit *>(QStringLiteral("endedit"));
        end->selectAll();
        QTest::keyClicks(end, QStringLiteral("20.03.2026"));
        typeRich(d.taetigkeitedit(), QStringLiteral("Kehrung im Haus "), QStringLiteral("Müller"));
        typeRich(d.vermerkeedit(), QStringLiteral("Ruß "), QStringLiteral("entfernt"));
        typeRich(d.findChild<QTextEdit *>(QStringLiteral("DBRichEdit3")), QStringLiteral("Zuerst "),
                 QStringLiteral("Abdeckung"));
        t.activities = QString::fromLatin1(richtext::writeRtf(*d.taetigkeitedit()->document()));
        t.remarks = QString::fromLatin1(richtext::writeRtf(*d.vermerkeedit()->document()));
        t.description = QString::fromLatin1(
            richtext::writeRtf(*d.findChild<QTextEdit *>(QStringLiteral("DBRichEdit3"))->document()));
        t.topic = thema->toPlainText();
        d.writeRecovery();
        QFile::remove(crashCopy());
        if (!QFile::copy(recoveryFile(), crashCopy()))
            qWarning("no recovery file written");
        f->messages().answer(Answer::Yes);
        d.reject();
        return t;
    }
    QString crashCopy() const { return f->dir().path() + QStringLiteral("/crash-copy"); }

    void restartAfterCrash()
    {
        f->stop();
        QVERIFY(!QFile::exists(recoveryFile())); // Cancel removed it
        QVERIFY(QFile::rename(crashCopy(), recoveryFile()));
        f->messages().clear();
        f->start(1);
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void crashThenNextStart_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("restore");
        for (const char *report : {"stored", "new", "deleted since"})
            for (bool restore : {true, false})
                QTest::addRow("%s report, %s", report, restore ? "restored" : "declined") << QString::fromLatin1(report)
                                                                                        << restore;
    }

    void crashThenNextStart()
    {
        QFETCH(QString, report);
        QFETCH(bool, restore);
        f->start(1);
        Typed typed;
        if (report == QLatin1String("new")) {
            f->create({29}, [&](Tberichtdlg &d) { typed = typeAndCrash(d); });
        } else {
            f->createAndConfirm({29});
            f->openExisting(1, 1, [&](Tberichtdlg &d) { typed = typeAndCrash(d); });
        }
        const qint64 storedKey = f->sql(QStringLiteral("SELECT MAX(BerLfd) FROM bericht")).toLongLong();
        if (report == QLatin1String("deleted since"))
            f->tables().exec(QStringLiteral("DELETE FROM bericht"));
        restartAfterCrash();
        const QMap<QString, QByteArray> before = tableFiles(f->dir().dataDir());
        const QString partsBefore = f->sql(QStringLiteral("SELECT TDAB1 FROM bericht")).toString();

        f->messages().answer(restore ? Answer::Yes : Answer::No);
        f->app().offerRecovery();
        QCOMPARE(f->messages().questions().size(), 1);
        QVERIFY(f->messages().questions().first().contains(report == QLatin1String("new") ? QStringLiteral("neuer")
                                                                                           : QStringLiteral("Nr. 1")));
        QCOMPARE(f->messages().errors(), QStringList());
        QVERIFY(!QFile::exists(recoveryFile()));
        if (!restore) {
            QCOMPARE(tableFiles(f->dir().dataDir()), before);
            return;
        }
        QCOMPARE(f->sql(QStringLiteral("SELECT COUNT(*) FROM bericht")).toInt(), 1);
        const auto value = [&](const char *name) {
            return f->sql(QStringLiteral("SELECT %1 FROM bericht").arg(QLatin1String(name))).toString();
        };
        QCOMPARE(value("Taetigkeit"), typed.activities);
        QCOMPARE(value("Vermerke"), typed.remarks);
        QCOMPARE(value("Darstellung"), typed.description);
        QCOMPARE(value("Thema"), typed.topic);
        QCOMPARE(value("WocheVom"), QStringLiteral("2026-03-09"));
        QCOMPARE(value("WocheBis"), QStringLiteral("2026-03-20"));
        QCOMPARE(value("AJahr") + QLatin1Char('/') + value("Nummer") + QLatin1Char('/') + value("Blatt"),
                 QStringLiteral("1/1/1"));
        // Into the same row only when that row is still there.
        QCOMPARE(f->sql(QStringLiteral("SELECT BerLfd FROM bericht")).toLongLong() == storedKey,
                 report == QLatin1String("stored"));
        if (report == QLatin1String("stored")) { // the rest of the row as it was
            QVERIFY(!partsBefore.isEmpty());
            QCOMPARE(value("TDAB1"), partsBefore);
        }
        // The formatting came back, not only the words.
        QTextDocument doc;
        richtext::load(doc, value("Taetigkeit"));
        const QString text = doc.toPlainText();
        QVERIFY(text.endsWith(QStringLiteral("Kehrung im Haus Müller")));
        QTextCursor c(&doc);
        c.setPosition(text.size() - 2);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
        c.setPosition(text.size() - 8);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Normal));
    }

    void closingNormallyRemovesTheFile_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Abbrechen") << false;
    }

    void closingNormallyRemovesTheFile()
    {
        QFETCH(bool, ok);
        f->start(1);
        f->createAndConfirm({29});
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            d.recoveryTimer()->setInterval(20);
            QVERIFY(d.recoveryTimer()->isActive());
            // Entering a field is no change: nothing is written.
            d.vermerkeedit()->setFocus();
            QTest::qWait(100);
            QVERIFY(!QFile::exists(recoveryFile()));
            // Typed text is written by the timer, again after more typing.
            typeRich(d.vermerkeedit(), QStringLiteral("erste"), QString());
            QTRY_VERIFY(QFile::exists(recoveryFile()));
            typeRich(d.vermerkeedit(), QStringLiteral(" zweite"), QString());
            QTRY_VERIFY([] {
                QFile file(recoveryFile());
                file.open(QIODevice::ReadOnly);
                const auto sheet = recovery::decode(file.readAll());
                return sheet && richtext::toPlainText(sheet->texts.value(QStringLiteral("Vermerke")).toString())
                                    == QStringLiteral("erste zweite");
            }());
            if (ok) {
                d.accept();
            } else {
                f->messages().answer(Answer::Yes);
                d.reject();
            }
        });
        QVERIFY(!QFile::exists(recoveryFile()));
        f->stop();
        f->start(1);
        f->messages().clear();
        f->app().offerRecovery();
        QCOMPARE(f->messages().questions(), QStringList());
    }

    void damagedFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        recovery::Sheet valid;
        valid.stored = true;
        valid.year = 1;
        valid.number = 1;
        valid.sheet = 1;
        for (const QString &name : recovery::textFields())
            valid.texts[name] = QVariant();
        valid.texts[store::field::Taetigkeit] = QStringLiteral("Text");
        const QByteArray good = recovery::encode(valid);
        QByteArray foreign = good;
        foreign.replace("Lernora-Wiederherstellung", "Anderes Programm");
        QByteArray wrongKind = good;
        wrongKind.replace("\"Text\"", "42");
        QByteArray badDate = good;
        badDate.replace("\"WocheVom\": null", "\"WocheVom\": \"2026-02-31\"");
        QVERIFY(badDate != good);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("junk") << QByteArray("\x00\xff\x13junk{{", 9);
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QTest::newRow("foreign") << foreign;
        QTest::newRow("text as number") << wrongKind;
        QTest::newRow("impossible date") << badDate;
        QTest::newRow("array") << QByteArray("[1,2,3]");
    }

    void damagedFileIsRefused()
    {
        QFETCH(QByteArray, content);
        f->start(1);
        f->createAndConfirm({29});
        f->stop();
        {
            QFile file(recoveryFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        f->start(1);
        const QMap<QString, QByteArray> before = tableFiles(f->dir().dataDir());
        f->messages().clear();
        f->app().offerRecovery();
        QCOMPARE(f->messages().questions(), QStringList());
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY(f->messages().errors().first().contains(QStringLiteral("bericht-wiederherstellung.json")));
        QVERIFY(!QFile::exists(recoveryFile()));
        QCOMPARE(tableFiles(f->dir().dataDir()), before);
        QVERIFY(f->form()->isVisible());
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
