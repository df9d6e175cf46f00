// The texts the program showed in all the other tests, checked together:
// German throughout, and every error of the program's own says what the
// apprentice can do. The distinct texts are listed beside the log
// (messages-seen.txt) for reading.

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

struct Shown
{
    QString kind; // question, notice, error
    QString text;
};

QList<Shown> readLog(const QString &path)
{
    QList<Shown> shown;
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return shown;
    QSet<QString> seen;
    for (const QByteArray &raw : log.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0 || seen.contains(line))
            continue;
        seen.insert(line);
        shown.append({line.left(tab), line.mid(tab + 1).replace(QLatin1String("\\n"), QLatin1String("\n"))});
    }
    return shown;
}

} // namespace

class TestMessageTexts : public QObject
{
    Q_OBJECT

    QList<Shown> m_shown;

private slots:
    void initTestCase()
    {
        const QString path = qEnvironmentVariable("LERNORA_MESSAGE_LOG");
        m_shown = readLog(path);
        if (m_shown.isEmpty())
            QSKIP("No messages logged: run the other tests first (ctest runs them before this one).");
        QFile list(path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral("messages-seen.txt"));
        if (list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            QStringList lines;
            for (const Shown &s : std::as_const(m_shown))
                lines << s.kind + QLatin1Char('\t') + QString(s.text).replace(QLatin1Char('\n'), QLatin1String(" ⏎ "));
            lines.sort();
            list.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        }
        QFile::remove(path); // the next run collects its own
    }

    void noEnglish()
    {
        static const QRegularExpression english(
            QStringLiteral("\\b(the|of|is|not|and|file|database|unable|cannot|failed|error|denied|permission|"
                           "such|directory|image|malformed|locked|attempt|readonly|disk|full|unknown|invalid|"
                           "open|write|read|no)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        QStringList found;
        for (const Shown &s : std::as_const(m_shown))
            if (english.match(s.text).hasMatch())
                found << s.kind + QStringLiteral(": ") + s.text;
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n---\n"))));
    }

    // An error says what the apprentice can do about it. The design's own
    // errors keep their words; a few tell of something already done that
    // needs nothing more.
    void everyErrorSaysWhatToDo()
    {
        static const QRegularExpression advice(
            QStringLiteral("\\b(Bitte|bitte|Sie können|Prüfen Sie|Wählen Sie|Versuchen Sie|Schließen Sie)\\b"));
        static const QStringList designed{
            "Datenpfad nicht gefunden!",  "Keine Importdaten vorhanden!", "Keine Sicherungen zum Löschen markiert.",
            "Zuwenig Speicherplatz auf dem Zieldatenträger!", "Unbekannte Bilddateierweiterung",
            "Kein Datenträger in Laufwerk", "Fehler beim Hochzählen der Berichte", "ist kein gültiger Integerwert",
            "Schlüsselverletzung"};
        static const QStringList nothingToDo{
            "Die Sicherung eines nicht gespeicherten Berichts", "Diese Einträge sind keine Sicherungen des Programms",
            "Es ist kein Drucker installiert. Ohne Drucker"};
        const auto among = [](const QString &text, const QStringList &starts) {
            return std::any_of(starts.begin(), starts.end(), [&](const QString &s) { return text.contains(s); });
        };
        QStringList found;
        for (const Shown &s : std::as_const(m_shown))
            if (s.kind == QLatin1String("error") && s.text.size() > 8 && !advice.match(s.text).hasMatch()
                && !among(s.text, designed) && !among(s.text, nothingToDo))
                found << s.text;
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n---\n"))));
    }
};

QTEST_MAIN(TestMessageTexts)
#include "test_messagetexts.moc"
