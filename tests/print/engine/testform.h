#pragma once

// A mixed test form, not a window of the program: a page header with the
// page number, a title, detail rows with wrapping text, a picture and rules,
// a summary with a long formatted text that continues over pages, a page
// footer and the frame around the printable area. Tests and benchmarks use
// it to exercise the engine the way the program's forms do.

#include "print/engine/report.h"
#include "print/engine/richtextitem.h"

#include <QTextCursor>
#include <memory>

namespace testsupport {

struct TestForm
{
    std::unique_ptr<engine::Report> report = std::make_unique<engine::Report>(QStringLiteral("TestForm"));
    int records = 0; // detail rows to print
    int row = 0;     // the row being printed
    int paragraphs = 12;
};

inline std::unique_ptr<TestForm> makeTestForm(int records, int paragraphs = 12)
{
    using namespace engine;
    auto form = std::make_unique<TestForm>();
    TestForm *f = form.get();
    f->records = records;
    f->paragraphs = paragraphs;
    Report &r = *f->report;
    r.title = QStringLiteral("Testformular");
    r.margins = QMarginsF(230, 100, 100, 100);
    r.pageFrame = Frame::all();

    Band &header = r.addBand(Band::Kind::PageHeader, QStringLiteral("header"), 120);
    header.frame.bottom = true;
    auto &caption = header.add<Label>(QStringLiteral("caption"), QStringLiteral("Testformular"));
    caption.geometry = QRectF(11, 20, 1000, 60);
    caption.font = QFont(QStringLiteral("Arial"), 12, QFont::Bold);
    auto &page = header.add<SystemData>(QStringLiteral("page"), SystemData::Kind::PageNumber, QStringLiteral("Seite "));
    page.geometry = QRectF(1200, 20, 560, 60);
    page.alignment = Qt::AlignRight;

    Band &title = r.addBand(Band::Kind::Title, QStringLiteral("title"), 200);
    title.frame.bottom = true;
    title.add<Label>(QStringLiteral("name"), QStringLiteral("Name: Erika Mustermann")).geometry = QRectF(11, 20, 800, 45);
    auto &line = title.add<Shape>(QStringLiteral("rule"), Shape::Kind::HorizontalLine);
    line.geometry = QRectF(0, 100, 1595, 20);

    Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("detail"), 160);
    detail.frame.bottom = true;
    detail.frame.colour = Qt::gray;
    auto &text = detail.add<Label>(QStringLiteral("alltext"), QString());
    text.geometry = QRectF(11, 5, 1199, 45);
    text.wordWrap = true;
    text.autoStretch = true;
    text.onPrint = [f](TextItem &, QString &t) {
        t = QStringLiteral("Zeile %1: Kehr- und Überprüfungsarbeiten an Feuerungsanlagen").arg(f->row);
        for (int i = 0; i < f->row % 4; ++i)
            t += QStringLiteral(", Messungen nach der Verordnung und Dokumentation der Ergebnisse");
    };
    for (double x : {1220.0, 1420.0}) {
        auto &v = detail.add<Shape>(QStringLiteral("col%1").arg(x), Shape::Kind::VerticalLine);
        v.geometry = QRectF(x - 10, 0, 20, 160);
    }
    auto &pic = detail.add<Picture>(QStringLiteral("bild"));
    pic.geometry = QRectF(1440, 5, 200, 150);
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    pic.image = image;
    r.needData = [f] { return ++f->row <= f->records; };

    Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("summary"), 98);
    summary.frame.top = true;
    summary.add<Label>(QStringLiteral("QRLabel1"), QStringLiteral("Angaben über die ausgeführte Tätigkeit"))
        .geometry = QRectF(11, 11, 1200, 45);
    auto &rich = summary.add<RichText>(QStringLiteral("PIQRDBRichText1"));
    rich.geometry = QRectF(11, 63, 1728, 29);
    rich.autoStretch = true;
    rich.content = [f](QTextDocument &d) {
        QTextCursor c(&d);
        QTextCharFormat plain, bold, raised;
        bold.setFontWeight(QFont::Bold);
        raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        for (int i = 1; i <= f->paragraphs; ++i) {
            if (i > 1)
                c.insertBlock();
            c.insertText(QStringLiteral("Absatz %1: ").arg(i), bold);
            c.insertText(QStringLiteral("Abgasmessung an einer Gasfeuerstätte, CO-Gehalt 45 ppm, Abgasverlust "
                                        "7 %, Raumvolumen 12 m"),
                         plain);
            c.insertText(QStringLiteral("3"), raised);
            c.insertText(QStringLiteral(", Ergebnisse im Messprotokoll eingetragen und mit dem Kunden besprochen."),
                         plain);
        }
    };

    Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("footer"), 60);
    footer.add<SystemData>(QStringLiteral("date"), SystemData::Kind::Date, QStringLiteral("Gedruckt am "))
        .geometry = QRectF(11, 10, 800, 45);
    return form;
}

// Resets the form for another run.
inline void rewind(TestForm &form)
{
    form.row = 0;
}

} // namespace testsupport
