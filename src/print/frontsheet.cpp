#include "frontsheet.h"

#include "domain/coveredparts.h"
#include "domain/marks.h"
#include "formparts.h"
#include "print/engine/richtextitem.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QScopeGuard>

#include <cmath>

using forms::arial;
using forms::mm;
using namespace engine;

namespace {

// The text of an item row, ruled along the row's bottom edge. A one-line
// text leaves the designed room above the rule. A text that wraps makes the
// row as tall as its lines, and the rule would run through the descenders of
// the last one: such a row keeps the rule's width and the font's leading (the
// gap between two of its lines) free below the text, in whole 0.1 mm.
class ItemText : public Label
{
public:
    using Label::Label;
    double neededHeight() const override
    {
        const double text = Label::neededHeight();
        if (text <= geometry.height())
            return text;
        const Frame &rule = band()->frame;
        const double below = (rule.bottom ? rule.units() : 0) + QFontMetricsF(font, layoutDevice()).leading();
        return std::ceil(text + below);
    }
};

} // namespace

Tberichtform::Tberichtform(store::TableSet &tables, store::Session &session, QObject *parent)
    : QObject(parent), m_tables(tables), m_session(session), m_reportRow(tables.berichttable()),
      m_report(QStringLiteral("QuickRep1"))
{
    setObjectName(QStringLiteral("berichtform"));
    build();
}

Tberichtform::~Tberichtform() = default;

