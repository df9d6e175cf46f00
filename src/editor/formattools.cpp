#include "formattools.h"

#include "controls/toolicons.h"

#include "controls/dbcontrols.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "richtext/rtf.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>
#include <algorithm>
#include <tuple>
#include <vector>

namespace {

constexpr int buttonTop = 4;
constexpr QSize buttonSize(23, 22);
// The highest character the stored text can hold, in twips.
constexpr int maxHeightTwips = 32760;

// The character format of a selection: the format of its first character
// and, for each attribute, whether it is the same over the whole selection.
// An attribute that differs is left alone when the format is written back.
struct SelectionFormat
{
    QTextCharFormat first;
    bool sameHeight = true;
    bool sameOffset = true;
    bool sameBold = true;
    bool sameItalic = true;
    bool sameUnderline = true;
};

// One stretch of equally formatted text inside the selection.
struct Stretch
{
    int position;
    int length;
    QTextCharFormat format;
};

std::vector<Stretch> stretches(const QTextCursor &cursor)
{
    std::vector<Stretch> out;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const QTextDocument *document = cursor.document();
    for (QTextBlock b = document->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int from = std::max(start, f.position());
            const int to = std::min(end, f.position() + f.length());
            if (f.isValid() && from < to)
                out.push_back({from, to - from, f.charFormat()});
        }
    }
    return out;
}

// A slot running a handler inside the error boundary.
auto runs(FormatTools *tools, void (FormatTools::*handler)())
{
    return [tools, handler] { platform::guarded([tools, handler] { (tools->*handler)(); }); };
}

bool isBold(const QTextCharFormat &f)
{
    return f.fontWeight() >= QFont::DemiBold;
}

} // namespace

