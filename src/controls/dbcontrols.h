#pragma once

// Controls bound to a field of a table. A control shows the field of the
// table's current row (or of one fixed row, inside a control grid) and
// follows the table when its row moves or its contents change. Typing into
// a control puts its table into edit state and writes the field, so that a
// pending change is a change of the table the program can store or discard.

#include "store/table.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <functional>
#include <vector>

class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace store {
class Table;
}

namespace controls {

class ShowWatcher;

namespace detail {
// The hidden window a control waits for (see FieldLink::sync); nullptr when
// the control's window shows, or the control is a window of its own.
QWidget *hiddenWindow(const QWidget *control);
} // namespace detail

// A date as typed (store::dateFromText); an invalid date for anything else.
QDate parseDate(const QString &text);

// Says that an insertion was refused: the field `what` holds `size`
// characters at most, and the text would have grown to `length`.
void refuseTooLongText(const QString &what, int size, qsizetype length);

// Connects controls to a table; its objectName is the name the windows'
// design gives it ("berichtsource", "tempsource", ...). The table can be
// switched while controls are bound to the source.
class DataSource : public QObject
{
    Q_OBJECT
public:
    explicit DataSource(const QString &name, store::Table *table = nullptr, QObject *parent = nullptr);
    store::Table *table() const { return m_table; }
    void setTable(store::Table *table);
    // Asked before the user changes a field through a control of this
    // source (a key, a paste, a drop, a click): false keeps the field and
    // the control as they were. A window sets it to ask whether a change is
    // wanted at all; without one every change may go on.
    using ChangeGate = std::function<bool()>;
    void setChangeGate(ChangeGate gate) { m_changeGate = std::move(gate); }
    bool mayChange() const { return !m_changeGate || m_changeGate(); }

signals:
    // The table behind the source changed its row, its state or was switched.
    void dataChanged();
    // A field of the current row was set.
    void fieldChanged(const QString &field);
    // The table is about to store its current row: controls that keep their
    // text apart from the row write it now.
    void updateRecord();
    // The table stored its current row.
    void recordStored();

private:
    QPointer<store::Table> m_table;
    std::vector<QMetaObject::Connection> m_connections;
    ChangeGate m_changeGate;
};

// What every bound control shares: the source, the field and the row.
class FieldLink
{
public:
    virtual ~FieldLink() = default;
    void bind(DataSource *source, const QString &field);
    DataSource *dataSource() const { return m_source; }
    const QString &dataField() const { return m_field; }
    store::Table *table() const;
    // Inside a control grid the control shows one fixed row; -1 follows the
    // table's current row.
    void setRow(int row) { m_row = row; }
    int row() const { return m_row; }
    virtual void refresh() = 0;
    // Refreshes unless the control is writing into its table just now. A
    // control that is not visible (its window hidden, its page not shown)
    // only notes that it is behind and refreshes when it is shown.
    void sync();
    // The control missed a change while it was hidden.
    bool stale() const { return m_stale; }
    // Whether the user may change the field now (the source's change gate).
    bool mayChange() const;
    // The same, asked for a change the user makes through the control (a
    // menu item): the control keeps its text while the gate is asked.
    bool askChange();

protected:
    QVariant read() const;
    QString readText() const; // dates as dd.MM.yyyy
    // Moves the table to the control's row and into edit state; false when
    // the table is not open or has no row to edit.
    bool beginEdit();
    void write(const QVariant &value);
    // Called once the control is bound, before its first refresh.
    virtual void bound() {}
    // Whether a hidden control may leave a change for when it is shown.
    virtual bool mayWait() const { return true; }
    // Whether the control also waits while it is not on screen in a shown
    // window (on a page of a tab control that is not showing); it then
    // catches up when it is shown itself.
    virtual bool waitsUntilSeen() const { return false; }
    // A refresh that was left for later is done now.
    void catchUp() const;
    // How many characters the field stores; 0 for no limit.
    int sizeLimit() const;
    // A text grown past the field's size to `length` characters, by
    // `added`, is refused: one character typed too many gets the beep, a
    // longer insertion (a paste, a drop) is named in a message.
    void refuseTooLong(qsizetype length, qsizetype added) const;
    bool m_writing = false;

private:
    friend class ShowWatcher;
    bool unseen() const;
    QPointer<DataSource> m_source;
    QString m_field;
    int m_row = -1;
    bool m_stale = false;
    ShowWatcher *m_watcher = nullptr; // a child of the control
    std::vector<QMetaObject::Connection> m_connections;
};

// Read-only text of a field.
class DBText : public QLabel, public FieldLink
{
    Q_OBJECT
public:
    explicit DBText(QWidget *parent = nullptr);
    void refresh() override;
};

// One-line edit. A date field shows dd.MM.yyyy and takes what
// store::dateFromText() reads. Typed text that is no date is never written:
// the field keeps its value and the edit keeps the text, marked as wrong,
// while its row stays the current one (stored or not), until the text is
// corrected, the field is set from elsewhere, the edit is discarded or
// discardTyped() is called. A text field takes no more characters than it
// can store.
class DBEdit : public QLineEdit, public FieldLink
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);
    void refresh() override;
    // The edit shows a typed text that is no date.
    bool hasInvalidDate() const { return m_invalid; }
    // Forgets such a text and shows the field's value.
    void discardTyped();

