// Recovery of the texts typed into the report editor: the file written while
// the editor is open, a crash with the file left behind, the question at the
// next start, and files that are no recovery file of this program.

#include "editorfixture.h"
#include "filesnapshot.h"

#include "app/start.h"
#include "editor/recovery.h"
#include "richtext/rtf.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextCursor>
#include <QTimer>

using platform::Answer;
using testsupport::EditorFixture;

namespace {

// Every table file's bytes, to prove that nothing was written.
QMap<QString, QByteArray> tableFiles()
{
    return testsupport::fileSnapshot(QStringLiteral("daten"));
}

// Appends `plain` and then `bold` in bold, as typing with the bold tool does.
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

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;
    QString crashCopy() const { return f->dir().path() + QStringLiteral("/crash-copy"); }

public:
    // Types into every text field of the sheet and lets the editor write its
    // recovery file. Returns the topic and the three rich texts as RTF.
    static QStringList typeAndWrite(Tberichtdlg &d)
    {
        auto *thema = d.findChild<QPlainTextEdit *>(QStringLiteral("DBMemo1"));
        thema->setPlainText(QStringLiteral("Kehren eines Kamins"));
        auto *end = d.findChild<QLineEdit *>(QStringLiteral("endedit"));
        end->selectAll();
        QTest::keyClicks(end, QStringLiteral("20.03.2026"));
        QStringList typed{thema->toPlainText()};
        for (const char *name : {"taetigkeitedit", "DBRichEdit2", "DBRichEdit3"}) {
            auto *edit = d.findChild<QTextEdit *>(QString::fromLatin1(name));
            typeRich(edit, QStringLiteral("Kehrung im Haus "), QStringLiteral("Müller"));
            typed << QString::fromLatin1(richtext::writeRtf(*edit->document()));
        }
        d.writeRecovery();
        return typed;
    }

private:
    // typeAndWrite, then the recovery file is put aside; Cancel then leaves
    // the table files as a crash does (a stored report unchanged, a new
    // report's creation rolled back).
    QStringList typeAndCrash(Tberichtdlg &d)
    {
        const QStringList typed = typeAndWrite(d);
        QFile::copy(recovery::filePath(), crashCopy());
        f->messages().answer(Answer::Yes);
        d.reject();
        return typed;
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void crashThenNextStart_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("restore");
        for (const char *report : {"stored", "new", "deleted"})
            for (bool restore : {true, false})
                QTest::addRow("%s, %s", report, restore ? "Ja" : "Nein") << QString::fromLatin1(report) << restore;
    }

