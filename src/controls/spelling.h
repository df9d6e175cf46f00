#pragma once

// The spelling check of a text field as it is typed: misspelt words get a
// red wavy underline, and the right mouse button on one offers the
// dictionary's suggestions, "Ignorieren" and "Zum Wörterbuch hinzufügen"
// before the field's own menu items. The underline lives in the layout
// only: the stored text and the undo history never see it.

#include <QPointer>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <functional>

class QAction;
class QContextMenuEvent;
class QPlainTextEdit;
class QTextEdit;

namespace controls {

class SpellCheck : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    // Checks the field; `settingsFile` remembers that the apprentice was told
    // once that the check is off for want of a dictionary.
    static SpellCheck *attach(QTextEdit *field, const QString &settingsFile);
    static SpellCheck *attach(QPlainTextEdit *field, const QString &settingsFile);

    // The field's own menu items, for a field that shows a menu of its
    // own; otherwise those of Qt's standard menu follow the check's items.
    using NormalMenu = std::function<QList<QAction *>()>;
    void setNormalMenu(NormalMenu menu) { m_normalMenu = std::move(menu); }
    ~SpellCheck() override;

    // The words of a text a check would underline, with their positions.
    struct Word
    {
        int start;
        int length;
    };
    static QList<Word> words(const QString &text);

protected:
    void highlightBlock(const QString &text) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SpellCheck(QWidget *field, QWidget *viewport, QTextDocument *document, const QString &settingsFile);
    // Re-underlines without the bound field taking it for an edit.
    void repaint(const std::function<void()> &work);
    void recheck(const QStringList &words);
    void stopTyping();
    bool showMenu(QContextMenuEvent *event);
    QTextCursor cursorAt(const QPoint &viewportPos) const;
    QTextCursor textCursor() const;
    void tellIfOff() const;

    QWidget *m_field;
    QWidget *m_viewport;
    QPointer<QTextDocument> m_document;
    QString m_settingsFile;
    QTextCharFormat m_misspelt;
    NormalMenu m_normalMenu;
    bool m_typing = false; // the last key typed a letter into the field
    int m_typingBlock = -1; // the paragraph it went into
};

// Whether the check is re-underlining the document just now, which changes
// no text: a bound field takes no such change for an edit.
bool spellCheckRepaints(const QTextDocument *document);

} // namespace controls
