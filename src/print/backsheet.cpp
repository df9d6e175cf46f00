#include "backsheet.h"

#include "formparts.h"
#include "print/engine/richtextitem.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QBuffer>
#include <QImageReader>
#include <QScopeGuard>

#include <algorithm>

#include <cmath>

using forms::arial;
using forms::mm;
using namespace engine;

namespace {

// Millimetres printed per screen pixel of the editor's picture display.
constexpr double mmPerDisplayPixel = 9.0 / 50.0;

} // namespace

Tqrruecksform::Tqrruecksform(store::TableSet &tables, store::Session &session, QObject *parent)
    : QObject(parent), m_session(session), m_reportRow(tables.berichttable()), m_report(QStringLiteral("QuickRep"))
{
    setObjectName(QStringLiteral("qrruecksform"));
    build();
}

Tqrruecksform::~Tqrruecksform() = default;

void Tqrruecksform::build()
{
    Report &r = m_report;
    r.title = QStringLiteral("Darstellung besonderer Ausbildungsinhalte");
    r.margins = QMarginsF(230, 127, 100, 127);
    r.pageFrame = Frame::all();
    r.font = arial(10);
    r.beforePrint = [this](Report &, bool &) { QuickRepBeforePrint(); };
    r.pageStarted = [this](Report &report, QPainter &painter) {
        forms::continuationLine(report, painter, m_reportRow, m_session.apprenticeName);
    };
    RecordSource *report = &m_reportRow;

    Band &header = r.addBand(Band::Kind::PageHeader, QStringLiteral("PageHeaderBand1"), 191);
    auto &caption = header.add<SystemData>(QStringLiteral("QRSysData3"), SystemData::Kind::Title);
    caption.geometry = mm(1.1, 2.4);
    caption.font = arial(12, true);
    caption.autoSize = true;
    forms::horizontalLine(header, QStringLiteral("QRShape4"), mm(0, 4.2, 172.5, 10.8));
    forms::label(header, QStringLiteral("QRLabel5"), QStringLiteral("zum Ausbildungsnachweis Nr."), 100.3, 2.9);
    forms::dataText(header, QStringLiteral("QRDBText5"), report, store::field::Nummer, mm(147.6, 2.9, 5.6, 4.5));
    forms::label(header, QStringLiteral("QRLabel6"), QStringLiteral("A-Jahr:"), 154.5, 2.9);
    forms::dataText(header, QStringLiteral("QRDBText6"), report, store::field::AJahr, mm(166.4, 2.9, 5.6, 4.5));
    forms::label(header, QStringLiteral("QRLabel7"), QStringLiteral("Datum:"), 1.1, 11.6);
    forms::dataText(header, QStringLiteral("QRDBText7"), report, store::field::Datum, mm(13.5, 11.6, 18.5, 4.5),
                    arial(10, true));
    forms::label(header, QStringLiteral("QRLabel8"), QStringLiteral("Thema:"), 36.8, 11.6);
    auto &topic = forms::dataText(header, QStringLiteral("QRDBText8"), report, store::field::Thema,
                                  mm(49.5, 11.6, 126.7, 5.3), arial(12, true));
    topic.wordWrap = topic.autoStretch = true;

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 175);
    title.frame.top = true;
    title.beforePrint = [this](Band &, bool &) {
        m_textTop = m_report.currentY();
        m_textPage = m_report.pageNumber();
    };
    auto &description = title.add<RichText>(QStringLiteral("PIQRDBRichText1"));
    description.geometry = mm(1.1, 0, 175.2, 13.0);
    description.source = report;
    description.field = store::field::Darstellung;
    description.font = arial(10);
    description.autoStretch = true;

    Band *parent = &title;
    for (int i = 1; i <= 2; ++i) {
        Band &band = parent->addChild(QStringLiteral("ChildBand%1").arg(i), 0);
        auto &picture = band.add<Picture>(QStringLiteral("QRDBImage%1").arg(i));
        picture.source = report;
        picture.field = i == 1 ? store::field::Bild1 : store::field::Bild2;
        picture.geometry = mm(2.1, 2.4);
        parent = &band;
    }
}

QSize Tqrruecksform::displaySize(const QSize &picture, int zoom)
{
    if (picture.width() <= 0)
        return QSize();
    const int width = zoom * 9;
    return QSize(width, int(std::nearbyint(double(width) * picture.height() / picture.width())));
}

QSize Tqrruecksform::storedDisplaySize(const QByteArray &picture, int zoom)
{
    QSize size;
    if (!picture.isEmpty()) {
        QBuffer buffer;
        buffer.setData(picture);
        buffer.open(QIODevice::ReadOnly);
        size = QImageReader(&buffer).size();
    }
    const QSize shown = displaySize(size, std::clamp(zoom, 5, 100));
    return shown.isValid() && shown.height() > 0 ? shown : QSize(1, 1);
}

QSizeF Tqrruecksform::printedSizeMm(const QSize &display)
{
    return QSizeF(display) * mmPerDisplayPixel;
}

void Tqrruecksform::setPictureDisplaySize(int picture, const QSize &pixels)
{
    m_display[picture] = pixels;
}

void Tqrruecksform::QuickRepBeforePrint()
{
    for (int i = 0; i < 2; ++i) {
        Band *band = m_report.findBand(QStringLiteral("ChildBand%1").arg(i + 1));
        Item *picture = band->item(QStringLiteral("QRDBImage%1").arg(i + 1));
        band->enabled = true;
        // The box takes the displayed size; the band is as high as the box,
        // its top offset not counted.
        const QSizeF box = printedSizeMm(m_display[i]) * engine::unitsPerMm;
        picture->geometry.setSize(box);
        band->height = box.height();
    }
}

forms::TextFit Tqrruecksform::descriptionFit(const QString &text)
{
    auto *description = static_cast<RichText *>(m_report.findItem(QStringLiteral("PIQRDBRichText1")));
    // The sheet is run with the text in place of the field.
    RecordSource *source = description->source;
    description->source = nullptr;
    description->content = [&text](QTextDocument &document) { richtext::load(document, text); };
    // The pictures' boxes take their room whatever they show: the sheet is
    // laid out without reading them.
    Picture *shown[2];
    for (int i = 0; i < 2; ++i) {
        shown[i] = static_cast<Picture *>(m_report.findItem(QStringLiteral("QRDBImage%1").arg(i + 1)));
        shown[i]->source = nullptr;
    }
    const auto restore = qScopeGuard([&] {
        description->source = source;
        description->content = nullptr;
        for (Picture *picture : shown)
            picture->source = source;
    });
    m_textPage = 0;
    m_report.render();

    forms::TextFit fit;
    const QVector<double> lines = description->lineHeights();
    fit.lines = int(lines.size());
    if (m_textPage != 1) {
        fit.fitting = -1;
        return fit;
    }
    const Band *title = m_report.findBand(QStringLiteral("TitleBand1"));
    // The pictures follow the text, each in its band.
    QVector<PageBreak::Block> pictures;
    for (const Band *b = title->child(); b; b = b->child())
        if (b->enabled)
            pictures.append({b->height, b->alignToBottom});
    const PageBreak::TextBand band{m_textTop, title->height, description->geometry.top(),
                                   description->geometry.height()};
    fit.fitting = m_report.pageBreak().linesOnOnePage(lines, band, pictures);
    if (fit.fitting >= 0 && fit.fitting < fit.lines)
        fit.splitAt = description->lineStart(fit.fitting);
    return fit;
}
