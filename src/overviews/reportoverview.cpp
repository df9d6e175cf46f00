#include "reportoverview.h"

#include "reviewbatch.h"

#include "controls/anchors.h"
#include "controls/dbcontrols.h"
#include "controls/dbgrid.h"
#include "controls/designed.h"
#include "controls/radiogroup.h"
#include "domain/coveredparts.h"
#include "domain/marks.h"
#include "domain/reports.h"
#include "platform/guard.h"
#include "platform/hint.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "print/engine/previewinterface.h"
#include "print/reportlistprint.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace field = store::field;

namespace overviews {

namespace {

constexpr int allYears = 0;
constexpr int currentYear = 1;

// `seen` tells for a row whether the trainer has seen its sheet.
QList<controls::GridColumn> gridColumns(std::function<QString(int row)> seen)
{
    using controls::GridColumn;
    const QColor lightBlue(0xC0, 0xDF, 0xF5), khaki(0xDC, 0xD7, 0xAD);
    const Qt::Alignment left = Qt::AlignLeft, centred = Qt::AlignHCenter;
    QList<GridColumn> columns{
        {field::AJahr, QStringLiteral("A-Jahr"), 42, left, left, lightBlue},
        {field::Nummer, QStringLiteral("Nummer"), 49, left, left, lightBlue},
        {field::Blatt, QStringLiteral("Blatt"), 38, centred, left, lightBlue},
        {field::WocheVom, QStringLiteral("vom"), 68, centred, centred, lightBlue},
        {field::WocheBis, QStringLiteral("bis"), 67, centred, centred, lightBlue},
        {field::Datum, QStringLiteral("Datum"), 67, centred, centred, lightBlue},
        // Seen by the trainer; the parts' columns give it their room.
        {QString(), QStringLiteral("✓"), 20, centred, centred, lightBlue, true, {}, std::move(seen)},
        {field::Gedruckt, QString(), 64, left, left, lightBlue, false},
    };
    for (int i = 0; i < domain::coveredPartFields; ++i)
        columns.append({domain::coveredPartField(i), QString(), 48, centred, centred, khaki});
    return columns;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int left, const QString &hint)
{
    QPushButton *b = controls::designedButton(parent, name, caption, QRect(left, 536, 79, 25));
    platform::setHint(b, hint);
    return b;
}

} // namespace

ReportOverviewTab::ReportOverviewTab(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QWidget(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("ReportOverviewTab"));

    auto *title = new QLabel(QStringLiteral("Übersicht"), this);
    title->setObjectName(QStringLiteral("titellabel"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    big.setBold(true);
    title->setFont(big);
    QPalette blue = title->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    title->setPalette(blue);
    title->adjustSize();
    title->move(35, 16);

    m_uebersichtanzeigewahl = new controls::RadioGroup(
        QStringLiteral("Anzeige"), {QStringLiteral("a&lle Jahre"), QStringLiteral("a&ktuelles Jahr")}, 2, this);
    m_uebersichtanzeigewahl->setObjectName(QStringLiteral("uebersichtanzeigewahl"));
    m_uebersichtanzeigewahl->placeAt(QRect(240, 16, 185, 33));
    m_uebersichtanzeigewahl->setItemIndex(allYears);

    // Above the ten columns of the covered parts.
    controls::designedLabel(this, "tdablabel", QStringLiteral("Teil des Ausbildungsberufsbildes"), {576, 46});

    m_source = new controls::DataSource(QStringLiteral("berichtsource"), &tables.berichttable(), this);
    m_grid = new controls::DBGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid3"));
    m_grid->setGeometry(32, 61, 878, 455);
    m_grid->setAccessibleName(QStringLiteral("Berichte"));
    // The title's letter leads to the list.
    title->setText(QStringLiteral("&Übersicht"));
    title->setBuddy(m_grid);
    // The narrow columns were laid out for a narrow face: in the platform's
    // wider default a date would not fit its 67 pixels.
    m_grid->setFont(QFont(QStringLiteral("Arial"), 8));
    m_grid->setColumns(gridColumns([this](int row) {
        if (m_reviewsStale)
            platform::guarded([this] { readReviews(); });
        const QVariant sheet = m_tables.berichttable().valueAt(row, field::BerLfd);
        return m_reviews.value(sheet.toLongLong()).isSeen() ? QStringLiteral("✓") : QString();
    }));
    m_grid->setDataSource(m_source);

    m_beranzeigebtn =
        button(this, "beranzeigebtn", QStringLiteral("&Anzeigen"), 304, QStringLiteral("Bericht anzeigen"));
    m_druckbtn = button(this, "beruebersichtdruckbtn", QStringLiteral("&Vorschau"), 396,
                        QStringLiteral("Druckvorschau der Liste"));
    m_druckbtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_bitBtn1 = button(this, "BitBtn1", QStringLiteral("&Sammeldruck"), 488, QStringLiteral("Vorschau Sammeldruck"));
    m_loeschbtn = button(this, "loeschbtn", QStringLiteral("&Bericht löschen"), 582,
                         QStringLiteral("Ausgewählten Bericht löschen"));
    m_loeschbtn->setEnabled(false);
    m_gesehenbtn = button(this, "gesehenbtn", QStringLiteral("Als &gesehen markieren..."), 676,
                          QStringLiteral("Berichte als vom Ausbildenden gesehen markieren"));
    m_gesehenbtn->move(m_loeschbtn->geometry().right() + 14, m_gesehenbtn->y());
    connect(m_gesehenbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { gesehenbtnClick(); }); });

    connect(m_uebersichtanzeigewahl, &controls::RadioGroup::itemIndexChanged, this,
            [this] { platform::guarded([this] { uebersichtanzeigewahlClick(); }); });
    connect(m_beranzeigebtn, &QPushButton::clicked, this, &ReportOverviewTab::openRequested);
    connect(m_grid, &controls::DBGrid::rowDoubleClicked, this, &ReportOverviewTab::openRequested);
    connect(m_grid, &controls::DBGrid::rowActivated, this, &ReportOverviewTab::openRequested);
    // Delete on a line does what the delete button does, and only while it
    // can be pressed.
    connect(m_grid, &controls::DBGrid::deleteRequested, this, [this] {
        if (m_loeschbtn->isEnabled())
            platform::guarded([this] { loeschbtnClick(); });
        else
            platform::messages().beep();
    });
    connect(m_druckbtn, &QPushButton::clicked, this,
            [this] { platform::guarded([this] { beruebersichtdruckbtnClick(); }); });
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] { platform::guarded([this] { BitBtn1Click(); }); });
    connect(m_loeschbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { loeschbtnClick(); }); });
    // The delete button follows the rows the list shows.
    connect(m_source, &controls::DataSource::dataChanged, this, &ReportOverviewTab::updateDeleteButton);
    // The marks of the trainer's review follow the rows (the editor sets
    // them), read again when the grid shows them.
    connect(m_source, &controls::DataSource::dataChanged, this, [this] { m_reviewsStale = true; });
}