protected:
    void bound() override;

private:
    void typed(const QString &text);
    bool keepsInvalid() const;
    void markInvalid(bool on);

    QString m_accepted; // the text as last shown or taken
    bool m_typing = false;   // typed into since the field was last shown
    QVariant m_typingOrigin; // the field's value before that
    bool m_invalid = false;
    QVariant m_invalidStored;    // the field's value when the wrong text was typed
    bool m_invalidPosting = false; // its row is being stored
    bool m_invalidPosted = false;
    store::Table::Bookmark m_invalidRow = 0; // the row stored with the wrong text on screen
    QPalette m_normalPalette;
    QString m_normalToolTip;
};

// Multi-line plain text.
class DBMemo : public QPlainTextEdit, public FieldLink
{
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);
    void refresh() override;
    // The lines as the memo shows them: a wrapped line counts as a line.
    QStringList displayLines();

private:
    void typed();
    QString m_accepted; // the text as last shown or taken
};

// Rich text stored as RTF. The document is written into the field when the
// table stores the row (or when flush() is called), not on every keystroke.
class DBRichEdit : public QTextEdit, public FieldLink
{
    Q_OBJECT
public:
    explicit DBRichEdit(QWidget *parent = nullptr);
    void refresh() override;
    // Writes the document into the field when it was changed.
    void flush();
    // Marks the text as changed, so that the next store writes it.
    void setModified(bool modified);
    bool modified() const { return m_dirty; }
    // The text the field would receive if the row were stored now: the
    // document as RTF when it was changed, else the field's text.
    QString pendingText() const;

protected:
    void bound() override;
    // Typed text is stored or dropped with its row, hidden or not.
    bool mayWait() const override { return !m_dirty; }
    // Copied text carries its RTF as well, so that it comes back exactly.
    QMimeData *createMimeDataFromSelection() const override;
    // Pasted or dropped text keeps only what the stored text can hold: RTF
    // or HTML is taken through the RTF writer and reader; what they cannot
    // express is dropped, never the text.
    void insertFromMimeData(const QMimeData *source) override;
    // A key that would change the text asks the source's change gate first.
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    // Ctrl+Tab is the field's own key (a tab character), before the
    // window's key that turns its pages.
    bool event(QEvent *event) override;

private:
    // The source's change gate, asked while the edit keeps its text.
    bool changeWanted();
    QString m_stored; // the field's text as last loaded or written
    bool m_dirty = false;
    bool m_loading = false;
};

