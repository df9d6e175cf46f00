#include "reportlistprint.h"

#include "domain/coveredparts.h"
#include "formparts.h"
#include "print/engine/report.h"
#include "store/fields.h"
#include "store/table.h"
#include "store/tableset.h"

namespace {

using engine::Band;
using forms::arial;

// Measures in 0.1 mm.
constexpr double margin = 100;
constexpr double titleHeight = 106;
constexpr double headerHeight = 50;
constexpr double detailHeight = 42;
constexpr double footerHeight = 58;
// Tops and heights of the texts within their bands.
constexpr double headerTextTop = 6, headerTextHeight = 38;
constexpr double detailTextTop = 4, detailTextHeight = 34;
constexpr double footerTextTop = 12, footerTextHeight = 36;

struct Column
{
    double left, width;
};

// The five columns of the sheet, with their headers.
struct HeaderColumn
{
    const char *caption;
    double left, width;
    const QString *field;
    double fieldLeft;
};

const HeaderColumn sheetColumns[] = {
    {"A-Jahr", 3, 135, &store::field::AJahr, 0},           {"Nummer", 151, 188, &store::field::Nummer, 148},
    {"Blatt", 362, 79, &store::field::Blatt, 360},         {"Woche vom", 468, 180, &store::field::WocheVom, 466},
    {"Woche bis", 743, 185, &store::field::WocheBis, 741},
};

// The ten parts of the training profile the sheet covers, centred, in the
// order of their fields.
const Column partColumns[domain::coveredPartFields] = {
    {1286, 93}, {1344, 93}, {1402, 93}, {1458, 93}, {1516, 93},
    {1580, 82}, {1638, 82}, {1693, 82}, {1752, 82}, {1802, 98},
};

} // namespace

Tqrbuebersichtform::Tqrbuebersichtform(store::TableSet &tables, QObject *parent)
    : QObject(parent), m_reports(tables.berichttable()), m_rows(m_reports),
      m_report(std::make_unique<engine::Report>(QStringLiteral("QuickRep1")))
{
    setObjectName(QStringLiteral("qrbuebersichtform"));
    build();
}

Tqrbuebersichtform::~Tqrbuebersichtform() = default;

void Tqrbuebersichtform::build()
{
    using namespace engine;
    Report &r = *m_report;
    r.title = QStringLiteral("Übersicht");
    r.pageSize = a4;
    r.margins = QMarginsF(margin, margin, margin, margin);
    r.font = arial(8);
    r.detailSource = &m_rows;
    // The run moves the report cursor over every row; afterwards it stands
    // where it stood before.
    r.beforePrint = [this](Report &, bool &) { m_rowBeforeRun = m_reports.isOpen() ? m_reports.bookmark() : 0; };
    r.afterPrint = [this](Report &) {
        if (m_rowBeforeRun && m_reports.isOpen())
            m_reports.gotoBookmark(m_rowBeforeRun);
    };

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), titleHeight);
    auto &caption = title.add<Label>(QStringLiteral("QRLabel1"), QStringLiteral("Übersicht"));
    caption.geometry = QRectF(849, 21, 300, 60);
    caption.font = arial(12, true);
    caption.autoSize = true;

    Band &header = r.addBand(Band::Kind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), headerHeight);
    int n = 2;
    for (const HeaderColumn &c : sheetColumns) {
        auto &l = header.add<Label>(QStringLiteral("QRLabel%1").arg(n++), QString::fromUtf8(c.caption));
        l.geometry = QRectF(c.left, headerTextTop, c.width, headerTextHeight);
        l.font = arial(8);
        l.frame.bottom = true;
    }
    auto &printed = header.add<Label>(QStringLiteral("QRLabel%1").arg(n++), QStringLiteral("Gedruckt"));
    printed.geometry = QRectF(1019, headerTextTop, 180, headerTextHeight);
    printed.font = arial(8);
    printed.frame.bottom = true;
    printed.enabled = false;
    auto &parts =
        header.add<Label>(QStringLiteral("QRLabel%1").arg(n++), QStringLiteral("Teil des Ausbildungsberufsbildes Nr."));
    parts.geometry = QRectF(1291, headerTextTop, 609, headerTextHeight);
    parts.font = arial(8);

    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), detailHeight);
    n = 1;
    for (const HeaderColumn &c : sheetColumns) {
        auto &t = detail.add<DataText>(QStringLiteral("QRDBText%1").arg(n++), &m_rows, *c.field);
        t.geometry = QRectF(c.fieldLeft, detailTextTop, c.width, detailTextHeight);
        t.font = arial(8);
    }
    auto &printedField = detail.add<DataText>(QStringLiteral("QRDBText%1").arg(n++), &m_rows, store::field::Gedruckt);
    printedField.geometry = QRectF(1016, detailTextTop, 180, detailTextHeight);
    printedField.font = arial(8);
    printedField.enabled = false;
    for (int i = 0; i < domain::coveredPartFields; ++i) {
        const Column &c = partColumns[i];
        auto &t = detail.add<DataText>(QStringLiteral("QRDBText%1").arg(n++), &m_rows, domain::coveredPartField(i));
        t.geometry = QRectF(c.left, detailTextTop, c.width, detailTextHeight);
        t.font = arial(8);
        t.alignment = Qt::AlignHCenter;
    }

    Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), footerHeight);
    auto &page =
        footer.add<SystemData>(QStringLiteral("QRSysData1"), SystemData::Kind::PageNumber, QStringLiteral("Seite "));
    page.geometry = QRectF(0, footerTextTop, r.bandWidth(), footerTextHeight);
    page.font = arial(8);
    page.alignment = Qt::AlignRight;
}