FormatTools::FormatTools(QWidget *bar, QWidget *window, CurrentField currentField)
    : QObject(bar), m_currentField(std::move(currentField))
{

    m_undo = action("EditUndo1", QStringLiteral("&Rückgängig"), QStringLiteral("Rückgängig"));
    m_undo->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Backspace));
    m_cut = action("EditCut1", QStringLiteral("&Ausschneiden"), QStringLiteral("Ausschneiden"));
    m_cut->setStatusTip(QStringLiteral("Das markierte Objekt in die Zwischenablage verschieben"));
    m_cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_copy = action("EditCopy1", QStringLiteral("&Kopieren"), QStringLiteral("Kopieren"));
    m_copy->setStatusTip(QStringLiteral("Das markierte Objekt in die Zwischenablage kopieren"));
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_paste = action("EditPaste1", QStringLiteral("&Einfügen"), QStringLiteral("Einfügen"));
    m_paste->setStatusTip(QStringLiteral("Den Inhalt der Zwischenablage einfügen"));
    m_paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    for (QAction *a : {m_undo, m_cut, m_copy, m_paste})
        window->addAction(a); // the shortcuts work wherever the focus is in the window
    connect(m_undo, &QAction::triggered, this, runs(this, &FormatTools::EditUndo1Execute));
    connect(m_cut, &QAction::triggered, this, runs(this, &FormatTools::EditCut1Execute));
    connect(m_copy, &QAction::triggered, this, runs(this, &FormatTools::EditCopy1Execute));
    connect(m_paste, &QAction::triggered, this, runs(this, &FormatTools::EditPaste1Execute));

    m_left = action("Fleft", QString(), QStringLiteral("linksbündig"), true);
    m_center = action("Fcenter", QString(), QStringLiteral("zentriert"), true);
    m_right = action("Fright", QString(), QStringLiteral("rechtsbündig"), true);
    auto *alignGroup = new QActionGroup(this);
    for (const auto &[a, value] : {std::pair{m_left, 0}, std::pair{m_center, 2}, std::pair{m_right, 1}}) {
        alignGroup->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, value = value] { platform::guarded([this, value] { FalignExecute(value); }); });
    }
    m_left->setChecked(true);
    m_bullets = action("fbullets", QString(), QStringLiteral("Aufzählung"), true);
    connect(m_bullets, &QAction::triggered, this, runs(this, &FormatTools::fbulletsExecute));
    m_fett = action("ffett", QStringLiteral("&fett"), QStringLiteral("fett"), true);
    connect(m_fett, &QAction::triggered, this, runs(this, &FormatTools::ffettExecute));
    m_kursiv = action("fkursiv", QStringLiteral("&kursiv"), QStringLiteral("kursiv"), true);
    connect(m_kursiv, &QAction::triggered, this, runs(this, &FormatTools::fkursivExecute));
    m_underline = action("funderline", QStringLiteral("&unterstrichen"), QStringLiteral("unterstrichen"), true);
    connect(m_underline, &QAction::triggered, this, runs(this, &FormatTools::funderlineExecute));

    m_hoch = action("fhoch", QStringLiteral("hochgestellt"), QStringLiteral("hochgestellt"), true);
    m_tief = action("ftief", QStringLiteral("tiefgestellt"), QStringLiteral("tiefgestellt"), true);
    m_normal = action("fnormal", QStringLiteral("normal"), QStringLiteral("normal"), true);
    auto *levelGroup = new QActionGroup(this);
    for (QAction *a : {m_hoch, m_tief, m_normal})
        levelGroup->addAction(a);
    m_normal->setChecked(true);
    connect(m_hoch, &QAction::triggered, this, [this] { platform::guarded([this] { fhochExecute(0); }); });
    connect(m_tief, &QAction::triggered, this, [this] { platform::guarded([this] { fhochExecute(1); }); });
    connect(m_normal, &QAction::triggered, this, runs(this, &FormatTools::fnormalExecute));

    // The keys word processors use for the same formats; like the
    // clipboard's, they work wherever the focus is in the window and act on
    // the current rich-text field.
    for (const auto &[a, keys] : {std::pair{m_fett, QKeySequence(Qt::CTRL | Qt::Key_B)},
                                  std::pair{m_kursiv, QKeySequence(Qt::CTRL | Qt::Key_I)},
                                  std::pair{m_underline, QKeySequence(Qt::CTRL | Qt::Key_U)},
                                  std::pair{m_left, QKeySequence(Qt::CTRL | Qt::Key_L)},
                                  std::pair{m_center, QKeySequence(Qt::CTRL | Qt::Key_E)},
                                  std::pair{m_right, QKeySequence(Qt::CTRL | Qt::Key_R)},
                                  std::pair{m_hoch, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
                                  std::pair{m_tief, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B)}}) {
        a->setShortcut(keys);
        window->addAction(a);
    }

    // The bar, left to right; the separators are 8 pixels wide.
    for (int x : {74, 174, 251, 472}) {
        auto *line = new QFrame(bar);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(x + 3, buttonTop, 2, buttonSize.height());
    }
    // A button shows its action's picture or short text.
    for (const auto &[a, icon] : {std::pair{m_undo, ToolIcon::Undo}, std::pair{m_cut, ToolIcon::Cut},
                                  std::pair{m_copy, ToolIcon::Copy}, std::pair{m_paste, ToolIcon::Paste},
                                  std::pair{m_left, ToolIcon::AlignLeft}, std::pair{m_center, ToolIcon::AlignCenter},
                                  std::pair{m_right, ToolIcon::AlignRight}, std::pair{m_bullets, ToolIcon::Bullets},
                                  std::pair{m_fett, ToolIcon::Bold}, std::pair{m_kursiv, ToolIcon::Italic},
                                  std::pair{m_underline, ToolIcon::Underline}})
        a->setIcon(toolIcon(icon));
    m_hoch->setIconText(QString(richtext::symbolToUnicode(0xAD)));
    m_tief->setIconText(QString(richtext::symbolToUnicode(0xAF)));
    m_normal->setIconText(QStringLiteral("N"));
    toolButton(bar, 82, m_undo, "ToolButton1");
    toolButton(bar, 105, m_cut, "ToolButton2");
    toolButton(bar, 128, m_copy, "ToolButton3");
    toolButton(bar, 151, m_paste, "ToolButton4");
    toolButton(bar, 182, m_left, "fleftbtn");
    toolButton(bar, 205, m_center, "fcenterbtn");
    toolButton(bar, 228, m_right, "frightbtn");
    toolButton(bar, 259, m_bullets, "fbulletsbtn");
    toolButton(bar, 282, m_fett, "fettbtn");
    toolButton(bar, 305, m_kursiv, "kursivbtn");
    toolButton(bar, 328, m_underline, "unterstreichbtn");

    m_fontSize = new QLineEdit(QStringLiteral("8"), bar);
    m_fontSize->setObjectName(QStringLiteral("FontSize"));
    m_fontSize->setGeometry(351, buttonTop, 35, buttonSize.height());
    m_fontSize->setToolTip(QStringLiteral("Schriftgröße"));
    m_fontSize->setAccessibleName(QStringLiteral("Schriftgröße"));
    m_fontSize->setAccessibleDescription(QStringLiteral("des markierten Textes, 8 bis 30"));
    m_fontSize->installEventFilter(this);
    connect(m_fontSize, &QLineEdit::textChanged, this, runs(this, &FormatTools::FontSizeChange));
    // The up-down control steps the size between 8 and 30.
    auto *upDown = new QWidget(bar);
    upDown->setObjectName(QStringLiteral("UpDown1"));
    upDown->setGeometry(386, buttonTop, 15, buttonSize.height());
    for (const auto &[arrow, delta, y] : {std::tuple{Qt::UpArrow, 1, 0}, std::tuple{Qt::DownArrow, -1, 11}}) {
        auto *b = new QToolButton(upDown);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(0, y, 15, 11);
        connect(b, &QToolButton::clicked, this,
                [this, delta = delta] { platform::guarded([this, delta] { stepFontSize(delta); }); });
    }

    auto *fontbtn = new QToolButton(bar);
    fontbtn->setObjectName(QStringLiteral("fontbtn"));
    fontbtn->setText(QStringLiteral("F"));
    fontbtn->setToolTip(QStringLiteral("Zeichen"));
    fontbtn->setGeometry(QRect(QPoint(401, buttonTop), buttonSize));
    fontbtn->setAutoRaise(true);
    fontbtn->setFocusPolicy(Qt::NoFocus);
    connect(fontbtn, &QToolButton::clicked, this, runs(this, &FormatTools::fontbtnClick));

    m_combo = new QComboBox(bar);
    m_combo->setObjectName(QStringLiteral("ComboSonderzeichen"));
    m_combo->setGeometry(424, buttonTop, 48, buttonSize.height());
    m_combo->setToolTip(QStringLiteral("Sonderzeichen"));
    m_combo->setAccessibleName(QStringLiteral("Sonderzeichen"));
    m_combo->setAccessibleDescription(QStringLiteral("fügt das gewählte Zeichen in den Text ein"));
    QFont symbol(richtext::symbolDisplayFamily());
    symbol.setPixelSize(13);
    m_combo->setFont(symbol);
    QPalette black = m_combo->palette();
    black.setColor(QPalette::Text, Qt::black);
    black.setColor(QPalette::ButtonText, Qt::black);
    m_combo->setPalette(black);
    for (char byte : specialCharacters())
        m_combo->addItem(QString(richtext::symbolToUnicode(uchar(byte))));
    m_combo->setCurrentIndex(-1);
    // A list of 20 lines, not one reaching over the whole screen.
    m_combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    m_combo->setMaxVisibleItems(20);
    connect(m_combo, &QComboBox::activated, this,
            [this](int index) { platform::guarded([this, index] { ComboSonderzeichenChange(index); }); });

    QFont arrows(richtext::symbolDisplayFamily());
    arrows.setPixelSize(15);
    QToolButton *upbtn = toolButton(bar, 480, m_hoch, "upbtn");
    QToolButton *downbtn = toolButton(bar, 503, m_tief, "downbtn");
    for (QToolButton *b : {upbtn, downbtn})
        b->setFont(arrows);
    for (QToolButton *b : {upbtn, downbtn, toolButton(bar, 526, m_normal, "normalbtn")})
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);

    buildPopupMenu(window);
}