void Tberichtform::build()
{
    Report &r = m_report;
    r.title = QStringLiteral("Ausbildungsnachweis");
    r.margins = QMarginsF(230, 100, 100, 100);
    r.pageFrame = Frame::all();
    r.font = arial(10);
    RecordSource *report = &m_reportRow;

    // The title chain: names, number and week, the covered parts, the
    // column header of the item list.
    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 204);
    title.frame.top = title.frame.bottom = true;
    title.beforePrint = [this](Band &, bool &) { TitleBand1BeforePrint(); };
    forms::label(title, QStringLiteral("QRLabel10"), QStringLiteral("Name:"), 1.1, 0.8);
    forms::label(title, QStringLiteral("bkmlabel"), QString(), 11.6, 0.8);
    forms::label(title, QStringLiteral("QRLabel23"), QStringLiteral("(Ausbildender)"), 1.1, 5.6, arial(8));
    forms::label(title, QStringLiteral("QRLabel9"), QStringLiteral("Name:"), 81.2, 0.8);
    auto &stift = forms::label(title, QStringLiteral("stiftlabel"), QString(), 0, 0.8);
    stift.geometry = mm(159.1 - 40, 0.8, 40, 0);
    stift.alignment = Qt::AlignRight;
    forms::label(title, QStringLiteral("QRLabel22"), QStringLiteral("(Auszubildender)"), 81.2, 5.6, arial(8));
    forms::horizontalLine(title, QStringLiteral("QRShape4"), mm(0, 2.1, 159.5, 17.2));
    forms::verticalLine(title, QStringLiteral("QRShape1"), mm(71.4, 0, 17.2, 10.6));
    forms::label(title, QStringLiteral("QRLabel4"), QStringLiteral("Ausbildungsnachweis Nr. "), 1.1, 12.2, arial(12));
    forms::dataText(title, QStringLiteral("QRDBText1"), report, store::field::Nummer, mm(49.2, 12.2, 5.6, 5.0),
                    arial(12));
    forms::label(title, QStringLiteral("QRLabel5"), QStringLiteral("Seite "), 56.1, 12.7, arial(10, true));
    forms::dataText(title, QStringLiteral("QRDBText2"), report, store::field::Blatt, mm(66.1, 12.7, 4.8, 4.5),
                    arial(10, true));
    forms::label(title, QStringLiteral("QRLabel6"), QStringLiteral("für die Woche vom "), 70.9, 13.0);
    forms::dataText(title, QStringLiteral("QRDBText3"), report, store::field::WocheVom, mm(101.6, 13.0));
    forms::label(title, QStringLiteral("QRLabel7"), QStringLiteral("bis "), 120.1, 13.0);
    forms::dataText(title, QStringLiteral("QRDBText4"), report, store::field::WocheBis, mm(125.7, 13.0));
    forms::label(title, QStringLiteral("QRLabel8"), QStringLiteral("A-Jahr: "), 144.2, 13.0);
    forms::dataText(title, QStringLiteral("QRDBText5"), report, store::field::AJahr, mm(155.3, 13.0, 4.0, 4.5),
                    arial(10, true), Qt::AlignRight);

    Band &parts = title.addChild(QStringLiteral("ChildBand1"), 222);
    parts.frame.bottom = true;
    forms::label(parts, QStringLiteral("QRLabel11"), QStringLiteral("Teil des Ausbildungsberufsbildes"), 1.1, 2.1,
                 arial(12));
    forms::label(parts, QStringLiteral("QRLabel12"), QStringLiteral("Nr.:"), 1.1, 10.6, arial(12));
    const double partX[] = {8.5, 24.3, 40.0, 55.8, 71.4, 87.3, 102.9, 118.8, 134.4, 150.3};
    for (int i = 0; i < 10; ++i) {
        auto &box = forms::dataText(parts, QStringLiteral("QRDBText%1").arg(6 + i), report, domain::coveredPartField(i),
                                    mm(partX[i], 10.6, 8.7, 5.0), arial(12), Qt::AlignHCenter);
        box.frame = Frame::all();
        box.wordWrap = box.autoStretch = true;
    }

    Band &spacer = parts.addChild(QStringLiteral("ChildBand3"), 13);

    Band &columns = spacer.addChild(QStringLiteral("childband3a"), 146);
    columns.frame.top = columns.frame.bottom = true;
    columns.afterPrint = [this](Band &) { childband3aAfterPrint(); };
    forms::label(columns, QStringLiteral("QRLabel3"), QStringLiteral("Fertigkeiten und Kenntnisse"), 1.1, 2.1,
                 arial(10, true));
    forms::label(columns, QStringLiteral("QRLabel18"), QStringLiteral("Nach dem betrieblichen Ausbildungsplan"), 1.1,
                 7.4);
    forms::verticalLine(columns, QStringLiteral("leftshape"), mm(116.9, 0.5, 6.6, 14.0));
    forms::verticalLine(columns, QStringLiteral("midshape"), mm(136.8, 0.5, 6.6, 7.7));
    auto &ba =
        forms::label(columns, QStringLiteral("QRLabel14"), QStringLiteral("Betriebliche Ausbildung"), 0, 0, arial(8));
    ba.geometry = mm(122.0, 0.5, 16.7, 7.7);
    auto &uelu = forms::label(columns, QStringLiteral("QRLabel15"), QStringLiteral("ÜLU- Maßnahme"), 0, 0, arial(8));
    uelu.geometry = mm(141.0, 0.8, 16.7, 7.4);
    for (Label *l : {&ba, &uelu}) {
        l->autoSize = false;
        l->wordWrap = true;
        l->alignment = Qt::AlignHCenter;
    }
    forms::horizontalLine(columns, QStringLiteral("QRShape7"), mm(120.4, 4.8, 38.9, 6.9));
    forms::label(columns, QStringLiteral("QRLabel16"), QStringLiteral("Zutreffendes ankreuzen"), 121.7, 9.0, arial(9));

    // One band per plan item of the sheet. The rows are read by position so
    // that printing neither moves nor stores the detail rows being edited.
    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 50);
    detail.frame.bottom = true;
    detail.frame.colour = QColor(128, 128, 128);
    auto &text = detail.add<ItemText>(QStringLiteral("alltextfeld"), QString());
    text.geometry = mm(1.1, 0, 119.9, 4.5);
    text.wordWrap = text.autoStretch = true;
    text.onPrint = [this](TextItem &, QString &t) {
        // Every line of an item text ends with a line break; the last one
        // opens no empty line in the row.
        t = detailValue(store::field::Alltext);
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
    };
    const struct
    {
        const char *name;
        const QString *field;
        double x;
    } ticks[] = {{"bafeld", &store::field::BA, 124.9}, {"uelufeld", &store::field::UELU, 145.0}};
    for (const auto &t : ticks) {
        auto &tick = detail.add<forms::TickField>(QLatin1String(t.name));
        tick.geometry = mm(t.x, 0, 10.8, 4.5);
        tick.font = QFont(QStringLiteral("Wingdings"), 10);
        tick.alignment = Qt::AlignHCenter;
        const QString field = *t.field;
        tick.value = [this, field] { return detailValue(field); };
        tick.onPrint = [this](TextItem &item, QString &s) { bafeldPrint(item, s); };
    }
    detail.beforePrint = [this](Band &, bool &) { DetailBand1BeforePrint(); };
    detail.afterPrint = [this](Band &) { DetailBand1AfterPrint(); };
    r.beforePrint = [this](Report &, bool &) { m_row = -1; };
    r.needData = [this] {
        const store::Table &items = this->items();
        if (!items.isOpen())
            return false;
        while (++m_row < items.recordCount() && m_leaveOut && m_leaveOut(m_row)) {
        }
        return m_row < items.recordCount();
    };
    r.pageStarted = [this](Report &report, QPainter &painter) {
        forms::continuationLine(report, painter, m_reportRow, m_session.apprenticeName);
    };

    // The activities, then the remarks and signatures at the foot of the page.
    Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 98);
    summary.frame.top = true;
    summary.beforePrint = [this](Band &, bool &) {
        m_summaryTop = m_report.currentY();
        m_summaryPage = m_report.pageNumber();
        QRBand1BeforePrint();
    };
    summary.afterPrint = [this](Band &) { QRBand1AfterPrint(); };
    forms::label(summary, QStringLiteral("QRLabel1"),
                 QStringLiteral("Angaben über die ausgeführte Tätigkeit in Stichworten"), 1.1, 1.1, arial(10, true));
    auto &activities = summary.add<RichText>(QStringLiteral("PIQRDBRichText1"));
    activities.geometry = mm(1.1, 6.3, 172.8, 2.9);
    activities.source = report;
    activities.field = store::field::Taetigkeit;
    activities.font = arial(10);
    activities.autoStretch = true;

    Band &remarks = summary.addChild(QStringLiteral("vermerkband"), 513);
    remarks.frame.top = remarks.frame.bottom = true;
    remarks.alignToBottom = true;
    forms::label(remarks, QStringLiteral("QRLabel21"),
                 QStringLiteral("Besondere Themen der im Rahmen dieser Ausbildungwoche(n) durchgeführten "
                                "Unterweisungen können umseitig beschrieben werden."),
                 15.1, 2.1, arial(7));
    forms::horizontalLine(remarks, QStringLiteral("QRShape6"), mm(0, 4.5, 159.5, 7.1));
    forms::label(remarks, QStringLiteral("QRLabel13"), QStringLiteral("Vermerke des Ausbildenden / Ausbilders"), 1.1,
                 10.1);
    auto &notes = remarks.add<RichText>(QStringLiteral("QRDBRichText2"));
    notes.geometry = mm(1.1, 15.9, 158.2, 21.7);
    notes.source = report;
    notes.field = store::field::Vermerke;
    notes.font = arial(10);
    forms::dataText(remarks, QStringLiteral("QRDBText19"), report, store::field::Datum, mm(6.3, 37.0));
    forms::horizontalLine(remarks, QStringLiteral("QRShape2"), mm(2.1, 39.2, 25.7, 6.6));
    forms::horizontalLine(remarks, QStringLiteral("QRShape3"), mm(48.7, 39.2, 51.1, 6.6));
    forms::horizontalLine(remarks, QStringLiteral("QRShape5"), mm(103.7, 39.2, 51.1, 6.6));
    forms::label(remarks, QStringLiteral("QRLabel17"), QStringLiteral("Datum"), 10.6, 43.4, arial(8));
    forms::label(remarks, QStringLiteral("QRLabel19"), QStringLiteral("Unterschrift des Auszubildenden"), 52.9, 43.4,
                 arial(8));
    forms::label(remarks, QStringLiteral("QRLabel20"), QStringLiteral("Unterschrift des Ausbilders"), 110.1, 43.4,
                 arial(8));
    // The trainer's review, below the signature line it belongs to.
    auto &seen = forms::label(remarks, QStringLiteral("gesehenfeld"), QString(), 110.1, 46.9, arial(8));
    seen.beforePrint = [this](Item &item, bool &print) {
        const QDate day = seenOn();
        static_cast<Label &>(item).caption =
            QStringLiteral("gesehen am ") + day.toString(QStringLiteral("dd.MM.yyyy"));
        print = day.isValid();
    };
}

