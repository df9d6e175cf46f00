// The bulk print of three training years against an office suite making the
// same sheets, side by side on this machine. The sheets are written as one
// flat office document (front sheet texts, the back sheet's description
// and photos at their printed size, a page break before every sheet) and
// converted by the suite (soffice, headless) to PDF, each run with a user
// profile of its own; our bulk print renders the same sheets, merges them
// and exports the merged document to PDF. Both to their preview and to
// their PDF, medians of three runs after one run not counted.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "benchdata.h"
#include "benchsupport.h"
#include "domain/coveredparts.h"
#include "domain/marks.h"
#include "print/backsheet.h"
#include "print/bulkprint.h"
#include "print/engine/document.h"
#include "print/engine/previewinterface.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace field = store::field;

namespace bench {

namespace {

// The pages of a PDF as pdfinfo counts them; 0 when it cannot tell.
int pdfPages(const QString &pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return 0;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString xml(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\t'), QLatin1String("<text:tab/>"));
}

QString mmText(double mm)
{
    return QString::number(mm, 'f', 2) + QStringLiteral("mm");
}

// A paragraph of spans, each (text style, text); an empty style for the
// paragraph's own font.
QString paragraph(const QString &style, std::initializer_list<std::pair<const char *, QString>> spans)
{
    QString p = QStringLiteral("<text:p text:style-name=\"%1\">").arg(style);
    for (const auto &[span, text] : spans)
        p +=
            *span
                ? QStringLiteral("<text:span text:style-name=\"%1\">%2</text:span>").arg(QLatin1String(span), xml(text))
                : xml(text);
    return p + QStringLiteral("</text:p>\n");
}

// A stored text (RTF or plain) as plain paragraphs.
QString plainParagraphs(const QString &stored, const QString &style = QStringLiteral("P"))
{
    QString out;
    const QString plain = richtext::toPlainText(stored);
    if (plain.isEmpty())
        return out;
    for (const QString &line : plain.split(QLatin1Char('\n')))
        out += paragraph(style, {{"", line}});
    return out;
}

// The fonts, sizes and page layouts of the two sheets: A4 in a frame, the
// margins of our forms, Arial as the forms name it. The parts of a sheet
// whose height our forms fix are table rows of that height at least, so
// that the texts between them have the room they have on our sheets.
const char *const documentHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="Arial" svg:font-family="Arial" style:font-family-generic="swiss"/>
</office:font-face-decls>
<office:styles>
 <style:default-style style:family="paragraph">
  <style:paragraph-properties fo:margin-top="0mm" fo:margin-bottom="0mm"/>
  <style:text-properties style:font-name="Arial" fo:font-size="10pt" fo:language="de" fo:country="DE"/>
 </style:default-style>
 <style:style style:name="Standard" style:family="paragraph"/>
</office:styles>
<office:automatic-styles>
 <style:page-layout style:name="pmFront">
  <style:page-layout-properties fo:page-width="210mm" fo:page-height="297mm" fo:margin-left="23mm"
   fo:margin-right="10mm" fo:margin-top="10mm" fo:margin-bottom="10mm" fo:border="0.1mm solid #000000"
   fo:padding="0mm"/>
 </style:page-layout>
 <style:page-layout style:name="pmBack">
  <style:page-layout-properties fo:page-width="210mm" fo:page-height="297mm" fo:margin-left="23mm"
   fo:margin-right="10mm" fo:margin-top="12.7mm" fo:margin-bottom="12.7mm" fo:border="0.1mm solid #000000"
   fo:padding="0mm"/>
 </style:page-layout>
 <style:style style:name="P" style:family="paragraph" style:parent-style-name="Standard"/>
 <style:style style:name="PFront" style:family="paragraph" style:parent-style-name="Standard"
  style:master-page-name="Vorderseite"/>
 <style:style style:name="PTabs" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties>
   <style:tab-stops><style:tab-stop style:position="80.1mm"/><style:tab-stop style:position="99.2mm"/></style:tab-stops>
  </style:paragraph-properties>
 </style:style>
 <style:style style:name="PRule" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:border-bottom="0.1mm solid #000000" fo:padding-bottom="1mm"
   fo:margin-bottom="1.5mm"/>
 </style:style>
 <style:style style:name="PGap" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:margin-top="1.1mm" fo:margin-bottom="1.2mm"/>
 </style:style>
 <style:style style:name="PCentre" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:text-align="center"/>
 </style:style>
 <style:style style:name="T7" style:family="text"><style:text-properties fo:font-size="7pt"/></style:style>
 <style:style style:name="T8" style:family="text"><style:text-properties fo:font-size="8pt"/></style:style>
 <style:style style:name="T9" style:family="text"><style:text-properties fo:font-size="9pt"/></style:style>
 <style:style style:name="T12" style:family="text"><style:text-properties fo:font-size="12pt"/></style:style>
 <style:style style:name="TB" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
 <style:style style:name="T12B" style:family="text">
  <style:text-properties fo:font-size="12pt" fo:font-weight="bold"/>
 </style:style>
 <style:style style:name="Tab" style:family="table">
  <style:table-properties style:width="159.5mm" table:align="left"/>
 </style:style>
 <style:style style:name="TabFront" style:family="table" style:master-page-name="Vorderseite">
  <style:table-properties style:width="159.5mm" table:align="left"/>
 </style:style>
 <style:style style:name="TabBack" style:family="table" style:master-page-name="Rueckseite">
  <style:table-properties style:width="175.2mm" table:align="left"/>
 </style:style>
 <style:style style:name="Tab.Whole" style:family="table-column">
  <style:table-column-properties style:column-width="159.5mm"/>
 </style:style>
 <style:style style:name="Tab.WholeBack" style:family="table-column">
  <style:table-column-properties style:column-width="175.2mm"/>
 </style:style>
 <style:style style:name="Tab.Part" style:family="table-column">
  <style:table-column-properties style:column-width="15.95mm"/>
 </style:style>
 <style:style style:name="Tab.Item" style:family="table-column">
  <style:table-column-properties style:column-width="119.6mm"/>
 </style:style>
 <style:style style:name="Tab.Tick" style:family="table-column">
  <style:table-column-properties style:column-width="19.95mm"/>
 </style:style>
 <style:style style:name="Tab.Sign" style:family="table-column">
  <style:table-column-properties style:column-width="53.17mm"/>
 </style:style>
 <style:style style:name="Tab.Box" style:family="table-cell">
  <style:table-cell-properties fo:border="0.1mm solid #000000" fo:padding="0.3mm"/>
 </style:style>
 <style:style style:name="Tab.Rules" style:family="table-cell">
  <style:table-cell-properties fo:border-top="0.1mm solid #000000" fo:border-bottom="0.1mm solid #000000"
   fo:border-left="none" fo:border-right="none" fo:padding="0.3mm"/>
 </style:style>
 <style:style style:name="Tab.Under" style:family="table-cell">
  <style:table-cell-properties fo:border-bottom="0.1mm solid #808080" fo:padding="0.3mm"/>
 </style:style>
 <style:style style:name="Tab.Plain" style:family="table-cell">
  <style:table-cell-properties fo:padding="0.3mm"/>
 </style:style>
 <style:style style:name="fr" style:family="graphic">
  <style:graphic-properties style:wrap="none" style:vertical-pos="top" style:vertical-rel="baseline"/>
 </style:style>
)";

// Row styles of the heights our forms give their parts, in 0.1 mm; they
// keep together on a page, as a band of ours does.
const int rowHeights[] = {50, 159, 191, 204, 217, 222, 513};

QByteArray rowStyles()
{
    QByteArray s;
    for (int h : rowHeights)
        s +=
            QStringLiteral(" <style:style style:name=\"Tab.H%1\" style:family=\"table-row\">\n"
                           "  <style:table-row-properties style:min-row-height=\"%2mm\" fo:keep-together=\"always\"/>\n"
                           " </style:style>\n")
                .arg(h)
                .arg(h / 10.0)
                .toUtf8();
    return s + R"(</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Vorderseite" style:page-layout-name="pmFront"/>
 <style:master-page style:name="Rueckseite" style:page-layout-name="pmBack"/>
</office:master-styles>
<office:body><office:text>
)";
}

QString cell(const QString &style, const QString &content)
{
    return QStringLiteral("<table:table-cell table:style-name=\"Tab.%1\" office:value-type=\"string\">%2"
                          "</table:table-cell>")
        .arg(style, content);
}

QString row(int height, const QString &cells)
{
    return QStringLiteral("<table:table-row table:style-name=\"Tab.H%1\">%2</table:table-row>").arg(height).arg(cells);
}

QString table(const QString &columns, const QString &rows, const QString &style = QStringLiteral("Tab"))
{
    return QStringLiteral("<table:table table:style-name=\"%1\">%2%3</table:table>\n").arg(style, columns, rows);
}

QString columns(const char *style, int count = 1)
{
    return QStringLiteral("<table:table-column table:style-name=\"Tab.%1\" table:number-columns-repeated=\"%2\"/>")
        .arg(QLatin1String(style))
        .arg(count);
}

// A part of a sheet at least `height` (0.1 mm) high: one cell across.
QString block(int height, const QString &content, const QString &cellStyle = QStringLiteral("Rules"),
              const QString &tableStyle = QStringLiteral("Tab"))
{
    return table(columns(tableStyle == QLatin1String("TabBack") ? "WholeBack" : "Whole"),
                 row(height, cell(cellStyle, content)), tableStyle);
}

QString tick(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    return value.toBool() ? QStringLiteral("\u2612") : QStringLiteral("\u2610");
}

// The front sheet of the reports table's current row, its items from the
// detail table that follows it.
QString frontSheet(store::TableSet &tables, const store::Session &session)
{
    store::Table &reports = tables.berichttable();
    const QString date = QStringLiteral("dd.MM.yyyy");
    const QString P = QStringLiteral("P");
    QString s =
        block(204,
              paragraph(QStringLiteral("PTabs"), {{"", QStringLiteral("Name: ") + session.trainerName},
                                                  {"", QStringLiteral("\tName: ") + session.apprenticeName}})
                  + paragraph(QStringLiteral("PRule"), {{"T8", QStringLiteral("(Ausbildender)\t(Auszubildender)")}})
                  + paragraph(
                      P, {{"T12", QStringLiteral("Ausbildungsnachweis Nr. ") + reports.asString(field::Nummer)},
                          {"TB", QStringLiteral("  Seite ") + reports.asString(field::Blatt)},
                          {"", QStringLiteral("  für die Woche vom ") + reports.asDate(field::WocheVom).toString(date)},
                          {"", QStringLiteral(" bis ") + reports.asDate(field::WocheBis).toString(date)},
                          {"", QStringLiteral("  A-Jahr: ")},
                          {"TB", reports.asString(field::AJahr)}}),
              QStringLiteral("Rules"), QStringLiteral("TabFront"));
    QString parts;
    for (int i = 0; i < domain::coveredPartFields; ++i)
        parts += cell(QStringLiteral("Box"),
                      paragraph(QStringLiteral("PCentre"), {{"T12", reports.asString(domain::coveredPartField(i))}}));
    s += block(222,
               paragraph(QStringLiteral("PGap"), {{"T12", QStringLiteral("Teil des Ausbildungsberufsbildes")}})
                   + paragraph(P, {{"T12", QStringLiteral("Nr.:")}})
                   + table(columns("Part", 10),
                           QStringLiteral("<table:table-row>") + parts + QStringLiteral("</table:table-row>")),
               QStringLiteral("Under"));

    // The item list under its column header, the two tick columns beside it.
    QString rows =
        row(159,
            cell(QStringLiteral("Rules"),
                 paragraph(QStringLiteral("PGap"), {{"TB", QStringLiteral("Fertigkeiten und Kenntnisse")}})
                     + paragraph(P, {{"", QStringLiteral("Nach dem betrieblichen Ausbildungsplan")}}))
                + cell(QStringLiteral("Box"),
                       paragraph(QStringLiteral("PCentre"), {{"T8", QStringLiteral("Betriebliche Ausbildung")}}))
                + cell(QStringLiteral("Box"),
                       paragraph(QStringLiteral("PCentre"), {{"T8", QStringLiteral("ÜLU- Maßnahme")}})
                           + paragraph(QStringLiteral("PCentre"), {{"T9", QStringLiteral("Zutreffendes ankreuzen")}})));
    store::Table &items = tables.berichtdetailtable();
    for (int r = 0; r < items.recordCount(); ++r) {
        QString text = items.valueAt(r, field::Alltext).toString();
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        QString lines;
        for (const QString &line : text.split(QLatin1Char('\n')))
            lines += paragraph(P, {{"", line}});
        rows += row(50, cell(QStringLiteral("Under"), lines)
                            + cell(QStringLiteral("Under"),
                                   paragraph(QStringLiteral("PCentre"), {{"", tick(items.valueAt(r, field::BA))}}))
                            + cell(QStringLiteral("Under"),
                                   paragraph(QStringLiteral("PCentre"), {{"", tick(items.valueAt(r, field::UELU))}})));
    }
    s += table(columns("Item") + columns("Tick", 2), rows);

    s += paragraph(QStringLiteral("PGap"),
                   {{"TB", QStringLiteral("Angaben über die ausgeführte Tätigkeit in Stichworten")}});
    s += plainParagraphs(reports.asString(field::Taetigkeit));

    // The remarks and the signatures, together on the sheet's last page.
    const QDate seen = domain::reviewOf(tables, reports.value(field::BerLfd).toLongLong()).seen;
    QString signatures = paragraph(P, {{"T8", QStringLiteral("Unterschrift des Ausbilders")}});
    if (seen.isValid())
        signatures += paragraph(P, {{"T8", QStringLiteral("gesehen am ") + seen.toString(date)}});
    const QString empty = QStringLiteral("<text:p/>");
    s += block(
        513, paragraph(QStringLiteral("PRule"),
                       {{"T7", QStringLiteral("Besondere Themen der im Rahmen dieser Ausbildungwoche(n) durchgeführten "
                                              "Unterweisungen können umseitig beschrieben werden.")}})
                 + paragraph(P, {{"", QStringLiteral("Vermerke des Ausbildenden / Ausbilders")}})
                 + table(columns("Whole"), row(217, cell(QStringLiteral("Plain"),
                                                         empty + plainParagraphs(reports.asString(field::Vermerke)))))
                 + table(columns("Sign", 3),
                         QStringLiteral("<table:table-row>")
                             + cell(QStringLiteral("Under"),
                                    paragraph(P, {{"", reports.asDate(field::Datum).toString(date)}}))
                             + cell(QStringLiteral("Under"), empty) + cell(QStringLiteral("Under"), empty)
                             + QStringLiteral("</table:table-row><table:table-row>")
                             + cell(QStringLiteral("Plain"), paragraph(P, {{"T8", QStringLiteral("Datum")}}))
                             + cell(QStringLiteral("Plain"),
                                    paragraph(P, {{"T8", QStringLiteral("Unterschrift des Auszubildenden")}}))
                             + cell(QStringLiteral("Plain"), signatures) + QStringLiteral("</table:table-row>")));
    return s;
}

// The back sheet of the current row: its header, the description and the
// photos, each at the size our back sheet prints it (the stored zoom): the
// stored bytes, or converted to `pictureFormat` when one is given.
QByteArray backSheet(store::Table &reports, const char *pictureFormat)
{
    const QString date = QStringLiteral("dd.MM.yyyy");
    QString s =
        block(191,
              paragraph(QStringLiteral("PTabs"),
                        {{"T12B", QStringLiteral("Darstellung besonderer Ausbildungsinhalte")},
                         {"", QStringLiteral("\tzum Ausbildungsnachweis Nr. ") + reports.asString(field::Nummer)},
                         {"", QStringLiteral("  A-Jahr: ") + reports.asString(field::AJahr)}})
                  + paragraph(QStringLiteral("PGap"), {{"", QStringLiteral("Datum: ")},
                                                       {"TB", reports.asDate(field::Datum).toString(date)},
                                                       {"", QStringLiteral("   Thema: ")},
                                                       {"T12B", reports.asString(field::Thema)}}),
              QStringLiteral("Under"), QStringLiteral("TabBack"));
    s += plainParagraphs(reports.asString(field::Darstellung));
    QByteArray out = s.toUtf8();
    const QString *pictures[][2] = {{&field::Bild1, &field::Zoom1}, {&field::Bild2, &field::Zoom2}};
    for (const auto &picture : pictures) {
        const QByteArray bytes = reports.asBytes(*picture[0]);
        if (bytes.isEmpty())
            continue;
        const QSizeF mm =
            Tqrruecksform::printedSizeMm(Tqrruecksform::storedDisplaySize(bytes, reports.asInt(*picture[1])));
        out += QStringLiteral("<text:p text:style-name=\"PGap\"><draw:frame draw:style-name=\"fr\" "
                              "text:anchor-type=\"as-char\" svg:width=\"%1\" svg:height=\"%2\"><draw:image>"
                              "<office:binary-data>")
                   .arg(mmText(mm.width()), mmText(mm.height()))
                   .toUtf8();
        if (pictureFormat) {
            QByteArray converted;
            QBuffer buffer(&converted);
            buffer.open(QIODevice::WriteOnly);
            QImage::fromData(bytes).save(&buffer, pictureFormat);
            out += converted.toBase64();
        } else {
            out += bytes.toBase64();
        }
        out += "</office:binary-data></draw:image></draw:frame></text:p>\n";
    }
    return out;
}

// Every report's front sheets, then the back sheet of its first sheet, as
// the bulk print orders them: written to `path`; the number of sheets, or
// -1 when the file could not be written.
int writeOfficeDocument(store::TableSet &tables, const store::Session &session, const QString &path,
                        const char *pictureFormat = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    file.write(documentHead);
    file.write(rowStyles());
    store::Table &reports = tables.berichttable();
    int sheets = 0;
    QByteArray back;
    std::pair<int, int> report{-1, -1};
    for (reports.first(); !reports.eof(); reports.next()) {
        const std::pair<int, int> current{reports.asInt(field::AJahr), reports.asInt(field::Nummer)};
        if (current != report && !back.isEmpty()) {
            file.write(back);
            back.clear();
            ++sheets;
        }
        report = current;
        file.write(frontSheet(tables, session).toUtf8());
        ++sheets;
        if (reports.asInt(field::Blatt) == 1)
            back = backSheet(reports, pictureFormat);
    }
    if (!back.isEmpty()) {
        file.write(back);
        ++sheets;
    }
    file.write("</office:text></office:body></office:document>\n");
    return file.error() == QFile::NoError ? sheets : -1;
}

// One run of the office suite with a user profile of its own: converts
// `document` with the PDF filter `to` into `outDir`; the milliseconds it
// took, or -1 when it failed or wrote no PDF.
double officeRun(const QString &soffice, const QString &document, const QString &to, const QString &outDir)
{
    QTemporaryDir profile(QDir::temp().filePath(QStringLiteral("lernora-office-profile-XXXXXX")));
    // Every run writes its file anew: one left from an earlier run does not
    // count as this run's.
    const QString written = QDir(outDir).filePath(QFileInfo(document).completeBaseName() + QStringLiteral(".pdf"));
    QFile::remove(written);
    QProcess office;
    office.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer t;
    t.start();
    office.start(soffice, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                           QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                           to, QStringLiteral("--outdir"), outDir, document});
    const bool finished = office.waitForFinished(15 * 60 * 1000);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (!finished) {
        office.kill();
        office.waitForFinished();
    }
    if (!finished || office.exitStatus() != QProcess::NormalExit || office.exitCode() != 0
        || QFileInfo(written).size() <= 0) {
        std::fprintf(stderr, "error: soffice --convert-to %s failed: %s\n", qPrintable(to),
                     office.readAll().trimmed().constData());
        return -1;
    }
    return ms;
}