// The pop-up menu of the editable fields.
void FormatTools::buildPopupMenu(QWidget *window)
{
    m_popup = new QMenu(window);
    m_popup->setObjectName(QStringLiteral("PopupMenu"));
    m_popup->addActions({m_undo, m_cut, m_copy, m_paste});
    m_popup->addSeparator();
    const auto item = [this](const char *name, const QString &caption) {
        QAction *a = m_popup->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        return a;
    };
    m_fett1 = item("fett1", QStringLiteral("&fett"));
    // "K" is the letter of "Kopieren".
    m_kursiv1 = item("kursiv1", QStringLiteral("kurs&iv"));
    m_unterstrichen1 = item("unterstrichen1", QStringLiteral("&unterstrichen"));
    m_popup->addSeparator();
    QAction *zeichen = m_popup->addAction(QStringLiteral("&Zeichen"));
    zeichen->setObjectName(QStringLiteral("Zeichen1"));
    m_hochgestellt1 = item("hochgestellt1", QStringLiteral("&hochgestellt"));
    m_tiefgestellt1 = item("tiefgestellt1", QStringLiteral("&tiefgestellt"));
    m_normal1 = item("normal1", QStringLiteral("&normal"));
    auto *menuGroup = new QActionGroup(this);
    for (QAction *a : {m_hochgestellt1, m_tiefgestellt1, m_normal1})
        menuGroup->addAction(a);
    connect(m_fett1, &QAction::triggered, this, runs(this, &FormatTools::fett1Click));
    connect(m_kursiv1, &QAction::triggered, this, runs(this, &FormatTools::kursiv1Click));
    connect(m_unterstrichen1, &QAction::triggered, this, runs(this, &FormatTools::unterstrichen1Click));
    connect(zeichen, &QAction::triggered, this, runs(this, &FormatTools::fontbtnClick));
    // The level items run the tool bar's actions, whose buttons follow.
    for (const auto &[menuItem, tool] : {std::pair{m_hochgestellt1, m_hoch}, std::pair{m_tiefgestellt1, m_tief},
                                         std::pair{m_normal1, m_normal}})
        connect(menuItem, &QAction::triggered, tool, &QAction::trigger);
    connect(m_popup, &QMenu::aboutToShow, this, runs(this, &FormatTools::PopupMenuPopup));
}

