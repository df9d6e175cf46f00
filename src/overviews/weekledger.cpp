#include "weekledger.h"

#include "domain/marks.h"
#include "platform/clock.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/modalrunner.h"
#include "store/settings.h"
#include "store/tableset.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using State = domain::LedgerWeek::State;

namespace {

const QColor missingColour(180, 0, 0);
const QColor futureColour(128, 128, 128);
const QColor markedColour(0, 70, 150);
const QColor markedBackground(232, 240, 255);
const QColor conflictColour(150, 60, 0);
const QColor conflictBackground(255, 228, 190);

} // namespace


namespace overviews {

namespace {

QString dayText(const QDate &day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

// "4 und 5", "3, 4 und 5".
QString enumeration(const QStringList &items)
{
    if (items.size() <= 1)
        return items.value(0);
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" und ") + items.last();
}

QString reportText(const domain::LedgerWeek &week)
{
    switch (week.state) {
    case State::Covered: {
        const domain::ReportWeeks &report = week.reports.first();
        const qsizetype sheets = report.sheets.size();
        return sheets > 1 ? QStringLiteral("Bericht %1 (%2 Blätter)").arg(report.number).arg(sheets)
                          : QStringLiteral("Bericht %1").arg(report.number);
    }
    case State::Conflict: {
        // Reports of different training years name their year.
        bool oneYear = true;
        for (const domain::ReportWeeks &r : week.reports)
            oneYear = oneYear && r.year == week.reports.first().year;
        QStringList numbers;
        for (const domain::ReportWeeks &r : week.reports)
            numbers << (oneYear ? QString::number(r.number)
                                : QStringLiteral("%1 (%2. Lehrjahr)").arg(r.number).arg(r.year));
        return QStringLiteral("Konflikt: Bericht ") + enumeration(numbers);
    }
    case State::Marked:
        return week.mark.reason;
    case State::Missing:
        return QStringLiteral("fehlt");
    case State::Future:
        break;
    }
    return {};
}

QString seenText(const domain::LedgerWeek &week)
{
    if (week.reports.isEmpty())
        return {};
    bool seen = true, changed = false;
    for (const domain::ReportWeeks &r : week.reports) {
        seen = seen && r.seen;
        changed = changed || r.changedAfterReview;
    }
    if (changed)
        return QStringLiteral("geändert nach Durchsicht");
    return seen ? QStringLiteral("ja") : QStringLiteral("nein");
}

// "1 Woche fehlt", "7 fehlen": the number with the singular or plural.
QString counted(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

} // namespace

QStringList ledgerRowTexts(const domain::LedgerWeek &week)
{
    QStringList texts;
    for (int c = 0; c < Twochenform::ColumnCount; ++c)
        texts << QString();
    texts[Twochenform::KW] = domain::weekLabel(week.monday);
    texts[Twochenform::Days] = dayText(week.monday) + QChar(0x2013) + dayText(week.friday());
    const int year = week.reports.isEmpty() ? week.trainingYear : week.reports.first().year;
    texts[Twochenform::Year] = year > 0 ? QString::number(year) : QString();
    texts[Twochenform::Report] = reportText(week);
    texts[Twochenform::Note] = week.mark.isSet() ? week.mark.note : QString();
    texts[Twochenform::Seen] = seenText(week);
    return texts;
}

QString ledgerSummary(const QVector<domain::LedgerWeek> &ledger)
{
    qsizetype covered = 0, conflicts = 0, marked = 0, missing = 0, future = 0;
    for (const domain::LedgerWeek &week : ledger) {
        switch (week.state) {
        case State::Covered: ++covered; break;
        case State::Conflict: ++covered, ++conflicts; break;
        case State::Marked: ++marked; break;
        case State::Missing: ++missing; break;
        case State::Future: ++future; break;
        }
    }
    if (ledger.isEmpty())
        return QStringLiteral("Keine Wochen: Bitte tragen Sie unter „Einstellungen“ › „Grunddaten“ Beginn und Ende "
                              "Ihrer Ausbildung ein.");
    QStringList parts{counted(ledger.size(), QStringLiteral("Woche"), QStringLiteral("Wochen")),
                      QStringLiteral("%1 mit Bericht").arg(covered), QStringLiteral("%1 markiert").arg(marked),
                      counted(missing, QStringLiteral("fehlt"), QStringLiteral("fehlen"))};
    if (conflicts > 0)
        parts << QStringLiteral("%1 mit Konflikt").arg(conflicts);
    if (future > 0)
        parts << counted(future, QStringLiteral("liegt noch vor Ihnen"), QStringLiteral("liegen noch vor Ihnen"));
    return parts.join(QStringLiteral(", "));
}

} // namespace overviews

// --- The mark dialog ---

Twochenmarkedlg::Twochenmarkedlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("wochenmarkedlg"));
    setWindowTitle(QStringLiteral("Woche markieren"));
    auto *column = new QVBoxLayout(this);
    m_woche = new QLabel(this);
    m_woche->setObjectName(QStringLiteral("wochelabel"));
    column->addWidget(m_woche);
    auto *form = new QFormLayout;
    m_grund = new QComboBox(this);
    m_grund->setObjectName(QStringLiteral("grundcombo"));
    m_grund->addItems(domain::absenceReasons());
    m_notiz = new QLineEdit(this);
    m_notiz->setObjectName(QStringLiteral("notizedit"));
    m_notiz->setMaxLength(200);
    auto *grundLabel = new QLabel(QStringLiteral("&Grund:"), this);
    grundLabel->setBuddy(m_grund);
    auto *notizLabel = new QLabel(QStringLiteral("&Vermerk:"), this);
    notizLabel->setBuddy(m_notiz);
    form->addRow(grundLabel, m_grund);
    form->addRow(notizLabel, m_notiz);
    column->addLayout(form);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okbtn"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("abbrechenbtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(360, sizeHint().height());
}