int ReportOverviewTab::displayChoice() const
{
    return m_uebersichtanzeigewahl->itemIndex();
}

void ReportOverviewTab::setDisplayChoice(int index)
{
    const int before = m_uebersichtanzeigewahl->itemIndex();
    m_uebersichtanzeigewahl->setItemIndex(index); // a change applies itself
    if (m_uebersichtanzeigewahl->itemIndex() == before)
        uebersichtanzeigewahlClick();
}

void ReportOverviewTab::uebersichtanzeigewahlClick()
{
    store::Table &reports = m_tables.berichttable();
    if (reports.isOpen()) {
        switch (m_uebersichtanzeigewahl->itemIndex()) {
        case allYears:
            reports.cancelRange();
            break;
        case currentYear:
            reports.setRange({m_session.year}, {m_session.year});
            break;
        default:
            break;
        }
    }
    updateDeleteButton();
}

void ReportOverviewTab::showYear()
{
    uebersichtanzeigewahlClick();
}

void ReportOverviewTab::anchorIn(controls::Anchors &anchors)
{
    anchors.anchor(m_grid, Qt::TopEdge | Qt::BottomEdge);
    for (QPushButton *b : findChildren<QPushButton *>(Qt::FindDirectChildrenOnly))
        anchors.anchor(b, Qt::BottomEdge);
}

