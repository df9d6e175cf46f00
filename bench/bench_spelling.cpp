// The spelling check of a long text: the first underlining of ten pages of
// activities in a rich-text field, and what one typed letter costs then.

#include "bench.h"
#include "controls/dictionary.h"
#include "controls/spelling.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

namespace bench {

namespace {

// Ten pages of report German with a misspelt word now and then.
QString longText()
{
    const QString line = QStringLiteral(
        "Abgasanlage der Gasfeuerstätte im Keller gekehrt und die Reinigungsöffnung geprüft, "
        "Rußbrand im Kachelofeneinsatz nachbereitet, Schornstien am Kaminkopf kontroliert, "
        "Abgaswegeüberprüfung mit dem Meister durchgeführt und im Kehrbuch eingetragen.");
    QStringList lines;
    for (int i = 0; i < 400; ++i)
        lines << line;
    return lines.join(QLatin1Char('\n'));
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
    report("spelling: first check of ten pages", runs, measure(runs, [&] {
               QTextEdit edit;
               edit.setPlainText(text);
               controls::SpellCheck::attach(&edit, QString());
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