QAction *FormatTools::action(const char *name, const QString &caption, const QString &hint, bool checkable)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(hint);
    a->setCheckable(checkable);
    return a;
}

QToolButton *FormatTools::toolButton(QWidget *bar, int x, QAction *action, const char *name)
{
    auto *b = new QToolButton(bar);
    b->setDefaultAction(action);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(QRect(QPoint(x, buttonTop), buttonSize));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    // Clicking a tool leaves the focus in the text it works on.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void FormatTools::attach(QTextEdit *field, bool withMenu)
{
    const auto follow = [this, field] { platform::guarded([this, field] { memoselectionchange(field); }); };
    connect(field, &QTextEdit::selectionChanged, this, follow);
    connect(field, &QTextEdit::cursorPositionChanged, this, follow);
    if (withMenu) {
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(field, &QWidget::customContextMenuRequested, this,
                [this, field](const QPoint &pos) { showPopup(field, pos); });
    }
}

void FormatTools::showPopup(QTextEdit *field, const QPoint &pos)
{
    field->setFocus(Qt::PopupFocusReason);
    m_popup->popup(field->viewport()->mapToGlobal(pos));
}

QByteArray FormatTools::specialCharacters()
{
    QByteArray bytes;
    for (char c = 'A'; c <= 'Z'; ++c)
        bytes += c;
    for (char c = 'a'; c <= 'z'; ++c)
        bytes += c;
    for (uchar c : {0xA1, 0xA3, 0xA5, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB3, 0xB4, 0xC6, 0xC7, 0xC8, 0xC9,
                    0xCA, 0xCB, 0xCC, 0xCD, 0xD6})
        bytes += char(c);
    return bytes;
}

// --- The field and its formats ---

QTextEdit *FormatTools::editableField() const
{
    QTextEdit *field = m_currentField();
    // The samples are only read.
    if (!field || field->isReadOnly())
        return nullptr;
    // A field whose change is not wanted stays as it is.
    if (auto *bound = qobject_cast<controls::DBRichEdit *>(field); bound && !bound->mayChange())
        return nullptr;
    return field;
}

int FormatTools::heightOf(const QTextEdit *field, const QTextCharFormat &format)
{
    if (const int h = richtext::heightTwips(format); h > 0)
        return h;
    // Text without a size of its own has the field's font.
    const QFont font = field->document()->defaultFont();
    if (font.pointSizeF() > 0)
        return qRound(font.pointSizeF() * 20);
    return font.pixelSize() > 0 ? font.pixelSize() * 15 : 200;
}

namespace {

SelectionFormat readFormat(const QTextEdit *field)
{
    const QTextCursor cursor = field->textCursor();
    SelectionFormat s;
    if (!cursor.hasSelection()) {
        s.first = field->currentCharFormat();
        return s;
    }
    const std::vector<Stretch> parts = stretches(cursor);
    if (parts.empty()) {
        s.first = field->currentCharFormat();
        return s;
    }
    s.first = parts.front().format;
    const int h = richtext::heightTwips(s.first);
    const int o = richtext::offsetTwips(s.first);
    for (const Stretch &p : parts) {
        const QTextCharFormat &f = p.format;
        s.sameHeight = s.sameHeight && richtext::heightTwips(f) == h;
        s.sameOffset = s.sameOffset && richtext::offsetTwips(f) == o;
        s.sameBold = s.sameBold && isBold(f) == isBold(s.first);
        s.sameItalic = s.sameItalic && f.fontItalic() == s.first.fontItalic();
        s.sameUnderline = s.sameUnderline && f.fontUnderline() == s.first.fontUnderline();
    }
    return s;
}

} // namespace

void FormatTools::changeFormat(QTextEdit *field, const std::function<void(QTextCharFormat &)> &change)
{
    QTextCursor cursor = field->textCursor();
    if (!cursor.hasSelection()) {
        // Typing goes on in the changed format.
        QTextCharFormat f = field->currentCharFormat();
        change(f);
        field->setCurrentCharFormat(f);
        return;
    }
    const std::vector<Stretch> parts = stretches(cursor);
    QTextCursor apply(field->document());
    apply.beginEditBlock();
    for (const Stretch &p : parts) {
        QTextCharFormat f = p.format;
        change(f);
        apply.setPosition(p.position);
        apply.setPosition(p.position + p.length, QTextCursor::KeepAnchor);
        apply.setCharFormat(f);
    }
    apply.endEditBlock();
    if (auto *rich = qobject_cast<controls::DBRichEdit *>(field))
        rich->setModified(true);
}

// --- Clipboard and undo ---

void FormatTools::EditUndo1Execute()
{
    if (QTextEdit *field = editableField())
        field->undo();
}

void FormatTools::EditCut1Execute()
{
    if (QTextEdit *field = editableField())
        field->cut();
}

void FormatTools::EditCopy1Execute()
{
    if (QTextEdit *field = m_currentField())
        field->copy();
}

void FormatTools::EditPaste1Execute()
{
    if (QTextEdit *field = m_currentField())
        field->paste();
}

// --- Paragraphs ---

void FormatTools::FalignExecute(int alignment)
{
    QTextEdit *field = editableField();
    if (m_updating || !field)
        return;
    static constexpr Qt::Alignment values[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    field->setAlignment(values[std::clamp(alignment, 0, 2)]);
}

void FormatTools::fbulletsExecute()
{
    QTextEdit *field = editableField();
    if (m_updating || !field)
        return;
    QTextCursor cursor = field->textCursor();
    cursor.beginEditBlock();
    if (m_bullets->isChecked()) {
        const QTextList *list = cursor.currentList();
        if (!list || list->format().style() != QTextListFormat::ListDisc) {
            QTextListFormat bullets;
            bullets.setStyle(QTextListFormat::ListDisc);
            bullets.setIndent(1);
            cursor.createList(bullets);
        }
    } else {
        const QTextDocument *document = field->document();
        const QTextBlock last = document->findBlock(cursor.selectionEnd());
        for (QTextBlock b = document->findBlock(cursor.selectionStart()); b.isValid(); b = b.next()) {
            if (QTextList *list = b.textList()) {
                list->remove(b);
                QTextBlockFormat plain = b.blockFormat();
                plain.setIndent(0);
                QTextCursor(b).setBlockFormat(plain);
            }
            if (b == last)
                break;
        }
    }
    cursor.endEditBlock();
}

// --- Bold, italic, underline ---

void FormatTools::setStyle(const QAction *button, void (*set)(QTextCharFormat &, bool))
{
    if (m_updating)
        return;
    QTextEdit *field = editableField();
    if (!field) {
        if (QTextEdit *shown = m_currentField())
            memoselectionchange(shown); // the button shows the text's state again
        return;
    }
    // The button has changed its state already.
    const bool on = button->isChecked();
    changeFormat(field, [set, on](QTextCharFormat &f) { set(f, on); });
}

void FormatTools::ffettExecute()
{
    setStyle(m_fett, [](QTextCharFormat &f, bool on) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); });
}