void Twochenmarkedlg::setWeek(const QString &label, const domain::WeekMark &mark)
{
    m_woche->setText(QStringLiteral("Woche: %1").arg(label));
    const int at = m_grund->findText(mark.reason);
    m_grund->setCurrentIndex(at < 0 ? 0 : at);
    m_notiz->setText(mark.note);
    m_grund->setFocus();
}

// --- The ledger ---

Twochenform::Twochenform(store::TableSet &tables, QWidget *parent) : QDialog(parent), m_tables(tables)
{
    setObjectName(QStringLiteral("wochenform"));
    platform::setHelpContext(this, platform::helpcontext::WeekLedger);
    setWindowTitle(QStringLiteral("Wochen"));
    resize(900, 620);
    auto *column = new QVBoxLayout(this);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summelabel"));
    m_summary->setWordWrap(true);
    column->addWidget(m_summary);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("wochengrid"));
    m_grid->setAccessibleName(QStringLiteral("Wochen der Ausbildung"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("KW"), QStringLiteral("Montag–Freitag"),
                                       QStringLiteral("Lehrjahr"), QStringLiteral("Bericht"),
                                       QStringLiteral("Vermerk"), QStringLiteral("Gesehen")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    const int widths[ColumnCount] = {85, 165, 62, 215, 200, 100};
    for (int c = 0; c < ColumnCount; ++c)
        m_grid->setColumnWidth(c, widths[c]);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->installEventFilter(this);
    column->addWidget(m_grid, 1);

    auto *row = new QHBoxLayout;
    m_markieren = new QPushButton(QStringLiteral("Woche &markieren..."), this);
    m_markieren->setObjectName(QStringLiteral("markierenbtn"));
    m_entmarkieren = new QPushButton(QStringLiteral("Markierung &entfernen"), this);
    m_entmarkieren->setObjectName(QStringLiteral("entmarkierenbtn"));
    m_schliessen = new QPushButton(QStringLiteral("S&chließen"), this);
    m_schliessen->setObjectName(QStringLiteral("schliessenbtn"));
    // Enter belongs to the grid: it opens or makes the week's report.
    for (QPushButton *b : {m_markieren, m_entmarkieren, m_schliessen})
        b->setAutoDefault(false);
    row->addWidget(m_markieren);
    row->addWidget(m_entmarkieren);
    row->addStretch();
    row->addWidget(m_schliessen);
    column->addLayout(row);

    m_markedlg = new Twochenmarkedlg(this);

    connect(m_grid, &QTableWidget::doubleClicked, this,
            [this] { platform::guarded([this] { wochengridDblClick(); }); });
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    connect(m_markieren, &QPushButton::clicked, this, [this] { platform::guarded([this] { markierenbtnClick(); }); });
    connect(m_entmarkieren, &QPushButton::clicked, this,
            [this] { platform::guarded([this] { entmarkierenbtnClick(); }); });
    connect(m_schliessen, &QPushButton::clicked, this, &QDialog::reject);
}

Twochenform::~Twochenform() = default;

int Twochenform::execute()
{
    return run(domain::mondayOf(platform::clock().now().date()));
}

int Twochenform::showWeek(const QDate &day)
{
    return run(domain::mondayOf(day));
}

int Twochenform::run(const QDate &monday)
{
    int result = QDialog::Rejected;
    platform::guarded([&] {
        refresh();
        select(monday);
        m_grid->setFocus();
        result = platform::modalRunner().run(*this);
    });
    return result;
}

void Twochenform::refresh()
{
    const domain::LedgerWeek *selected = selectedWeek();
    const QDate keep = selected ? selected->monday : QDate();
    const store::Settings settings(m_tables.places().settingsFile());
    m_ledger = domain::weekLedger(m_tables, settings, platform::clock().now().date());
    m_summary->setText(overviews::ledgerSummary(m_ledger));
    {
        const QSignalBlocker block(m_grid);
        m_grid->clearContents();
        m_grid->setRowCount(int(m_ledger.size()));
        for (int r = 0; r < m_ledger.size(); ++r)
            fillRow(r, m_ledger[r]);
    }
    if (keep.isValid())
        select(keep);
    updateButtons();
}

void Twochenform::fillRow(int row, const domain::LedgerWeek &week)
{
    const QStringList texts = overviews::ledgerRowTexts(week);
    QColor text, back;
    bool bold = false;
    switch (week.state) {
    case State::Covered: break;
    case State::Conflict:
        text = conflictColour;
        back = conflictBackground;
        bold = true;
        break;
    case State::Marked:
        text = markedColour;
        back = markedBackground;
        break;
    case State::Missing:
        text = missingColour;
        bold = true;
        break;
    case State::Future: text = futureColour; break;
    }
    for (int c = 0; c < ColumnCount; ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        if (text.isValid())
            item->setForeground(text);
        if (back.isValid())
            item->setBackground(back);
        if (bold && c == Report) {
            QFont f = m_grid->font();
            f.setBold(true);
            item->setFont(f);
        }
        m_grid->setItem(row, c, item);
    }
}

void Twochenform::select(const QDate &monday)
{
    int row = -1;
    for (int r = 0; r < m_ledger.size(); ++r) {
        if (m_ledger[r].monday == monday) {
            row = r;
            break;
        }
    }
    // A week outside the training period: the last week up to it.
    if (row < 0) {
        for (int r = 0; r < m_ledger.size() && m_ledger[r].monday < monday; ++r)
            row = r;
    }
    if (row < 0 && !m_ledger.isEmpty())
        row = 0;
    if (row < 0)
        return;
    m_grid->setCurrentCell(row, KW);
    m_grid->selectRow(row);
    m_grid->scrollToItem(m_grid->item(row, KW), QAbstractItemView::PositionAtCenter);
}

const domain::LedgerWeek *Twochenform::selectedWeek() const
{
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_ledger.size() || m_grid->selectedItems().isEmpty())
        return nullptr;
    return &m_ledger[row];
}