struct OfficeTimes
{
    double first = -1; // the suite's first start in this run of the benchmark, not counted
    Result warm;
    bool ok = false;
};

// Runs the conversion once not counted and `runs` times counted.
OfficeTimes officeTimes(const QString &soffice, const QString &document, const QString &to, const QString &outDir,
                        int runs)
{
    OfficeTimes t;
    t.first = officeRun(soffice, document, to, outDir);
    if (t.first < 0)
        return t;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double run = officeRun(soffice, document, to, outDir);
        if (run < 0)
            return t;
        ms.push_back(run);
    }
    std::sort(ms.begin(), ms.end());
    t.warm = {ms[ms.size() / 2], ms.front(), ms.back()};
    t.ok = true;
    return t;
}

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int officeComparison()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        std::printf("office suite: soffice not found, the comparison with the bulk print was skipped\n");
        return 0;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        std::fprintf(stderr, "error: pdfinfo not found, the pages of the two PDFs cannot be counted\n");
        return 1;
    }
    const int years = 3, runs = 3;
    QTemporaryDir dir;
    makeDataDirectory(dir.path(), trainingYears(years));
    InDirectory in(dir.path());
    StandIns user;
    lernora::Application program;
    // One photo on every back sheet, as the bulk print benchmark has it.
    program.tables().exec(QStringLiteral("UPDATE bericht SET Bild2=NULL"));
    std::printf("office suite against the bulk print, %d training years:\n", years);

    // Ours: every line ticked (not timed), to the preview (rendered, saved,
    // merged, loaded), then the PDF of the loaded document. The first run
    // is not counted, as the office suite's first is not.
    TMainForm *form = program.mainForm();
    form->show(); // reads the names of the basic data
    QApplication::processEvents();
    // The office document, written from the same rows.
    const QString fodt = dir.filePath(QStringLiteral("sammeldruck.fodt"));
    QElapsedTimer written;
    written.start();
    const int officeSheets = writeOfficeDocument(program.tables(), program.session(), fodt);
    if (officeSheets <= 0) {
        std::fprintf(stderr, "error: the office document %s could not be written\n", qPrintable(fodt));
        return 1;
    }
    std::printf("    (office document: %d sheets, %.1f MB, written in %lld ms)\n", officeSheets,
                double(QFileInfo(fodt).size()) / 1e6, written.elapsed());

    auto *dialog = form->findChild<Tdrauswdlg *>(QStringLiteral("drauswdlg"));
    engine::PreviewInterface *previews = engine::previewInterface();
    engine::setPreviewInterface(nullptr);
    dialog->beidseitigcheck()->setChecked(false); // no empty pages between the sheets
    const QString ourPdf = dir.filePath(QStringLiteral("lernora.pdf"));
    int ourSheets = 0, ourDocumentPages = 0;
    std::vector<double> toPreview, toPdf, clicked;
    double ourFirst = 0;
    for (int run = 0; run <= runs; ++run) {
        QFile::remove(ourPdf);
        // Ticking counts the pages of every sheet (and saves them while the
        // dialog waits): part of the time to the preview.
        QElapsedTimer t;
        t.start();
        dialog->fuellbtnClick();
        ourSheets = 0;
        for (QListWidget *list : {dialog->CheckListBox1(), dialog->CheckListBox2()})
            for (int i = 0; i < list->count(); ++i, ++ourSheets)
                list->item(i)->setCheckState(Qt::Checked);
        const qint64 ticked = t.nsecsElapsed();
        dialog->vorschaubtnClick();
        const double preview = double(t.nsecsElapsed()) / 1e6;
        // The preview holds the merged document loaded; its PDF is exported
        // from there.
        const engine::Document merged = engine::Document::load(dialog->mergedFile());
        ourDocumentPages = merged.pageCount();
        t.restart();
        const bool exported = engine::exportPdf(merged, ourPdf);
        const double pdf = preview + double(t.nsecsElapsed()) / 1e6;
        if (!exported) {
            std::fprintf(stderr, "error: our PDF %s could not be written\n", qPrintable(ourPdf));
            return 1;
        }
        if (run == 0) {
            ourFirst = pdf;
            continue;
        }
        toPreview.push_back(preview);
        toPdf.push_back(pdf);
        clicked.push_back(preview - double(ticked) / 1e6);
    }
    engine::setPreviewInterface(previews);
    form->hide();

    // The office suite: to PDF, each run with a fresh user profile, the
    // first (cold) run not counted.
    const QString outDir = dir.filePath(QStringLiteral("buero"));
    QDir().mkpath(outDir);
    const QString officePdf = QDir(outDir).filePath(QStringLiteral("sammeldruck.pdf"));
    const OfficeTimes officePdfTimes = officeTimes(soffice, fodt, QStringLiteral("pdf"), outDir, runs);
    if (!officePdfTimes.ok)
        return 1;
    const int ourPages = pdfPages(ourPdf), officePages = pdfPages(officePdf);

    // The nearest headless equivalent of the suite's preview: the PDF of the
    // first page only. The suite lays out the whole document to count its
    // pages and draws one, as a preview does; the photos beyond the first
    // page are not drawn.
    const QString firstDir = dir.filePath(QStringLiteral("seite1"));
    QDir().mkpath(firstDir);
    const QString firstPage =
        QStringLiteral("pdf:writer_pdf_Export:{\"PageRange\":{\"type\":\"string\",\"value\":\"1\"}}");
    const OfficeTimes officePreview = officeTimes(soffice, fodt, firstPage, firstDir, runs);
    const int previewPages = pdfPages(QDir(firstDir).filePath(QStringLiteral("sammeldruck.pdf")));

    // The same document with the photos as JPEG files, as a user of the
    // suite would more likely insert them: how much of its time the stored
    // bitmaps take.
    const QString jpegDocument = dir.filePath(QStringLiteral("sammeldruck-jpeg.fodt"));
    const int jpegSheets = writeOfficeDocument(program.tables(), program.session(), jpegDocument, "JPG");
    const QString jpegDir = dir.filePath(QStringLiteral("jpeg"));
    QDir().mkpath(jpegDir);
    const OfficeTimes jpeg = jpegSheets == officeSheets
                                 ? officeTimes(soffice, jpegDocument, QStringLiteral("pdf"), jpegDir, runs)
                                 : OfficeTimes();
    const int jpegPages = pdfPages(QDir(jpegDir).filePath(QStringLiteral("sammeldruck-jpeg.pdf")));

    // What starting the suite with a fresh profile costs by itself: one
    // empty page converted.
    const QString empty = dir.filePath(QStringLiteral("leer.fodt"));
    {
        QFile f(empty);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(documentHead);
        f.write(rowStyles());
        f.write("<text:p text:style-name=\"PFront\"/></office:text></office:body></office:document>\n");
    }
    const QString emptyDir = dir.filePath(QStringLiteral("leer"));
    QDir().mkpath(emptyDir);
    const OfficeTimes start = officeTimes(soffice, empty, QStringLiteral("pdf"), emptyDir, runs);

    const Result ourPreview{medianOf(toPreview), *std::min_element(toPreview.begin(), toPreview.end()),
                            *std::max_element(toPreview.begin(), toPreview.end())};
    const Result ourPdfTime{medianOf(toPdf), *std::min_element(toPdf.begin(), toPdf.end()),
                            *std::max_element(toPdf.begin(), toPdf.end())};
    report("office: ours, bulk print to the preview", runs, ourPreview);
    report("office: ours, bulk print to PDF", runs, ourPdfTime);
    std::printf("    (%d sheets ticked, the click alone %.0f ms, first run %.0f ms; merged document %d pages, "
                "PDF %d pages, %.1f MB)\n",
                ourSheets, medianOf(clicked), ourFirst, ourDocumentPages, ourPages,
                double(QFileInfo(ourPdf).size()) / 1e6);
    report("office: suite, document to PDF", runs, officePdfTimes.warm);
    std::printf("    (first run %.0f ms; PDF %d pages, %.1f MB)\n", officePdfTimes.first, officePages,
                double(QFileInfo(officePdf).size()) / 1e6);
    if (officePreview.ok && previewPages == 1) {
        report("office: suite, laid out, first page drawn", runs, officePreview.warm);
        std::printf("    (first run %.0f ms)\n", officePreview.first);
    } else {
        std::printf("    (no preview equivalent: the suite did not export the first page alone)\n");
    }
    if (jpeg.ok) {
        report("office: suite, photos as JPEG, to PDF", runs, jpeg.warm);
        std::printf("    (first run %.0f ms; document %.1f MB, PDF %d pages)\n", jpeg.first,
                    double(QFileInfo(jpegDocument).size()) / 1e6, jpegPages);
    } else {
        std::fprintf(stderr, "error: the document with JPEG photos could not be converted\n");
    }
    if (start.ok)
        report("office: suite, start with a fresh profile", runs, start.warm);

    bool ok = true;
    if (ourPages <= 0 || officePages <= 0) {
        std::fprintf(stderr, "error: a PDF has no pages (ours %d, the office suite's %d)\n", ourPages, officePages);
        ok = false;
    }
    if (ourPages != ourDocumentPages) {
        std::fprintf(stderr, "error: our PDF has %d pages, the merged document %d\n", ourPages, ourDocumentPages);
        ok = false;
    }
    if (!jpeg.ok || jpegPages != officePages) {
        std::fprintf(stderr, "error: %d pages with JPEG photos, %d with the stored ones\n", jpegPages, officePages);
        ok = false;
    }
    if (ourSheets != officeSheets) {
        std::fprintf(stderr, "error: %d sheets ticked, %d written for the office suite\n", ourSheets, officeSheets);
        ok = false;
    }
    if (!ok)
        return 1;
    std::printf("    pages: ours %d, the office suite's %d%s\n", ourPages, officePages,
                ourPages == officePages ? "" : " (not equal: compare per page)");
    std::printf("    to PDF: office suite / ours = %.1f; per page %.2f ms against %.2f ms (%.1f)\n",
                officePdfTimes.warm.median / ourPdfTime.median, officePdfTimes.warm.median / officePages,
                ourPdfTime.median / ourPages,
                (officePdfTimes.warm.median / officePages) / (ourPdfTime.median / ourPages));
    if (officePreview.ok && previewPages == 1)
        std::printf("    to the preview: office suite / ours = %.1f\n", officePreview.warm.median / ourPreview.median);
    std::printf("    to PDF with the photos as JPEG: office suite / ours = %.1f\n",
                jpeg.warm.median / ourPdfTime.median);
    if (start.ok)
        std::printf("    without the suite's start with a fresh profile: to PDF %.1f, to the preview %.1f\n",
                    (officePdfTimes.warm.median - start.warm.median) / ourPdfTime.median,
                    (officePreview.warm.median - start.warm.median) / ourPreview.median);
    // LERNORA_BENCH_BUERO=DIR keeps both PDFs and the office document there.
    if (const QString keep = qEnvironmentVariable("LERNORA_BENCH_BUERO"); !keep.isEmpty()) {
        QDir().mkpath(keep);
        for (const QString &file : {ourPdf, officePdf, fodt, jpegDocument}) {
            const QString target = QDir(keep).filePath(QFileInfo(file).fileName());
            QFile::remove(target);
            QFile::copy(file, target);
        }
    }
    return 0;
}

} // namespace bench