forms::TextFit Tberichtform::activitiesFit(const QString &text, const std::function<bool(int row)> &leaveOut)
{
    auto *activities = static_cast<RichText *>(m_report.findItem(QStringLiteral("PIQRDBRichText1")));
    const Band *summary = m_report.findBand(QStringLiteral("QRBand1"));
    const Band *remarks = m_report.findBand(QStringLiteral("vermerkband"));
    // The sheet is run with the text in place of the field.
    RecordSource *source = activities->source;
    activities->source = nullptr;
    activities->content = [&text](QTextDocument &document) { richtext::load(document, text); };
    m_leaveOut = leaveOut;
    const auto restore = qScopeGuard([&] {
        activities->source = source;
        activities->content = nullptr;
        m_leaveOut = nullptr;
    });
    m_summaryPage = 0;
    m_report.render();

    forms::TextFit fit;
    const QVector<double> lines = activities->lineHeights();
    fit.lines = int(lines.size());
    if (m_summaryPage != 1) {
        // The items alone fill the page.
        fit.fitting = -1;
        return fit;
    }
    const PageBreak::TextBand band{m_summaryTop, summary->height, activities->geometry.top(),
                                   activities->geometry.height()};
    fit.fitting = m_report.pageBreak().linesOnOnePage(lines, band, {{remarks->height, true}});
    if (fit.fitting >= 0 && fit.fitting < fit.lines)
        fit.splitAt = activities->lineStart(fit.fitting);
    return fit;
}