void Twochenform::updateButtons()
{
    const domain::LedgerWeek *week = selectedWeek();
    const bool withoutReport = week && week->reports.isEmpty();
    m_markieren->setEnabled(withoutReport);
    m_entmarkieren->setEnabled(week && week->mark.isSet());
}

bool Twochenform::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            platform::guarded([this] { wochengridDblClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Twochenform::wochengridDblClick()
{
    const domain::LedgerWeek *week = selectedWeek();
    if (!week)
        return;
    const domain::LedgerWeek chosen = *week;
    if (!chosen.reports.isEmpty()) {
        // A conflict opens the first of its reports.
        if (m_open)
            m_open(chosen.reports.first().year, chosen.reports.first().number);
    } else if (m_create) {
        m_create(chosen.monday, chosen.trainingYear);
    }
    refresh();
    select(chosen.monday);
    m_grid->setFocus();
}

void Twochenform::markierenbtnClick()
{
    const domain::LedgerWeek *week = selectedWeek();
    if (!week || !week->reports.isEmpty())
        return;
    const QDate monday = week->monday;
    m_markedlg->setWeek(domain::weekLabel(monday), week->mark);
    if (platform::modalRunner().run(*m_markedlg) != QDialog::Accepted)
        return;
    domain::setWeekMark(m_tables, monday, m_markedlg->grundcombo()->currentText(),
                        m_markedlg->notizedit()->text().trimmed());
    refresh();
    select(monday);
}

void Twochenform::entmarkierenbtnClick()
{
    const domain::LedgerWeek *week = selectedWeek();
    if (!week || !week->mark.isSet())
        return;
    const QDate monday = week->monday;
    domain::setWeekMark(m_tables, monday, QString());
    refresh();
    select(monday);
}