// Boolean field.
class DBCheckBox : public QCheckBox, public FieldLink
{
    Q_OBJECT
public:
    explicit DBCheckBox(const QString &caption = QString(), QWidget *parent = nullptr);
    void refresh() override;
};

// A picture field shown stretched over the control.
class DBImage : public QLabel, public FieldLink
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);
    void refresh() override;
    // The picture of the field; null when the field is empty or unreadable.
    QImage picture() const;
    // Its width and height, from the picture's header while it waits to be
    // shown; empty when the field is empty or unreadable.
    QSize pictureSize() const;

protected:
    // A picture is read and decoded when it comes on screen.
    bool waitsUntilSeen() const override { return true; }
    void showEvent(QShowEvent *event) override;

private:
    QImage m_picture;
};

// Gives the focus to the first control before or after `container` in the
// window's Tab order that takes it by Tab and is not inside `container`;
// false when there is none.
bool focusPastContainer(QWidget *container, bool forward);

// One panel per row of the source's table, each holding the same bound
// controls for its row; the panel of the current row is selected. Entering
// a control of a panel moves the table to that panel's row.
//
// With the keyboard the grid is one stop of the window's Tab order: Tab
// enters the current row's first control (Shift+Tab its last), Tab and
// Shift+Tab go through the row's controls and on out of the grid; Up and
// Down move to the same control of the row above or below (in a memo once
// its caret stands on its first or last line).
class DBCtrlGrid : public QFrame
{
    Q_OBJECT
public:
    explicit DBCtrlGrid(QWidget *parent = nullptr);
    using PanelBuilder = std::function<void(QWidget *panel, DataSource *source)>;
    // Builds the controls of one panel; called for every panel.
    void setPanelBuilder(PanelBuilder builder) { m_builder = std::move(builder); }
    void setPanelHeight(int height) { m_panelHeight = height; }
    void setSelectedColor(const QColor &color) { m_selected = color; }
    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }

    int panelCount() const;
    QWidget *panel(int row) const;
    QWidget *currentPanel() const;
    // Makes the current row's panel visible in the scrolled area.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void rebuild();
    void enterPanel(int row);
    // The controls of a panel the keyboard stops at, in their order.
    static QList<QWidget *> stops(const QWidget *panel);
    bool handleKey(QWidget *control, QKeyEvent *event);
    void follow(); // refreshes now, or when shown

    QPointer<DataSource> m_source;
    PanelBuilder m_builder;
    int m_panelHeight = 54;
    QColor m_selected;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr;
    std::vector<QWidget *> m_panels;
    std::vector<QMetaObject::Connection> m_connections;
    bool m_entering = false;
    bool m_stale = false;
};

// Buttons moving the source's table: by default to the previous and next
// row; a window may show the whole set (first, previous, next, last, insert
// a row, delete the row). Deleting asks the question set for it first.
class DBNavigator : public QFrame
{
    Q_OBJECT
public:
    enum Button { Prior, Next, First, Last, Insert, Delete };
    explicit DBNavigator(QWidget *parent = nullptr);
    void setDataSource(DataSource *source);
    // The buttons shown, left to right in the navigator's fixed order
    // (first, previous, next, last, insert, delete).
    void setVisibleButtons(const QList<Button> &buttons);
    // Asked (Yes/No) before a row is deleted; empty: no question.
    void setDeleteQuestion(const QString &question) { m_deleteQuestion = question; }
    QToolButton *button(Button which) const { return m_buttons[which]; }
    // Enables the buttons from the table's position.
    void refresh();

signals:
    // Before the table moves, and after it moved.
    void beforeAction(controls::DBNavigator::Button button);
    void clicked(controls::DBNavigator::Button button);

protected:
    void changeEvent(QEvent *event) override;

private:
    void press(Button which);

    QPointer<DataSource> m_source;
    QToolButton *m_buttons[6] = {};
    QString m_deleteQuestion;
    QMetaObject::Connection m_connection;
};

} // namespace controls