void FormatTools::fkursivExecute()
{
    setStyle(m_kursiv, [](QTextCharFormat &f, bool on) { f.setFontItalic(on); });
}

void FormatTools::funderlineExecute()
{
    setStyle(m_underline, [](QTextCharFormat &f, bool on) { f.setFontUnderline(on); });
}

void FormatTools::fett1Click()
{
    m_fett->setChecked(!m_fett->isChecked());
    ffettExecute();
}

void FormatTools::kursiv1Click()
{
    m_kursiv->setChecked(!m_kursiv->isChecked());
    fkursivExecute();
}

void FormatTools::unterstrichen1Click()
{
    m_underline->setChecked(!m_underline->isChecked());
    funderlineExecute();
}

void FormatTools::PopupMenuPopup()
{
    m_fett1->setChecked(m_fett->isChecked());
    m_kursiv1->setChecked(m_kursiv->isChecked());
    m_unterstrichen1->setChecked(m_underline->isChecked());
    m_hochgestellt1->setChecked(m_hoch->isChecked());
    m_tiefgestellt1->setChecked(m_tief->isChecked());
    m_normal1->setChecked(m_normal->isChecked());
}

// --- Size and font ---

void FormatTools::setFontSizeText(int points)
{
    const QScopedValueRollback<bool> guard(m_updating, true);
    m_fontSize->setText(QString::number(points));
}

