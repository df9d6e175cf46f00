#include "reportofreportstab.h"

#include "controls/checkmark.h"
#include "controls/designed.h"
#include "controls/radiogroup.h"
#include "platform/guard.h"
#include "platform/hint.h"
#include "print/engine/previewinterface.h"
#include "print/reportofreportsprint.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>

namespace overviews {

using domain::Grid;
using domain::Selection;
namespace column = domain::column;
using domain::selectionCount;
using domain::selectionForYear;
using domain::selectionText;

namespace {

constexpr int designedColumnWidths[column::Count] = {41, 610, 51, 52, 51, 49, 51};
constexpr int rowHeight = 16;
const QColor fixedRowColour(0x9F, 0xCE, 0xF0);
const QColor checkMarkGreen(0x00, 0x80, 0x00);
const QColor periodBlue(0x00, 0x00, 0xFF);
// The grid's top, and the room the tab's design leaves below it.
constexpr int gridTop = 49;
constexpr int gridBottomGap = 4;

QFont arial8(bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

} // namespace

// The grid's rows below the title row; the title row is the fixed row on
// top (the horizontal header).
class ReportGridModel : public QAbstractTableModel
{
public:
    ReportGridModel(const Grid &grid, QObject *parent) : QAbstractTableModel(parent), m_grid(grid) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(0, int(m_grid.size()) - 1);
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : column::Count; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_grid.value(index.row() + 1).value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && !m_grid.isEmpty())
            return m_grid.first().value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const Grid &m_grid;
};

namespace {

// The cells: the check mark in green, the lines of the two periods bold
// blue, everything else Arial 8 pt black, two pixels in from the cell's
// corner.
class CellPainter : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString text = index.data().toString();
        bool isNumber = false;
        const int part = index.siblingAtColumn(column::Number).data().toString().toInt(&isNumber);
        const QRect cell = option.rect;
        painter->save();
        painter->setClipRect(cell);
        painter->fillRect(cell, option.palette.base());
        if (index.column() == column::Ok && isNumber && part > 4) {
            if (!text.isEmpty()) {
                // The mark as an 11 pt symbol font would draw it after a blank.
                const double em = 11.0 * painter->device()->logicalDpiY() / 72.0;
                controls::drawCheckMark(*painter, controls::checkMarkBox(cell.topLeft(), em), checkMarkGreen);
            }
        } else {
            const bool period = index.column() == column::Text && (!isNumber || part == 0);
            painter->setFont(arial8(period));
            painter->setPen(period ? periodBlue : QColor(Qt::black));
            painter->drawText(cell.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
        painter->restore();
    }
};

} // namespace

ReportOfReportsTab::ReportOfReportsTab(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QWidget(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("ReportOfReportsTab"));

    // The periods as the print names them, each with its letter.
    const QStringList items{QStringLiteral("&1. Lehrjahr"),    QStringLiteral("&2. Lehrjahr"),
                            QStringLiteral("2. Lehrjahr &A"),  QStringLiteral("2. Lehrjahr &B"),
                            QStringLiteral("&3. Lehrjahr"),    QStringLiteral("&Zwischenprüfung"),
                            QStringLiteral("Abschlußp&rüfung")};
    Q_ASSERT(items.size() == selectionCount);
    m_ljgroup = new controls::RadioGroup(QStringLiteral("Auswahl"), items, selectionCount, this);
    m_ljgroup->setObjectName(QStringLiteral("ljgroup"));
    m_ljgroup->placeAt(QRect(16, 3, 809, 41));

    m_bitBtn2 = controls::designedButton(this, "BitBtn2", QStringLiteral("&Vorschau"), QRect(839, 14, 80, 25));
    m_bitBtn2->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    platform::setHint(m_bitBtn2, QStringLiteral("Druckvorschau der Tabelle"));

    m_model = new ReportGridModel(m_grid, this);
    m_reportGrid = new QTableView(this);
    m_reportGrid->setObjectName(QStringLiteral("ReportGrid"));
    m_reportGrid->setAccessibleName(QStringLiteral("Übersicht über geschriebene Berichte"));
    // Tab goes on to the next control; the arrows move within the grid.
    m_reportGrid->setTabKeyNavigation(false);
    m_reportGrid->setGeometry(4, gridTop, 934, 568);
    m_reportGrid->setModel(m_model);
    m_reportGrid->setItemDelegate(new CellPainter(m_reportGrid));
    m_reportGrid->setFont(arial8());
    m_reportGrid->setShowGrid(true);
    m_reportGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_reportGrid->setSelectionMode(QAbstractItemView::NoSelection);
    m_reportGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_reportGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_reportGrid->setWordWrap(false);
    m_reportGrid->verticalHeader()->hide();
    m_reportGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_reportGrid->verticalHeader()->setMinimumSectionSize(rowHeight);
    m_reportGrid->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView *fixedRow = m_reportGrid->horizontalHeader();
    fixedRow->setSectionResizeMode(QHeaderView::Fixed);
    fixedRow->setHighlightSections(false);
    fixedRow->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fixedRow->setFont(arial8());
    fixedRow->setFixedHeight(rowHeight + 1);
    fixedRow->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: black;"
                                           " border: none; border-right: 1px solid #a0a0a0;"
                                           " border-bottom: 1px solid #a0a0a0; padding-left: 2px; }")
                                .arg(fixedRowColour.name()));
    for (int c = 0; c < column::Count; ++c)
        m_reportGrid->setColumnWidth(c, designedColumnWidths[c]);

    m_aktualisierbtn = new QPushButton(QStringLiteral("Aktualisieren"), this);
    m_aktualisierbtn->setObjectName(QStringLiteral("aktualisierbtn"));
    m_aktualisierbtn->setGeometry(0, 0, 75, 25);
    m_aktualisierbtn->setVisible(false);

    connect(m_ljgroup, &controls::RadioGroup::itemIndexChanged, this,
            [this] { platform::guarded([this] { ljgroupClick(); }); });
    connect(m_aktualisierbtn, &QPushButton::clicked, this,
            [this] { platform::guarded([this] { aktualisierbtnClick(); }); });
    connect(m_bitBtn2, &QPushButton::clicked, this, [this] { platform::guarded([this] { BitBtn2Click(); }); });
}

