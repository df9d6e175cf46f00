#include "spelling.h"

#include "dbcontrols.h"
#include "dictionary.h"

#include "platform/messages.h"
#include "store/settings.h"
#include "store/settingskeys.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

namespace controls {

namespace {

const char *const repaintingProperty = "lernoraSpellCheckRepaints";

bool inWord(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    return c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing;
}

// Whether the word at `w` of `text` is correct; an abbreviation counts with
// its full stop (usw., ggf.).
bool correctAt(const QString &text, const SpellCheck::Word &w)
{
    Speller &speller = Speller::instance();
    const QString word = text.mid(w.start, w.length);
    if (speller.isCorrect(word))
        return true;
    const qsizetype end = w.start + w.length;
    return end < text.size() && text.at(end) == QLatin1Char('.') && speller.isCorrect(word + QLatin1Char('.'));
}

} // namespace

bool spellCheckRepaints(const QTextDocument *document)
{
    return document && document->property(repaintingProperty).toBool();
}

QList<SpellCheck::Word> SpellCheck::words(const QString &text)
{
    QList<Word> out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (!inWord(text, i)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool digits = false;
        while (i < n) {
            if (inWord(text, i)) {
                digits = digits || text.at(i).isDigit();
                ++i;
            } else if ((text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('\''))
                       && i + 1 < n && text.at(i + 1).isLetter() && i > start) {
                ++i; // a hyphen or an apostrophe between letters belongs to the word
            } else {
                break;
            }
        }
        // Numbers, and words with digits (CO2, 2-mal), are not checked.
        if (!digits)
            out.append({int(start), int(i - start)});
    }
    return out;
}

SpellCheck *SpellCheck::attach(QTextEdit *field, const QString &settingsFile)
{
    return new SpellCheck(field, field->viewport(), field->document(), settingsFile);
}

SpellCheck *SpellCheck::attach(QPlainTextEdit *field, const QString &settingsFile)
{
    return new SpellCheck(field, field->viewport(), field->document(), settingsFile);
}

SpellCheck::SpellCheck(QWidget *field, QWidget *viewport, QTextDocument *document, const QString &settingsFile)
    : QSyntaxHighlighter(field), m_field(field), m_viewport(viewport), m_document(document),
      m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("Rechtschreibung"));
    m_misspelt.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    m_misspelt.setUnderlineColor(Qt::red);
    // At once rather than after the event loop's turn, as setDocument would,
    // so that the first underlining is done inside the guard.
    repaint([&] {
        setDocument(document);
        rehighlight();
    });
    field->installEventFilter(this);
    viewport->installEventFilter(this);
    connect(&Speller::instance(), &Speller::wordsChanged, this, &SpellCheck::recheck);
}

SpellCheck::~SpellCheck()
{
    // Taking the underline away is no edit either.
    if (m_document)
        repaint([&] { setDocument(nullptr); });
}

void SpellCheck::repaint(const std::function<void()> &work)
{
    if (!m_document)
        return work();
    const QVariant before = m_document->property(repaintingProperty);
    m_document->setProperty(repaintingProperty, true);
    work();
    m_document->setProperty(repaintingProperty, before);
}

QTextCursor SpellCheck::textCursor() const
{
    if (auto *edit = qobject_cast<QTextEdit *>(m_field))
        return edit->textCursor();
    return static_cast<QPlainTextEdit *>(m_field)->textCursor();
}

QTextCursor SpellCheck::cursorAt(const QPoint &viewportPos) const
{
    if (auto *edit = qobject_cast<QTextEdit *>(m_field))
        return edit->cursorForPosition(viewportPos);
    return static_cast<QPlainTextEdit *>(m_field)->cursorForPosition(viewportPos);
}

void SpellCheck::highlightBlock(const QString &text)
{
    Speller &speller = Speller::instance();
    if (!speller.available())
        return;
    // The word the caret stands at the end of while letters are typed is
    // left alone until it is finished.
    int typingEnd = -1;
    if (m_typing && m_field->hasFocus()) {
        const QTextCursor caret = textCursor();
        if (caret.block() == currentBlock())
            typingEnd = caret.positionInBlock();
    }
    for (const Word &w : words(text)) {
        if (w.start + w.length == typingEnd)
            continue;
        if (!correctAt(text, w))
            setFormat(w.start, w.length, m_misspelt);
    }
}

void SpellCheck::recheck(const QStringList &changed)
{
    if (!document())
        return;
    repaint([&] {
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            const QString text = b.text();
            if (std::any_of(changed.cbegin(), changed.cend(), [&](const QString &w) { return text.contains(w); }))
                rehighlightBlock(b);
        }
    });
}

void SpellCheck::stopTyping()
{
    if (!m_typing)
        return;
    m_typing = false;
    // After the event: a focus that leaves a field being destroyed must not
    // reach into it.
    QTimer::singleShot(0, this, [this, number = m_typingBlock] {
        if (const QTextBlock block = m_document ? m_document->findBlockByNumber(number) : QTextBlock(); block.isValid())
            repaint([&] { rehighlightBlock(block); });
    });
}