void ReportOverviewTab::updateDeleteButton()
{
    // Deleting renumbers the reports shown, so it is only offered while the
    // current training year alone is shown; an empty list has nothing to
    // delete.
    const store::Table &reports = m_tables.berichttable();
    m_loeschbtn->setEnabled(m_uebersichtanzeigewahl->itemIndex() == currentYear && reports.isOpen()
                            && !reports.isEmpty());
}

void ReportOverviewTab::beruebersichtdruckbtnClick()
{
    if (!m_printForm)
        return;
    // The list prints the rows the cursor sees. The preview leaves the main
    // window usable: a new training year or display choice may come while
    // it shows, so afterwards the list shows what the choice says then,
    // never the rows it showed before.
    const store::ScopedRow keep(m_tables.berichttable());
    engine::preview(m_printForm->report(), engine::PrintKind::ReportList);
    uebersichtanzeigewahlClick();
}

void ReportOverviewTab::BitBtn1Click()
{
    if (!m_openBulkPrint)
        return;
    // The choice lists every sheet the list shows, without a filter;
    // afterwards the list shows what the display choice says.
    store::Table &reports = m_tables.berichttable();
    const store::ScopedRow keep(reports);
    reports.setFiltered(false);
    m_openBulkPrint();
    uebersichtanzeigewahlClick();
}

void ReportOverviewTab::gesehenbtnClick()
{
    Tgesehendlg dialog(m_tables, m_session, this);
    dialog.load();
    platform::modalRunner().run(dialog);
    m_reviewsStale = true;
    m_grid->viewport()->update();
}

void ReportOverviewTab::readReviews()
{
    m_reviewsStale = false;
    m_reviews = domain::reviews(m_tables);
}

bool ReportOverviewTab::showsCurrentYearAlone() const
{
    const store::Table &reports = m_tables.berichttable();
    if (m_uebersichtanzeigewahl->itemIndex() != currentYear || !reports.isOpen() || reports.isEmpty())
        return false;
    const store::Table::View view = reports.view();
    const QVariantList year{m_session.year};
    return view.index.isEmpty() && view.ranged && view.rangeFrom == year && view.rangeTo == year
           && !(view.filtered && !view.filter.trimmed().isEmpty()) && reports.asInt(field::AJahr) == m_session.year;
}

void ReportOverviewTab::loeschbtnClick()
{
    store::Table &reports = m_tables.berichttable();
    if (!reports.isOpen() || reports.isEmpty())
        return;
    // Deleting renumbers the reports of the sheet's year, which must be
    // exactly what the list shows: a list that shows anything else is
    // refused and shown as the display choice says.
    if (!showsCurrentYearAlone()) {
        platform::messages().beep();
        reports.setFiltered(false);
        uebersichtanzeigewahlClick();
        return;
    }
    const QString number = reports.asString(field::Nummer);
    const QString sheet = reports.asString(field::Blatt);
    const QString question = QStringLiteral("Wollen Sie Bericht Nr. ") + number + QStringLiteral(", Blatt ") + sheet
                             + QStringLiteral(" wirklich löschen?") + QLatin1Char('\r')
                             + QStringLiteral("Falls dies nicht der letzte Bericht im Ausbildungsjahr ist,")
                             + QStringLiteral("\n\r")
                             + QStringLiteral(" werden die nachfolgenden Berichte automatisch neu nummeriert!");
    if (platform::messages().confirmYesNo(question) != platform::Answer::Yes)
        return;
    m_log.clear();
    // The list stands on the row that takes the sheet's place afterwards:
    // its view is its own, so it only needs reloading.
    const domain::SheetDeletion deletion = domain::deleteSheet(m_tables, reports.value(field::BerLfd).toLongLong());
    m_log = deletion.log;
    if (deletion.outcome == domain::SheetDeletion::Outcome::Inconsistent) {
        platform::messages().confirmation(QStringLiteral("Datenbankinkonsistenz: ") + deletion.number
                                          + QStringLiteral(", Blatt ") + deletion.sheet + QStringLiteral(" Tag Nr. ")
                                          + QString::number(deletion.missingTag) + QStringLiteral("nicht gefunden.")
                                          + QLatin1Char('\r') + QStringLiteral("Vorgang abgebrochen"));
        return;
    }
    if (deletion.outcome == domain::SheetDeletion::Outcome::Deleted)
        emit reportDeleted();
}

} // namespace overviews