ReportOfReportsTab::~ReportOfReportsTab() = default;

void ReportOfReportsTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { berichtreportShow(); });
}

void ReportOfReportsTab::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The grid keeps its left, top and distance to the tab's foot.
    m_reportGrid->resize(m_reportGrid->width(), std::max(rowHeight * 4, height() - gridTop - gridBottomGap));
}

void ReportOfReportsTab::berichtreportShow()
{
    const int item = int(selectionForYear(m_session.year));
    if (m_ljgroup->itemIndex() != item)
        m_ljgroup->setItemIndex(item); // a change computes the grid
    aktualisierbtnClick();
}

void ReportOfReportsTab::showTrainingYear(int year)
{
    const int item = int(selectionForYear(year));
    if (m_ljgroup->itemIndex() != item)
        m_ljgroup->setItemIndex(item); // a change computes the grid
    else
        aktualisierbtnClick();
}

void ReportOfReportsTab::ljgroupClick()
{
    const int item = m_ljgroup->itemIndex();
    if (item < 0 || item >= selectionCount)
        return;
    m_selection = Selection(item);
    aktualisierbtnClick();
}

void ReportOfReportsTab::aktualisierbtnClick()
{
    m_grid = domain::reportGrid(domain::planWalk(m_tables, m_selection), m_selection);
    m_model->reset();
}

void ReportOfReportsTab::BitBtn2Click()
{
    if (!m_printForm)
        return;
    // The grid prints as it stands.
    m_printForm->setGrid(&m_grid);
    m_printForm->setSelectionText(selectionText(m_selection));
    engine::preview(m_printForm->report(), engine::PrintKind::ReportOfReports);
}

} // namespace overviews