void FormatTools::stepFontSize(int delta)
{
    // The control starts from the size shown, kept within 8 to 30.
    bool ok = false;
    const int shown = m_fontSize->text().toInt(&ok);
    const int from = std::clamp(ok ? shown : m_upDownPosition, 8, 30);
    m_upDownPosition = std::clamp(from + delta, 8, 30);
    if (!ok || m_upDownPosition != shown)
        m_fontSize->setText(QString::number(m_upDownPosition));
}

bool FormatTools::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys in the size field work the up-down control.
    if (watched == m_fontSize && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            platform::guarded([this, key] { stepFontSize(key == Qt::Key_Up ? 1 : -1); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormatTools::FontSizeChange()
{
    if (m_updating)
        return;
    QTextEdit *field = editableField();
    if (!field)
        return;
    const QString text = m_fontSize->text();
    bool ok = false;
    const int points = text.toInt(&ok);
    if (!ok) {
        platform::messages().error(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
        return;
    }
    // A size the stored text cannot hold is ignored.
    if (points < 1 || points * 20 > maxHeightTwips)
        return;
    changeFormat(field, [points](QTextCharFormat &f) {
        richtext::setHeightAndOffset(f, points * 20, richtext::offsetTwips(f));
    });
    if (auto *rich = qobject_cast<controls::DBRichEdit *>(field))
        rich->setModified(true);
}

void FormatTools::fontbtnClick()
{
    QTextEdit *field = editableField();
    if (!field)
        return;
    const QTextCharFormat current = readFormat(field).first;
    // What the text does not set itself comes from the field's font.
    QFont start = current.font().resolve(field->document()->defaultFont());
    if (richtext::isSymbolFont(current))
        start.setFamily(richtext::symbolFontName());
    start.setPointSizeF(heightOf(field, current) / 20.0);
    QFontDialog dialog(start, platform::windowOwner(field->window()));
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    const bool chosen = platform::modalRunner().run(dialog) == QDialog::Accepted;
    if (chosen) {
        const QFont font = dialog.selectedFont();
        changeFormat(field, [&font](QTextCharFormat &f) {
            f.clearProperty(richtext::SymbolFont);
            f.setFontFamilies(QStringList{font.family()});
            f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
            f.setFontItalic(font.italic());
            f.setFontUnderline(font.underline());
            f.setFontStrikeOut(font.strikeOut());
            if (font.pointSizeF() > 0)
                richtext::setHeightAndOffset(f, std::clamp(qRound(font.pointSizeF() * 20), 20, maxHeightTwips),
                                             richtext::offsetTwips(f));
        });
    }
    field->setFocus();
}

// --- Special characters ---

void FormatTools::ComboSonderzeichenChange(int index)
{
    QTextEdit *field = editableField();
    const QByteArray bytes = specialCharacters();
    if (index < 0 || index >= bytes.size() || !field)
        return;
    const QTextCharFormat previous = readFormat(field).first;
    QTextCharFormat symbol = previous;
    richtext::setSymbolFont(symbol);
    QTextCursor cursor = field->textCursor();
    cursor.insertText(QString(richtext::symbolToUnicode(uchar(bytes[index]))), symbol);
    field->setTextCursor(cursor);
    // Typing goes on in the font the text had before.
    QTextCharFormat after = symbol;
    after.clearProperty(richtext::SymbolFont);
    if (previous.hasProperty(QTextFormat::FontFamilies))
        after.setFontFamilies(previous.fontFamilies().toStringList());
    else
        after.clearProperty(QTextFormat::FontFamilies);
    field->setCurrentCharFormat(after);
    field->setFocus();
}

// --- Raised and lowered text ---

void FormatTools::fhochExecute(int tag)
{
    QTextEdit *field = editableField();
    if (!field)
        return;
    const SelectionFormat s = readFormat(field);
    int h = heightOf(field, s.first);
    int o = richtext::offsetTwips(s.first);
    if (o == 0) {
        o = tag == 0 ? (3 * h) / 9 : (-3 * h) / 15;
        h = (4 * h) / 5;
    } else if (o < 0 && tag == 0) {
        o = (3 * ((5 * h) / 4)) / 9;
    } else if (o > 0 && tag == 1) {
        o = (-3 * ((5 * h) / 4)) / 15;
    } else {
        return; // already raised or lowered
    }
    changeFormat(field, [&](QTextCharFormat &f) {
        richtext::setHeightAndOffset(f, s.sameHeight ? h : heightOf(field, f),
                                     s.sameOffset ? o : richtext::offsetTwips(f));
    });
}

void FormatTools::fnormalExecute()
{
    QTextEdit *field = editableField();
    if (!field)
        return;
    const SelectionFormat s = readFormat(field);
    int h = heightOf(field, s.first);
    if (richtext::offsetTwips(s.first) != 0) {
        h = (5 * h) / 4;
        changeFormat(field, [&](QTextCharFormat &f) {
            richtext::setHeightAndOffset(f, s.sameHeight ? h : heightOf(field, f),
                                         s.sameOffset ? 0 : richtext::offsetTwips(f));
        });
    }
    setFontSizeText(h / 20);
}

// --- The tool bar follows the selection ---

void FormatTools::memoselectionchange(QTextEdit *field)
{
    if (!m_currentField())
        return;
    const QScopedValueRollback<bool> guard(m_updating, true);
    const SelectionFormat s = readFormat(field);
    setFontSizeText(heightOf(field, s.first) / 20);
    m_bullets->setChecked(field->textCursor().currentList() != nullptr);
    m_fett->setChecked(s.sameBold && isBold(s.first));
    m_kursiv->setChecked(s.sameItalic && s.first.fontItalic());
    m_underline->setChecked(s.sameUnderline && s.first.fontUnderline());
    const Qt::Alignment a = field->alignment();
    if (a & Qt::AlignHCenter)
        m_center->setChecked(true);
    else if (a & (Qt::AlignRight | Qt::AlignTrailing))
        m_right->setChecked(true);
    else
        m_left->setChecked(true);
    const int o = richtext::offsetTwips(s.first);
    (o > 0 ? m_hoch : o < 0 ? m_tief : m_normal)->setChecked(true);
}
