#include "trainingtime.h"

#include "controls/dbcontrols.h"
#include "controls/dbgrid.h"
#include "controls/designed.h"
#include "controls/toolicons.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/hint.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "print/engine/previewinterface.h"
#include "print/trainingtimeprint.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/storeerror.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QAction>
#include <QDate>
#include <QScopeGuard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace field = store::field;
namespace keys = store::settingskeys;

namespace {

// The keys of the dates, in the order they are written: start and end of
// the first, second and third year.
const QLatin1String dateKeys[3][2] = {{keys::vom1, keys::bis1}, {keys::vom2, keys::bis2}, {keys::vom3, keys::bis3}};

QList<controls::GridColumn> gridColumns()
{
    const auto column = [](const QString &field, const char *title, int width) {
        controls::GridColumn c;
        c.field = field;
        c.title = QString::fromUtf8(title);
        c.width = width;
        return c;
    };
    controls::GridColumn year = column(field::Lj, "Ausbildungsabschnitt", 124);
    year.pickList = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return {year, column(field::Bs, "Berufsschule", 150), column(field::Uelu, "ÜLU-Maßnahmen", 150),
            column(field::Urlaub, "Urlaub", 150), column(field::Krank, "krank", 150)};
}

} // namespace

Tuebersichtdlg::Tuebersichtdlg(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("uebersichtdlg"));
    setWindowTitle(QStringLiteral("Übersicht über die Ausbildungszeit"));
    platform::setHelpContext(this, platform::helpcontext::TrainingTime);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(810, 598);
    // The labels and edits stand at fixed places designed for a narrow face;
    // the platform's wider default would run "1. Lj." into "vom:".
    setFont(QFont(QStringLiteral("Arial"), 8));

    // The tool bar works on the edit field that has the focus; its buttons
    // take no focus themselves.
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setGeometry(0, 0, 810, 29);
    m_toolBar->setIconSize(QSize(16, 16));
    const struct
    {
        const char *name;
        const char *caption;
        ToolIcon icon;
        QKeySequence keys;
        void (Tuebersichtdlg::*handler)();
    } tools[] = {
        {"EditCopy1", "Kopieren", ToolIcon::Copy, QKeySequence(Qt::CTRL | Qt::Key_C), &Tuebersichtdlg::EditCopy1Execute},
        {"EditCut1", "Ausschneiden", ToolIcon::Cut, QKeySequence(Qt::CTRL | Qt::Key_X),
         &Tuebersichtdlg::EditCut1Execute},
        {"EditDelete1", "Löschen", ToolIcon::Delete, QKeySequence(Qt::Key_Delete), &Tuebersichtdlg::EditDelete1Execute},
        {"EditCopy2", "Kopieren", ToolIcon::Copy, QKeySequence(), &Tuebersichtdlg::EditCopy1Execute},
        {"EditPaste1", "Einfügen", ToolIcon::Paste, QKeySequence(Qt::CTRL | Qt::Key_V),
         &Tuebersichtdlg::EditPaste1Execute},
        {"EditUndo1", "Rückgängig", ToolIcon::Undo, QKeySequence(Qt::ALT | Qt::Key_Backspace),
         &Tuebersichtdlg::EditUndo1Execute},
    };
    for (const auto &t : tools) {
        QAction *a = m_toolBar->addAction(toolIcon(t.icon), QString::fromUtf8(t.caption));
        a->setObjectName(QLatin1String(t.name));
        // A focused edit field takes the keys it knows itself.
        a->setShortcut(t.keys);
        const QString hint = t.keys.isEmpty() ? a->text()
                                              : a->text() + QStringLiteral(" (")
                                                    + t.keys.toString(QKeySequence::NativeText) + QLatin1Char(')');
        platform::setHint(a, hint);
        connect(a, &QAction::triggered, this, [this, handler = t.handler] { platform::guarded([&] { (this->*handler)(); }); });
    }
    for (QWidget *w : m_toolBar->findChildren<QWidget *>())
        w->setFocusPolicy(Qt::NoFocus);

    auto *heading = new QLabel(QStringLiteral("Übersicht über die Ausbildungszeit"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(16);
    big.setBold(true);
    heading->setFont(big);
    heading->adjustSize();
    heading->move(32, 29 + (21 - heading->height()) / 2);

    const int tops[3] = {56, 84, 112};
    for (int year = 0; year < 3; ++year) {
        const int y = tops[year];
        const QString n = QString::number(year + 1);
        controls::designedLabel(this, qPrintable(QStringLiteral("ljlabel") + n), n + QStringLiteral(". Lj."),
                                {32, y + 4});
        controls::designedLabel(this, qPrintable(QStringLiteral("vomlabel") + n), QStringLiteral("vom:"), {65, y + 4});
        controls::designedLabel(this, qPrintable(QStringLiteral("bislabel") + n), QStringLiteral("bis:"), {239, y + 4});
        for (int end = 0; end < 2; ++end) {
            auto *edit = new QLineEdit(this);
            edit->setObjectName(QString(dateKeys[year][end]));
            edit->setGeometry(end ? 260 : 92, y, 121, 21);
            edit->setAccessibleName(QStringLiteral("%1. Lehrjahr %2").arg(year + 1).arg(end ? QStringLiteral("bis")
                                                                                           : QStringLiteral("vom")));
            edit->setAccessibleDescription(QStringLiteral("TT.MM.JJJJ"));
            m_dates[year][end] = edit;
        }
    }
    // Tab goes through the dates year by year.
    for (int i = 0; i < 5; ++i)
        setTabOrder(m_dates[i / 2][i % 2], m_dates[(i + 1) / 2][(i + 1) % 2]);

    m_source = new controls::DataSource(QStringLiteral("DataSource1"), &tables.uebersichttable(), this);
    m_navigator = new controls::DBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setGeometry(408, 109, 156, 25);
    using Nav = controls::DBNavigator;
    m_navigator->setVisibleButtons({Nav::First, Nav::Prior, Nav::Next, Nav::Last, Nav::Insert, Nav::Delete});
    const std::pair<Nav::Button, const char *> hints[] = {
        {Nav::First, "Erster Zeile"},    {Nav::Prior, "Vorherige Zeile"}, {Nav::Next, "Nächste Zeile"},
        {Nav::Last, "Letzte Zeile"},     {Nav::Insert, "Zeile einfügen"}, {Nav::Delete, "Zeile löschen"}};
    for (const auto &[button, hint] : hints)
        platform::setHint(m_navigator->button(button), QString::fromUtf8(hint));
    m_navigator->setDeleteQuestion(QStringLiteral("Zeile löschen?"));

    auto *ok = controls::designedButton(this, "okbtn", QStringLiteral("&OK"), QRect(696, 32, 87, 25));
    ok->setDefault(true);
    auto *cancel = controls::designedButton(this, "abbruchbtn", QStringLiteral("&Abbrechen"), QRect(696, 64, 87, 25));
    auto *preview = controls::designedButton(this, "vorschaubtn", QStringLiteral("&Vorschau"), QRect(696, 96, 87, 25));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(preview, &QPushButton::clicked, this, [this] { platform::guarded([this] { vorschaubtnClick(); }); });

    m_grid = new controls::DBGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Zeilen der Übersicht"));
    m_grid->setGeometry(32, 152, 757, 425);
    m_grid->setColumns(gridColumns());
    m_grid->setEditable(true);
    m_grid->setDeleteQuestion(QStringLiteral("Zeile löschen?"));
    m_grid->setDataSource(m_source);
    m_navigator->setDataSource(m_source);
    // Tab after the dates: the rows, then the buttons on the right.
    setTabOrder(m_navigator, m_grid);
    setTabOrder(m_grid, ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, preview);
    // A new row left untouched is dropped, not stored, when the navigator
    // moves on.
    connect(m_navigator, &controls::DBNavigator::beforeAction, this, [this](Nav::Button button) {
        if (button != Nav::Insert && button != Nav::Delete)
            m_grid->dropUntouchedRow();
    });
}

Tuebersichtdlg::~Tuebersichtdlg() = default;

int Tuebersichtdlg::execute()
{
    const store::Settings ini(m_tables.places().settingsFile());
    for (int year = 0; year < 3; ++year)
        for (int end = 0; end < 2; ++end)
            m_dates[year][end]->setText(ini.readString(keys::Stift, dateKeys[year][end]));
    // A year without dates is offered what the basic data know: the
    // training starts on their first day and ends on their last; the years
    // between follow from the start. Nothing is stored before OK.
    const QString start = ini.readString(keys::Stift, keys::AZvom);
    const QString end = ini.readString(keys::Stift, keys::AZbis);
    const QDate first = QDate::fromString(start, QStringLiteral("d.M.yyyy"));
    for (int year = 0; year < 3; ++year) {
        QLineEdit *from = m_dates[year][0], *to = m_dates[year][1];
        if (!from->text().isEmpty() || !to->text().isEmpty())
            continue;
        if (first.isValid()) {
            from->setText(first.addYears(year).toString(QStringLiteral("dd.MM.yyyy")));
            to->setText(year == 2 && !end.isEmpty()
                            ? end
                            : first.addYears(year + 1).addDays(-1).toString(QStringLiteral("dd.MM.yyyy")));
        } else if (year == 0) {
            from->setText(start);
        } else if (year == 2) {
            to->setText(end);
        }
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return platform::modalRunner().run(*this);
}

void Tuebersichtdlg::accept()
{
    QList<store::Settings::Value> dates;
    for (int year = 0; year < 3; ++year) {
        for (int end = 0; end < 2; ++end) {
            QLineEdit *edit = m_dates[year][end];
            if (const QString c = store::unstorableCharacter(edit->text()); !c.isEmpty()) {
                platform::messages().error(
                    QStringLiteral("Das Zeichen %1 im Feld „%2. Lj. %3“ kann nicht gespeichert werden: Die Daten "
                                   "stehen in einer Datei, die nur Zeichen westeuropäischer Sprachen aufnehmen kann.\n"
                                   "Die Daten wurden nicht gespeichert. Bitte ersetzen Sie das Zeichen.")
                        .arg(store::describeCharacter(c), QString::number(year + 1),
                             end ? QStringLiteral("bis") : QStringLiteral("vom")));
                edit->setFocus();
                return;
            }
            dates.append({keys::Stift, dateKeys[year][end], edit->text()});
        }
    }
    if (!store::Settings(m_tables.places().settingsFile()).writeStrings(dates)) {
        platform::messages().error(QStringLiteral("Die Daten der Ausbildungsjahre wurden NICHT gespeichert: Die Datei "
                                                  "%1 konnte nicht geschrieben werden. Sie ist unverändert geblieben.")
                                       .arg(QDir::toNativeSeparators(m_tables.places().settingsFile())));
        return;
    }
    QDialog::accept();
}

void Tuebersichtdlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_dates[0][0]->setFocus();
}

void Tuebersichtdlg::postRow()
{
    store::Table &rows = m_tables.uebersichttable();
    if (!rows.isOpen() || m_grid->dropUntouchedRow())
        return;
    rows.post();
}

void Tuebersichtdlg::vorschaubtnClick()
{
    postRow(); // a row that cannot be stored shows its error: no preview
    if (!m_printForm)
        return;
    // The print walks the rows; the grid's row is the current one again
    // afterwards, also when the preview ends by an error.
    const store::ScopedRow keep(m_tables.uebersichttable());
    // The print shows the dates as the dialog shows them, stored or not.
    QStringList dates;
    for (int year = 0; year < 3; ++year)
        for (int end = 0; end < 2; ++end)
            dates << m_dates[year][end]->text();
    m_printForm->setShownDates(dates);
    const auto fileDates = qScopeGuard([this] { m_printForm->setShownDates({}); });
    engine::preview(m_printForm->report(), engine::PrintKind::TrainingTime);
}

void Tuebersichtdlg::done(int result)
{
    // Closing stores the row being edited. A row that cannot be stored is
    // never lost unnoticed: the apprentice learns which row and why, and
    // either discards it or stays in the dialog to complete it.
    try {
        postRow();
    } catch (const store::StoreError &error) {
        if (!discardUnstoredRow(error.message()))
            return;
    }
    QDialog::done(result);
}

bool Tuebersichtdlg::discardUnstoredRow(QString why)
{
    // The row the apprentice sees lacks its training year: said in the
    // grid's own words rather than the table's.
    const store::Table &rows = m_tables.uebersichttable();
    if (rows.isEditing() && rows.isNull(field::Lj))
        why = QStringLiteral("In der Spalte „Ausbildungsabschnitt“ fehlt das Lehrjahr (1, 2 oder 3).");
    // The first answer, the one Enter gives, keeps the row.
    const QString question = QStringLiteral("Zeile %1 kann nicht gespeichert werden:\n%2\n\n"
                                            "Wollen Sie die Zeile ergänzen? Mit „Nein“ wird sie verworfen.")
                                 .arg(m_grid->currentLine() + 1)
                                 .arg(why);
    if (platform::messages().confirmYesNo(question) != platform::Answer::No) {
        m_grid->setFocus();
        return false;
    }
    m_grid->cancelRow();
    return true;
}

QLineEdit *Tuebersichtdlg::focusedEdit() const
{
    return qobject_cast<QLineEdit *>(focusWidget());
}

void Tuebersichtdlg::EditCopy1Execute()
{
    if (QLineEdit *e = focusedEdit())
        e->copy();
}

void Tuebersichtdlg::EditCut1Execute()
{
    if (QLineEdit *e = focusedEdit())
        e->cut();
}

void Tuebersichtdlg::EditDelete1Execute()
{
    if (QLineEdit *e = focusedEdit())
        e->del();
}

void Tuebersichtdlg::EditPaste1Execute()
{
    if (QLineEdit *e = focusedEdit())
        e->paste();
}

void Tuebersichtdlg::EditUndo1Execute()
{
    if (QLineEdit *e = focusedEdit())
        e->undo();
}