    void crashThenNextStart()
    {
        QFETCH(QString, report);
        QFETCH(bool, restore);
        const bool stored = report == QLatin1String("stored");
        f->start(1);
        QStringList typed;
        if (report == QLatin1String("new")) {
            f->create({29}, [&](Tberichtdlg &d) { typed = typeAndCrash(d); });
        } else {
            f->createAndConfirm({29});
            f->openExisting(1, 1, [&](Tberichtdlg &d) { typed = typeAndCrash(d); });
        }
        const qint64 key = f->sql(QStringLiteral("SELECT MAX(BerLfd) FROM bericht")).toLongLong();
        const QString parts = f->sql(QStringLiteral("SELECT TDAB1 FROM bericht")).toString();
        if (report == QLatin1String("deleted"))
            f->tables().exec(QStringLiteral("DELETE FROM bericht"));
        f->stop();
        QVERIFY(!QFile::exists(recovery::filePath())); // Cancel removed it
        QVERIFY(QFile::rename(crashCopy(), recovery::filePath()));
        f->start(1);
        f->messages().clear();
        const QMap<QString, QByteArray> before = tableFiles();

        f->messages().answer(restore ? Answer::Yes : Answer::No);
        f->app().offerRecovery();
        QCOMPARE(f->messages().questions().size(), 1);
        QCOMPARE(f->messages().errors(), QStringList());
        QVERIFY(!QFile::exists(recovery::filePath()));
        if (!restore) {
            QCOMPARE(tableFiles(), before);
            return;
        }
        // The texts exactly as typed, in the same row only while it exists;
        // the rest of a stored row as it was.
        const auto rows = f->tables().exec(
            QStringLiteral("SELECT Thema, Taetigkeit, Vermerke, Darstellung, WocheVom, WocheBis, AJahr, Nummer, "
                           "Blatt, BerLfd = %1, TDAB1 FROM bericht")
                .arg(key));
        QCOMPARE(rows.size(), 1);
        QStringList got;
        for (const QVariant &v : rows.first())
            got << v.toString();
        QVERIFY(!stored || !parts.isEmpty());
        const QStringList expected = typed + QStringList{"2026-03-09", "2026-03-20", "1", "1", "1",
                                                         stored ? "1" : "0", stored ? parts : QString()};
        QCOMPARE(got, expected);
        // The formatting came back, not only the words.
        QTextDocument doc;
        richtext::load(doc, got[1]);
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
        c.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 7);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Normal));
    }

    // The program killed while a new report's editor holds typed text: its
    // creation was never committed, so the next start, the program's own,
    // finds no report and restores the texts into a new one.
    void killedProcessThenNextStart()
    {
        QTemporaryDir tmp;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--schreiben-bis-zum-absturz")});
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains("\nbereit\n"), 30000);
        child.kill();
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QStringList lines = QString::fromUtf8(out).split(QLatin1Char('\n'));
        const QString place = lines.takeFirst();
        QStringList typed;
        for (const QString &line : lines.mid(0, 4))
            typed << QString::fromUtf8(QByteArray::fromBase64(line.toLatin1()));

        // The program's start, with its single-instance channel in tmp.
        const QString previous = QDir::currentPath();
        const QByteArray previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        platform::ScriptedMessages messages;
        messages.answer(Answer::Yes);
        lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), place}, QString());
        QVERIFY(started.program);
        QCOMPARE(messages.questions().size(), 1);
        QCOMPARE(messages.errors(), QStringList());
        const auto rows = started.program->tables().exec(
            QStringLiteral("SELECT Thema, Taetigkeit, Vermerke, Darstellung, WocheVom, WocheBis FROM bericht"));
        QCOMPARE(rows.size(), 1);
        QStringList got;
        for (const QVariant &v : rows.first())
            got << v.toString();
        const QStringList expected = typed + QStringList{QStringLiteral("2026-03-09"), QStringLiteral("2026-03-20")};
        QCOMPARE(got, expected);
        started.program.reset();
        QDir::setCurrent(previous);
        qputenv("TMPDIR", previousTmp);
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
            // Entering a field changes nothing: nothing is written.
            d.vermerkeedit()->setFocus();
            QTest::qWait(100);
            QVERIFY(!QFile::exists(recovery::filePath()));
            typeRich(d.vermerkeedit(), QStringLiteral("Ruß"), QString());
            QTRY_VERIFY(QFile::exists(recovery::filePath())); // by the timer
            if (!ok)
                f->messages().answer(Answer::Yes);
            ok ? d.accept() : d.reject();
        });
        QVERIFY(!QFile::exists(recovery::filePath()));
    }

    void damagedFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("junk") << QByteArray("\x00\xff\x13junk{{", 9);
        QTest::newRow("truncated") << QByteArray("{\"Kennung\": \"Lernora-Wiederherstellung\", \"Version\": 1, \"Ge");
        // Whole files that differ from a valid one (a new report's, all
        // fields empty) in one place only.
        const QByteArray valid = recovery::encode(recovery::Sheet{false, 0, 1, 0, 0, {}});
        QTest::newRow("foreign") << QByteArray(valid).replace("Lernora-Wiederherstellung", "Anderes Programm");
        QTest::newRow("text as number") << QByteArray(valid).replace("\"Thema\": null", "\"Thema\": 42");
        QTest::newRow("array") << QByteArray("[1,2,3]");
    }

    void damagedFileIsRefused()
    {
        QFETCH(QByteArray, content);
        f->start(1);
        f->createAndConfirm({29});
        QFile file(recovery::filePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        const QMap<QString, QByteArray> before = tableFiles();
        f->messages().clear();
        f->app().offerRecovery();
        QCOMPARE(f->messages().questions(), QStringList());
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY(f->messages().errors().first().contains(QStringLiteral("bericht-wiederherstellung.json")));
        QVERIFY(!QFile::exists(recovery::filePath()));
        QCOMPARE(tableFiles(), before);
    }
};

// The child of killedProcessThenNextStart: a new report's editor with typed
// text and its recovery file written. It prints its working directory and
// the typed texts, one per line in Base64, then "bereit", and waits for its
// end.
static int writeUntilKilled()
{
    auto *f = new EditorFixture; // never destroyed: the process is killed
    f->start(1);
    f->create({29}, [](Tberichtdlg &d) {
        QByteArray out = QDir::currentPath().toUtf8() + '\n';
        for (const QString &text : TestRecovery::typeAndWrite(d))
            out += text.toUtf8().toBase64() + '\n';
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        std::fputs("bereit\n", stdout);
        std::fflush(stdout);
        for (;;)
            QTest::qWait(1000);
    });
    return 1;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--schreiben-bis-zum-absturz") == 0)
        return writeUntilKilled();
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_recovery.moc"
