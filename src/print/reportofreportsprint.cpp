#include "reportofreportsprint.h"

#include "controls/checkmark.h"
#include "formparts.h"
#include "print/engine/pagedevice.h"
#include "print/engine/report.h"
#include "store/session.h"

#include <QFontMetricsF>

namespace {

using engine::Band;
using forms::arial;
using forms::mm;

constexpr int columnCount = 7;
constexpr int textColumn = 1;
constexpr int okColumn = 5;

// Measures in mm.
constexpr double topMargin = 10, sideMargin = 12.7;
constexpr double titleHeight = 12.2, lineHeight = 5.0, footerHeight = 6.1;
// The texts of a line stand on one base line, whatever their size.
constexpr double baseLine = 3.8;
double topFor(double points)
{
    // Arial's ascent is 0.905 of its size.
    return baseLine - 0.905 * points * 25.4 / 72.0;
}

struct Cell
{
    double left;
    double points;
    double width = 0; // 0: as wide as the text
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The column titles stand clear of the rules between the columns: "Lfd. Nr."
// in 8 pt ends before the rule at 9.8 mm, "Erwähnt" starts a millimetre
// after its rule (the header has no rule through it, as the lines have
// none), "Ist" and "Soll" end half a millimetre before theirs.
const Cell headerCells[columnCount] = {{0.5, 8},    {14.0, 8, 116.7}, {129.3, 8}, {146.5, 10},
                                       {153.8, 10}, {164.0, 10},      {172.8, 10}};
const double headerRules[] = {9.8, 128.3, 141.6, 150.8, 160.3, 169.6};

// The text of a line wraps before the rule at 128.3, not under it.
const Cell detailCells[columnCount] = {
    {2.6, 10}, {14.0, 8, 113.8}, {128.8, 10, 8.8, Qt::AlignRight}, {147.4, 10}, {155.6, 10}, {165.4, 11}, {173.6, 10}};
const double detailRules[] = {9.8, 128.3, 141.6, 150.8, 160.3, 169.6};

// The "OK" text of a line: in the part of the chosen period the check mark
// (drawn, as on screen), in parts 1 to 4 the text in Arial.
class OkCell : public engine::Label
{
public:
    using engine::Label::Label;
    bool checkMark = false;
    void print(engine::PrintContext &c) override
    {
        if (!checkMark || caption.isEmpty()) {
            Label::print(c);
            return;
        }
        const double em = font.pointSizeF() * engine::unitsPerInch / 72.0;
        controls::drawCheckMark(c.painter, controls::checkMarkBox(geometry.topLeft() + c.origin, em),
                                QColor(0x00, 0x80, 0x00));
    }
};

// The text of a line (a plan item, a part's title) wraps at its words
// within its column; a line of several lines keeps below its last one the
// room that a line of one has.
class LineText : public engine::Label
{
public:
    using engine::Label::Label;
    double neededHeight() const override
    {
        const double oneLine = QFontMetricsF(font, engine::layoutDevice()).height();
        return Label::neededHeight() + (lineHeight * 10 - geometry.top() - oneLine);
    }
};

// A rule between two columns, down the whole line however tall it grew.
class ColumnRule : public engine::Shape
{
public:
    ColumnRule(const QString &name) : Shape(name, Kind::VerticalLine) {}
    void print(engine::PrintContext &c) override
    {
        const QRectF designed = geometry;
        geometry.setHeight(c.band.height + c.band.growth());
        Shape::print(c);
        geometry = designed;
    }
};

engine::Label &cellLabel(Band &band, const QString &name, const Cell &cell)
{
    engine::Label *l = nullptr;
    const bool detail = band.kind() == Band::Kind::Detail;
    if (detail && name.endsWith(QString::number(okColumn))) {
        l = &band.add<OkCell>(name, QString());
    } else if (detail && name.endsWith(QString::number(textColumn))) {
        l = &band.add<LineText>(name, QString());
        l->wordWrap = l->autoStretch = true;
    } else {
        l = &band.add<engine::Label>(name, QString());
    }
    l->font = arial(cell.points);
    l->alignment = cell.alignment;
    l->autoSize = cell.width <= 0;
    l->geometry = mm(cell.left, topFor(cell.points), cell.width, 0.905 * cell.points * 25.4 / 72.0 * 1.2);
    return *l;
}

} // namespace

Treportreportform::Treportreportform(store::Session &session, QObject *parent)
    : QObject(parent), m_session(session), m_report(std::make_unique<engine::Report>(QStringLiteral("QuickRep1")))
{
    setObjectName(QStringLiteral("reportreportform"));
    build();
}

Treportreportform::~Treportreportform() = default;

void Treportreportform::setSelectionText(const QString &text)
{
    static_cast<engine::Label *>(m_report->findItem(QStringLiteral("ljlabel")))->caption = text;
}

void Treportreportform::build()
{
    using namespace engine;
    Report &r = *m_report;
    r.title = QStringLiteral("Übersicht");
    r.pageSize = a4;
    r.margins = QMarginsF(sideMargin * 10, topMargin * 10, sideMargin * 10, topMargin * 10);
    r.font = arial(10);
    r.beforePrint = [this](Report &, bool &) { QuickRepBeforePrint(); };
    r.needData = [this] { return QuickRepNeedData(); };

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), titleHeight * 10);
    forms::label(title, QStringLiteral("QRLabel1"), QStringLiteral("Übersicht über geschriebene Berichte "), 2.1, 0.3,
                 arial(12, true));
    auto &period = title.add<Label>(QStringLiteral("ljlabel"), QString());
    period.geometry = mm(104.7, 0.5, 80.0, 5.0);
    period.font = arial(12, true);
    period.alignment = Qt::AlignRight;
    period.autoSize = true;
    forms::label(title, QStringLiteral("QRLabel2"), QStringLiteral("Auszubildender:"), 2.1, 5.3);
    // The names a millimetre right of their captions, which reach to
    // where the design starts the names.
    forms::label(title, QStringLiteral("stiftlabel"), QString(), 28.5, 5.3);
    forms::label(title, QStringLiteral("QRLabel3"), QStringLiteral("Ausbildender:"), 84.7, 5.3);
    forms::label(title, QStringLiteral("bkmlabel"), QString(), 106.6, 5.3);

    Band &header = r.addBand(Band::Kind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), lineHeight * 10);
    header.frame = Frame::all();
    for (int c = 0; c < columnCount; ++c)
        cellLabel(header, QStringLiteral("kopf%1").arg(c), headerCells[c]);
    int n = 1;
    for (double x : headerRules)
        forms::verticalLine(header, QStringLiteral("QRShape%1").arg(n++), mm(x - 0.5, 0, 1.0, lineHeight));

    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), lineHeight * 10);
    detail.frame.left = detail.frame.right = detail.frame.bottom = true;
    for (int c = 0; c < columnCount; ++c)
        cellLabel(detail, QStringLiteral("zelle%1").arg(c), detailCells[c]);
    for (double x : detailRules)
        detail.add<ColumnRule>(QStringLiteral("QRShape%1").arg(n++)).geometry = mm(x - 0.5, 0, 1.0, lineHeight);

    Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), footerHeight * 10);
    auto &page =
        footer.add<SystemData>(QStringLiteral("QRSysData1"), SystemData::Kind::PageNumber, QStringLiteral("Seite "));
    page.geometry = mm(2.1, 1.1);
    page.autoSize = true;
    auto &printed = footer.add<SystemData>(QStringLiteral("QRSysData2"), SystemData::Kind::DateTime);
    printed.geometry = mm(14.8, 1.1);
    printed.autoSize = true;
    forms::label(footer, QStringLiteral("QRLabel4"), QStringLiteral("Auszubildender:"), 84.7, 1.1);
    forms::label(footer, QStringLiteral("stiftlabel2"), QString(), 111.1, 1.1);
}

