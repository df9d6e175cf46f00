#include "trainingtimeprint.h"

#include "formparts.h"
#include "print/engine/report.h"
#include "print/tablesource.h"
#include "store/fields.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/table.h"
#include "store/tableset.h"

#include <functional>

namespace field = store::field;
namespace keys = store::settingskeys;

namespace {

using engine::Band;
using forms::arial;
using forms::mm;

constexpr double margin = 127;
constexpr double titleHeight = 553;
constexpr double headerHeight = 185;
constexpr double yearLineHeight = 63;
constexpr double rowLineHeight = 56;
constexpr double footerHeight = 63;
// Tops of the texts within the year line and the row line.
constexpr double yearTextTop = 10;
constexpr double rowTextTop = 10;

const QColor yearLineGrey(0xEB, 0xEB, 0xEB);

// The dates of the title, by year: start and end key.
const QLatin1String dateKeys[3][2] = {{keys::vom1, keys::bis1}, {keys::vom2, keys::bis2}, {keys::vom3, keys::bis3}};

struct RowColumn
{
    const QString *field;
    double left; // mm
};
const RowColumn rowColumns[] = {{&field::Bs, 40.2}, {&field::Uelu, 77.8}, {&field::Urlaub, 115.4}, {&field::Krank, 152.9}};
constexpr double rowTextWidth = 36.8; // mm, up to the next column

} // namespace

// The table's rows; the row band is laid out for each row before the
// engine decides whether it still fits on the page.
class Tqruebersichtform::Rows : public forms::TableSource
{
public:
    Rows(store::Table &table, std::function<void()> arrived) : TableSource(table), m_arrived(std::move(arrived)) {}
    void first() override
    {
        TableSource::first();
        m_arrived();
    }
    void next() override
    {
        TableSource::next();
        m_arrived();
    }

private:
    std::function<void()> m_arrived;
};

Tqruebersichtform::Tqruebersichtform(store::TableSet &tables, QObject *parent)
    : QObject(parent), m_places(tables.places()), m_table(tables.uebersichttable()),
      m_rows(std::make_unique<Rows>(m_table, [this] { placeRow(); })),
      m_report(std::make_unique<engine::Report>(QStringLiteral("QuickRep1")))
{
    setObjectName(QStringLiteral("qruebersichtform"));
    build();
}

Tqruebersichtform::~Tqruebersichtform() = default;

void Tqruebersichtform::build()
{
    using namespace engine;
    Report &r = *m_report;
    r.title = QStringLiteral("Übersicht über die Ausbildungszeit");
    r.pageSize = a4;
    r.margins = QMarginsF(margin, margin, margin, margin);
    r.font = arial(10);
    r.detailSource = m_rows.get();
    r.beforePrint = [this](Report &, bool &) { QuickRepBeforePrint(); };
    r.afterPrint = [this](Report &) {
        if (m_rowBeforeRun && m_table.isOpen())
            m_table.gotoBookmark(m_rowBeforeRun);
    };

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), titleHeight);
    forms::label(title, QStringLiteral("QRLabel1"), QStringLiteral("Übersicht über die Ausbildungszeit"), 12.7, 14.8,
                 arial(20));
    const double tops[3] = {27.5, 33.9, 40.2};
    for (int year = 0; year < 3; ++year) {
        const QString n = QString::number(year + 1);
        forms::label(title, QStringLiteral("lj") + n, n + QStringLiteral(". Lj."), 12.7, tops[year]);
        forms::label(title, QStringLiteral("vomlabel") + n, QStringLiteral("vom:"), 23.3, tops[year]);
        forms::label(title, QStringLiteral("bislabel") + n, QStringLiteral("bis:"), 78.3, tops[year]);
        // The dates are free text: a longer one grows to the right rather
        // than being cut at its designed 17.2 mm.
        for (int end = 0; end < 2; ++end) {
            auto &date = title.add<Label>(QString(dateKeys[year][end]), QString());
            date.geometry = mm(end ? 86.8 : 33.9, tops[year], 17.2, 4.6);
            date.font = arial(10);
            date.autoSize = true;
        }
    }

    Band &header = r.addBand(Band::Kind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), headerHeight);
    const struct
    {
        const char *caption;
        double left, top;
    } headers[] = {{"Berufsschule (Blockunterricht)", 44.5, 4.2},
                   {"ÜLU- Maßnahmen", 78.8, 4.2},
                   {"Urlaub", 115.9, 6.3},
                   {"Krank", 152.7, 6.3}};
    int n = 2;
    for (const auto &h : headers) {
        auto &l = header.add<Label>(QStringLiteral("QRLabel%1").arg(n++), QString::fromUtf8(h.caption));
        l.geometry = mm(h.left, h.top, 27.8, 4.6);
        l.font = arial(10);
        l.alignment = Qt::AlignHCenter;
        l.wordWrap = l.autoStretch = true;
    }
    // Each new page starts without a year line printed.
    header.beforePrint = [this](Band &, bool &) { m_year = 0; };

    // One band per row: the grey year line (only where the row's year
    // differs from the one printed last), then the row line.
    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), rowLineHeight);
    m_detail = &detail;
    auto &grey = detail.add<Shape>(QStringLiteral("QRShape1"), Shape::Kind::Rectangle);
    grey.geometry = QRectF(0, 0, r.bandWidth(), yearLineHeight);
    grey.penStyle = Qt::NoPen;
    grey.brush = yearLineGrey;
    forms::dataText(detail, QStringLiteral("QRDBText1"), m_rows.get(), field::Lj,
                                 mm(0, yearTextTop / 10, 5.0, 4.2), arial(9), Qt::AlignRight);
    forms::label(detail, QStringLiteral("QRLabel6"), QStringLiteral(". Ausbildungsabschnitt"), 4.8, yearTextTop / 10,
                 arial(9));
    n = 2;
    for (const RowColumn &c : rowColumns) {
        auto &t = forms::dataText(detail, QStringLiteral("QRDBText%1").arg(n++), m_rows.get(), *c.field,
                                  mm(c.left, 0, rowTextWidth, 3.6), arial(8));
        t.wordWrap = t.autoStretch = true;
    }
    detail.beforePrint = [this](Band &, bool &) {
        // After a page break the year line is due again.
        placeRow();
        m_year = m_table.asInt(field::Lj);
    };

    r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), footerHeight);
}

void Tqruebersichtform::QuickRepBeforePrint()
{
    m_rowBeforeRun = m_table.isOpen() && !m_table.isEmpty() ? m_table.bookmark() : 0;
    m_year = 0;
    const store::Settings ini(m_places.settingsFile());
    for (int year = 0; year < 3; ++year)
        for (int end = 0; end < 2; ++end) {
            const QString key = dateKeys[year][end];
            static_cast<engine::Label *>(m_report->findItem(key))->caption =
                m_shownDates.size() == 6 ? m_shownDates[year * 2 + end] : ini.readString(keys::Stift, key);
        }
}

void Tqruebersichtform::placeRow()
{
    if (!m_table.isOpen() || m_table.eof() || m_table.isEmpty())
        return;
    const bool yearLine = m_table.asInt(field::Lj) != m_year;
    const double rowTop = yearLine ? yearLineHeight : 0;
    m_detail->height = rowTop + rowLineHeight;
    for (const auto &item : m_detail->items()) {
        if (item->name() == QLatin1String("QRShape1") || item->name() == QLatin1String("QRDBText1")
            || item->name() == QLatin1String("QRLabel6"))
            item->enabled = yearLine;
        else
            item->geometry.moveTop(rowTop + rowTextTop);
    }
}
