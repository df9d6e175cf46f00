// The spelling check of a long text: the first underlining of ten pages of
// activities in a rich-text field, and what one typed letter costs then.

#include "bench.h"
#include "controls/dictionary.h"
#include "controls/spelling.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

namespace bench {

namespace {

// Ten pages of German (4,000 words) in paragraphs of twenty words: the
// words of the delivered plan in their order, again from its start when
// they run out, a misspelt one in every paragraph.
QString longText()
{
    QFile plan(QStringLiteral(":/data/plan.tsv"));
    plan.open(QIODevice::ReadOnly);
    static const QRegularExpression word(QStringLiteral("\\b\\p{L}{3,}\\b"));
    QStringList planWords;
    for (auto it = word.globalMatch(QString::fromUtf8(plan.readAll())); it.hasNext();)
        planWords << it.next().captured();
    QStringList words;
    while (!planWords.isEmpty() && words.size() < 4000)
        words += planWords.mid(0, 4000 - words.size());
    QStringList paragraphs;
    for (qsizetype i = 0; i < words.size(); i += 20) {
        QStringList p = words.mid(i, 20);
        p.append(QStringLiteral("kontroliert"));
        paragraphs << p.join(QLatin1Char(' ')) + QLatin1Char('.');
    }
    return paragraphs.join(QLatin1Char('\n'));
}

} // namespace

void spellingBenchmarks()
{
    controls::Speller &speller = controls::Speller::instance();
    if (!speller.available()) {
        std::printf("spelling: no dictionary, nothing measured\n");
        return;
    }
    const QString text = longText();
    const int runs = 15;
    // The dictionary's answers are not known yet: a new run's first report.
    report("spelling: first check of ten pages", runs, measure(
               runs,
               [&] {
                   QTextEdit edit;
                   edit.setPlainText(text);
                   controls::SpellCheck::attach(&edit, QString());
               },
               [&] {
                   speller.setPlaces({});
                   speller.available();
               }));
    QTextEdit edit;
    edit.resize(700, 500);
    edit.setPlainText(text);
    controls::SpellCheck::attach(&edit, QString());
    edit.show();
    edit.setFocus();
    QTextCursor middle(edit.document()->findBlockByNumber(200));
    middle.movePosition(QTextCursor::EndOfBlock);
    edit.setTextCursor(middle);
    QApplication::processEvents();
    const int keys = 200;
    report("spelling: one letter typed into ten pages", keys, measure(keys, [&] {
               QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
               QApplication::sendEvent(&edit, &press);
           }));
    report("spelling: suggestions for a misspelt word", 5,
           measure(5, [&] { speller.suggestions(QStringLiteral("kontroliert")); }));
}

} // namespace bench