void Treportreportform::QuickRepBeforePrint()
{
    m_line = 1;
    const QString apprentice = m_session.apprenticeName;
    for (const char *name : {"stiftlabel", "stiftlabel2"})
        static_cast<engine::Label *>(m_report->findItem(QLatin1String(name)))->caption = apprentice;
    static_cast<engine::Label *>(m_report->findItem(QStringLiteral("bkmlabel")))->caption = m_session.trainerName;
    const QStringList titles = m_grid ? m_grid->value(0) : QStringList();
    for (int c = 0; c < columnCount; ++c)
        static_cast<engine::Label *>(m_report->findItem(QStringLiteral("kopf%1").arg(c)))->caption = titles.value(c);
}

bool Treportreportform::QuickRepNeedData()
{
    if (!m_grid || m_line >= m_grid->size())
        return false;
    const QStringList &cells = m_grid->at(m_line++);
    for (int c = 0; c < columnCount; ++c)
        static_cast<engine::Label *>(m_report->findItem(QStringLiteral("zelle%1").arg(c)))->caption = cells.value(c);
    // The "OK" text is the check mark in the parts of the chosen period.
    bool isNumber = false;
    const int part = cells.value(0).toInt(&isNumber);
    static_cast<OkCell *>(m_report->findItem(QStringLiteral("zelle%1").arg(okColumn)))->checkMark =
        !(isNumber && part < 5);
    return true;
}