QDate Tberichtform::seenOn() const
{
    if (!m_reportRow.hasRecord())
        return {};
    const qint64 sheet = m_reportRow.value(store::field::BerLfd).toLongLong();
    return sheet ? domain::reviewOf(m_tables, sheet).seen : QDate();
}

store::Table &Tberichtform::items() const
{
    return m_items ? *m_items : m_tables.berichtdetailtable();
}

QString Tberichtform::detailValue(const QString &field) const
{
    const store::Table &items = this->items();
    if (!items.isOpen() || m_row < 0 || m_row >= items.recordCount())
        return QString();
    const QVariant v = items.valueAt(m_row, field);
    if (!v.isValid() || v.isNull())
        return QString();
    const int f = items.def().fieldIndex(field);
    if (f >= 0 && items.def().fields[f].type == store::FieldType::Boolean)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QString Tberichtform::tickText(const QString &displayText)
{
    const QString t = displayText.toLower();
    if (t == QLatin1String("wahr") || t == QLatin1String("true"))
        return QStringLiteral("x");
    if (t == QLatin1String("falsch") || t == QLatin1String("false"))
        return QStringLiteral("o");
    return t;
}

void Tberichtform::TitleBand1BeforePrint()
{
    static_cast<Label *>(m_report.findItem(QStringLiteral("stiftlabel")))->caption = m_session.apprenticeName;
    static_cast<Label *>(m_report.findItem(QStringLiteral("bkmlabel")))->caption = m_session.trainerName;
}

void Tberichtform::bafeldPrint(engine::TextItem &, QString &text)
{
    text = tickText(text);
}

void Tberichtform::childband3aAfterPrint()
{
    m_columnTop = m_report.currentY();
    m_columnPage = m_report.pageNumber();
}

void Tberichtform::DetailBand1BeforePrint()
{
    // Item rows that run onto a further page carry the rules there from the
    // top of their first row.
    if (m_report.pageNumber() != m_columnPage) {
        m_columnTop = m_report.currentY();
        m_columnPage = m_report.pageNumber();
    }
}

void Tberichtform::DetailBand1AfterPrint()
{
    // The rules go on down through every item row, on each page its share.
    drawColumnRules(m_columnTop, m_report.currentY());
    m_columnTop = m_report.currentY();
}

void Tberichtform::QRBand1BeforePrint()
{
    // The two column rules of the header go on down through the item rows,
    // from where the header ended to where the summary starts.
    const double y = m_report.currentY();
    if (y > m_columnTop && m_report.pageNumber() == m_columnPage)
        drawColumnRules(m_columnTop, y);
}

void Tberichtform::drawColumnRules(double top, double bottom)
{
    QPainter *canvas = m_report.canvas();
    if (!canvas || bottom <= top)
        return;
    const auto *left = static_cast<Shape *>(m_report.findItem(QStringLiteral("leftshape")));
    const auto *mid = static_cast<Shape *>(m_report.findItem(QStringLiteral("midshape")));
    canvas->save();
    canvas->setPen(left->linePen());
    canvas->setBrush(left->fill());
    for (const Shape *s : {left, mid}) {
        const double x = m_report.margins.left() + s->geometry.center().x();
        canvas->drawLine(QPointF(x, top), QPointF(x, bottom));
    }
    canvas->restore();
}

void Tberichtform::QRBand1AfterPrint()
{
    m_columnTop = m_report.currentY();
    m_columnPage = m_report.pageNumber();
}
