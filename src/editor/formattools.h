#pragma once

// The formatting tools of the report editor: the tool bar above its pages
// and the pop-up menu of its editable rich-text fields. Every operation
// works on the current rich-text field (the one entered last), which the
// editor hands in as a function, and does nothing without one. The tool bar
// follows the selection of the fields it is attached to.

#include <QObject>
#include <functional>

class QAction;
class QButtonGroup;
class QComboBox;
class QEvent;
class QLineEdit;
class QMenu;
class QPoint;
class QTextCharFormat;
class QTextCursor;
class QTextEdit;
class QToolButton;
class QWidget;

class FormatTools : public QObject
{
    Q_OBJECT
public:
    using CurrentField = std::function<QTextEdit *()>;
    // Builds the tool bar's controls on `bar` (30 pixels high) and the
    // pop-up menu; the actions' shortcuts work in `window`.
    FormatTools(QWidget *bar, QWidget *window, CurrentField currentField);

    // The field's selection changes move the tool bar; `withMenu` gives it
    // the pop-up menu on the right mouse button.
    void attach(QTextEdit *field, bool withMenu);

    QMenu *PopupMenu() const { return m_popup; }
    QLineEdit *FontSize() const { return m_fontSize; }
    QComboBox *ComboSonderzeichen() const { return m_combo; }

    // Handlers
    void EditUndo1Execute();
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    void FalignExecute(int alignment); // 0 left, 1 right, 2 centred
    void fbulletsExecute();
    void ffettExecute();
    void fkursivExecute();
    void funderlineExecute();
    void fett1Click();
    void kursiv1Click();
    void unterstrichen1Click();
    void PopupMenuPopup();
    void FontSizeChange();
    void fontbtnClick();
    void ComboSonderzeichenChange(int index);
    void fhochExecute(int tag); // 0 raises, 1 lowers
    void fnormalExecute();
    void memoselectionchange(QTextEdit *field);

    // The 73 special characters: bytes of the font "Symbol".
    static QByteArray specialCharacters();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPopupMenu(QWidget *window);
    QToolButton *toolButton(QWidget *bar, int x, QAction *action, const char *name);
    QAction *action(const char *name, const QString &caption, const QString &hint, bool checkable = false);
    // The current field when it may be changed; none for a read-only one.
    QTextEdit *editableField() const;
    // Applies `change` to the character format of every stretch of the
    // selection (or to the format typing continues in, without one).
    static void changeFormat(QTextEdit *field, const std::function<void(QTextCharFormat &)> &change);
    static int heightOf(const QTextEdit *field, const QTextCharFormat &format);
    // Bold, italic or underline as `button` shows it, over the selection.
    void setStyle(const QAction *button, void (*set)(QTextCharFormat &, bool));
    void setFontSizeText(int points);
    void stepFontSize(int delta);
    void showPopup(QTextEdit *field, const QPoint &pos);

    CurrentField m_currentField;
    bool m_updating = false; // the tool bar is being set from a selection

    QAction *m_undo = nullptr;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
    QAction *m_left = nullptr;
    QAction *m_center = nullptr;
    QAction *m_right = nullptr;
    QAction *m_bullets = nullptr;
    QAction *m_fett = nullptr;
    QAction *m_kursiv = nullptr;
    QAction *m_underline = nullptr;
    QAction *m_hoch = nullptr;
    QAction *m_tief = nullptr;
    QAction *m_normal = nullptr;
    QLineEdit *m_fontSize = nullptr;
    int m_upDownPosition = 8;
    QComboBox *m_combo = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_fett1 = nullptr;
    QAction *m_kursiv1 = nullptr;
    QAction *m_unterstrichen1 = nullptr;
    QAction *m_hochgestellt1 = nullptr;
    QAction *m_tiefgestellt1 = nullptr;
    QAction *m_normal1 = nullptr;
};