void SpellCheck::tellIfOff() const
{
    namespace keys = store::settingskeys;
    Speller &speller = Speller::instance();
    if (!speller.firstTellingOff())
        return;
    store::Settings settings(m_settingsFile);
    const bool told = settings.readInteger(keys::Werte, keys::KeinWoerterbuch, 0) != 0;
    if (speller.available()) {
        // Found again: should it go missing later, that is said again.
        if (told)
            settings.writeInteger(keys::Werte, keys::KeinWoerterbuch, 0);
        return;
    }
    if (told)
        return;
    settings.writeInteger(keys::Werte, keys::KeinWoerterbuch, 1);
    platform::messages().information(
        QStringLiteral("Die Rechtschreibprüfung ist ausgeschaltet, weil kein deutsches Wörterbuch gefunden wurde "
                       "(de_DE.aff und de_DE.dic). Unter Linux installieren Sie dazu das Paket „hunspell-de-de“, "
                       "unter Windows gehören die beiden Dateien in den Ordner von Lernora. Dieser Hinweis "
                       "erscheint nur einmal."));
}

bool SpellCheck::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (watched == m_viewport)
            return showMenu(static_cast<QContextMenuEvent *>(event));
        break;
    case QEvent::KeyPress:
        if (watched == m_field) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            if (text.size() == 1 && text.at(0).isLetter()) {
                m_typing = true;
                m_typingBlock = textCursor().blockNumber();
            } else {
                stopTyping();
            }
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::FocusOut:
        stopTyping();
        break;
    case QEvent::Show:
        if (watched == m_field) {
            tellIfOff();
            Speller::instance().reloadPersonalIfChanged();
        }
        break;
    default:
        break;
    }
    return QSyntaxHighlighter::eventFilter(watched, event);
}

bool SpellCheck::showMenu(QContextMenuEvent *event)
{
    Speller &speller = Speller::instance();
    if (!speller.available())
        return false;
    const QTextCursor at = cursorAt(event->pos());
    const QTextBlock block = at.block();
    const int pos = at.positionInBlock();
    const QString text = block.text();
    QTextCursor word(document());
    QString misspelt;
    for (const Word &w : words(text)) {
        if (pos < w.start || pos > w.start + w.length)
            continue;
        if (correctAt(text, w))
            return false;
        misspelt = text.mid(w.start, w.length);
        word.setPosition(block.position() + w.start);
        word.setPosition(block.position() + w.start + w.length, QTextCursor::KeepAnchor);
        break;
    }
    if (misspelt.isEmpty())
        return false;
    stopTyping();
    m_field->setFocus(Qt::PopupFocusReason);

    QMenu *menu = nullptr;
    QList<QAction *> normal;
    if (m_normalMenu) {
        menu = new QMenu(m_field);
        normal = m_normalMenu();
    } else if (auto *edit = qobject_cast<QTextEdit *>(m_field)) {
        const QPoint scrolled(edit->horizontalScrollBar()->value(), edit->verticalScrollBar()->value());
        menu = edit->createStandardContextMenu(event->pos() + scrolled);
    } else {
        menu = static_cast<QPlainTextEdit *>(m_field)->createStandardContextMenu();
    }
    menu->setObjectName(QStringLiteral("RechtschreibMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *first = menu->actions().value(0);
    auto add = [&](const QString &caption, const char *name) {
        auto *a = new QAction(caption, menu);
        a->setObjectName(QString::fromLatin1(name));
        menu->insertAction(first, a);
        return a;
    };
    const bool readOnly = m_field->property("readOnly").toBool();
    if (!readOnly) {
        const QStringList suggestions = speller.suggestions(misspelt);
        for (const QString &s : suggestions) {
            QAction *a = add(s, "Vorschlag1");
            QFont bold = a->font();
            bold.setBold(true);
            a->setFont(bold);
            connect(a, &QAction::triggered, this, [this, word, misspelt, s]() mutable {
                // The text may have changed while the menu was open.
                if (word.selectedText() != misspelt)
                    return;
                if (auto *link = dynamic_cast<FieldLink *>(m_field); link && !link->askChange())
                    return;
                if (word.selectedText() != misspelt)
                    return;
                word.beginEditBlock();
                word.insertText(s);
                word.endEditBlock();
            });
        }
        if (suggestions.isEmpty())
            add(QStringLiteral("(keine Vorschläge)"), "KeineVorschlaege1")->setEnabled(false);
        menu->insertSeparator(first);
    }
    connect(add(QStringLiteral("&Ignorieren"), "Ignorieren1"), &QAction::triggered, this,
            [misspelt] { Speller::instance().ignore(misspelt); });
    connect(add(QStringLiteral("Zum &Wörterbuch hinzufügen"), "ZumWoerterbuchhinzufuegen1"), &QAction::triggered,
            this, [misspelt] {
                Speller &s = Speller::instance();
                if (!s.addToPersonal(misspelt))
                    platform::messages().error(
                        QStringLiteral("Das Wort „%1“ konnte nicht in Ihr Wörterbuch „%2“ geschrieben werden. Bitte "
                                       "prüfen Sie, ob der Datenordner beschreibbar ist.")
                            .arg(misspelt, QDir::toNativeSeparators(s.personalPath())));
            });
    if (first || !normal.isEmpty())
        menu->insertSeparator(first);
    menu->addActions(normal);
    menu->popup(event->globalPos());
    event->accept();
    return true;
}

} // namespace controls
