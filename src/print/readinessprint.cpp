#include "readinessprint.h"

#include "formparts.h"
#include "print/engine/pagedevice.h"
#include "print/engine/report.h"

namespace {

using engine::Band;
using engine::Label;
using forms::arial;
using forms::mm;

// Measures in mm.
constexpr double margin = 15;
constexpr double titleHeight = 24, headerHeight = 6, lineHeight = 5.5, footerHeight = 8;

struct Column
{
    const char *caption;
    double left, width;
};
// Kind, place and text, in a band of 180 mm; the place and the text wrap.
const Column columns[] = {{"Art", 1.0, 41.0}, {"Wo", 43.0, 53.0}, {"Mangel", 97.0, 82.0}};

Label &textLabel(Band &band, const QString &name, const QString &caption, const QRectF &box, const QFont &font)
{
    auto &l = band.add<Label>(name, caption);
    l.geometry = box;
    l.font = font;
    return l;
}

// The summary above the list: however many lines it takes, the column
// header keeps its distance below it.
class SummaryText : public Label
{
public:
    using Label::Label;
    double neededHeight() const override { return Label::neededHeight() + 40; }
};

} // namespace

Tqrpruefform::Tqrpruefform(QObject *parent)
    : QObject(parent), m_report(std::make_unique<engine::Report>(QStringLiteral("QuickRep1")))
{
    setObjectName(QStringLiteral("qrpruefform"));
    build();
}

Tqrpruefform::~Tqrpruefform() = default;

void Tqrpruefform::build()
{
    using namespace engine;
    Report &r = *m_report;
    r.title = QStringLiteral("Prüfung des Ausbildungsnachweises");
    r.pageSize = a4;
    r.margins = QMarginsF(margin * 10, margin * 10, margin * 10, margin * 10);
    r.font = arial(10);
    r.beforePrint = [this](Report &, bool &) { m_line = 0; };
    r.needData = [this] { return nextLine(); };

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), titleHeight * 10);
    textLabel(title, QStringLiteral("titellabel"), r.title, mm(1.0, 0, 178.0, 7.0), arial(14, true));
    textLabel(title, QStringLiteral("QRLabel1"), QStringLiteral("Auszubildende(r):"), mm(1.0, 8.5, 32.0, 5.0),
              arial(10));
    textLabel(title, QStringLiteral("stiftlabel"), QString(), mm(34.0, 8.5, 80.0, 5.0), arial(10, true));
    textLabel(title, QStringLiteral("QRLabel2"), QStringLiteral("Geprüft am:"), mm(120.0, 8.5, 22.0, 5.0), arial(10));
    textLabel(title, QStringLiteral("datumlabel"), QString(), mm(143.0, 8.5, 36.0, 5.0), arial(10, true));
    auto &summary = title.add<SummaryText>(QStringLiteral("ergebnislabel"), QString());
    summary.geometry = mm(1.0, 15.5, 178.0, 4.5);
    summary.font = arial(10);
    summary.wordWrap = summary.autoStretch = true;

    Band &header = r.addBand(Band::Kind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), headerHeight * 10);
    header.frame.top = header.frame.bottom = true;
    int n = 0;
    for (const Column &c : columns)
        textLabel(header, QStringLiteral("kopf%1").arg(n++), QString::fromUtf8(c.caption),
                  mm(c.left, 1.0, c.width, 4.5), arial(10, true));

    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), lineHeight * 10);
    detail.frame.bottom = true;
    detail.frame.colour = QColor(160, 160, 160);
    n = 0;
    for (const Column &c : columns) {
        auto &cell = textLabel(detail, QStringLiteral("zelle%1").arg(n++), QString(), mm(c.left, 1.0, c.width, 4.5),
                               arial(9));
        cell.wordWrap = cell.autoStretch = true;
    }

    Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), footerHeight * 10);
    footer.frame.top = true;
    auto &name = textLabel(footer, QStringLiteral("stiftlabel2"), QString(), mm(1.0, 2.0, 120.0, 4.5), arial(8));
    name.autoSize = false;
    auto &page =
        footer.add<SystemData>(QStringLiteral("QRSysData1"), SystemData::Kind::PageNumber, QStringLiteral("Seite "));
    page.geometry = mm(130.0, 2.0, 49.0, 4.5);
    page.font = arial(8);
    page.alignment = Qt::AlignRight;
}

void Tqrpruefform::setContents(const QVector<domain::Defect> *defects, const QString &apprentice,
                               const QDate &checked, const QString &summary)
{
    m_defects = defects;
    const auto set = [this](const char *name, const QString &text) {
        static_cast<Label *>(m_report->findItem(QLatin1String(name)))->caption = text;
    };
    set("stiftlabel", apprentice);
    set("stiftlabel2", apprentice.isEmpty() ? QString() : QStringLiteral("Auszubildende(r): ") + apprentice);
    set("datumlabel", checked.toString(QStringLiteral("dd.MM.yyyy")));
    set("ergebnislabel", summary);
}

bool Tqrpruefform::nextLine()
{
    if (!m_defects || m_line >= m_defects->size())
        return false;
    const domain::Defect &d = m_defects->at(m_line++);
    const QString cells[] = {domain::kindText(d.kind), d.place, d.text};
    for (int c = 0; c < 3; ++c)
        static_cast<Label *>(m_report->findItem(QStringLiteral("zelle%1").arg(c)))->caption = cells[c];
    return true;
}
