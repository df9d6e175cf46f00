#include "pdfbook.h"

#include "clock.h"
#include "pdfobjects.h"
#include "pdfphotos.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

namespace engine {

int pageCount(const PdfBook &book)
{
    int pages = 0;
    for (const PdfPart &part : book.parts)
        pages += part.pages;
    return pages;
}

namespace {

FileError failed(const QString &fileName)
{
    return FileError(QStringLiteral("Die PDF-Datei „%1“ kann nicht geschrieben werden. Bitte prüfen Sie, ob auf "
                                    "dem Datenträger Platz frei ist und ob Sie in seinem Ordner schreiben dürfen.")
                         .arg(fileName));
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;"));
}

QByteArray xmp(const PdfProperties &p, const QByteArray &producer, const QDateTime &created)
{
    const QString date = created.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
    const auto alt = [](const char *name, const QString &text) {
        return QStringLiteral("      <%1><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li></rdf:Alt></%1>\n")
            .arg(QLatin1String(name), xmlEscaped(text));
    };
    QString dc = alt("dc:title", p.title);
    if (!p.author.isEmpty())
        dc += QStringLiteral("      <dc:creator><rdf:Seq><rdf:li>%1</rdf:li></rdf:Seq></dc:creator>\n")
                  .arg(xmlEscaped(p.author));
    if (!p.subject.isEmpty())
        dc += alt("dc:description", p.subject);
    QString text =
        QStringLiteral("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                       "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                       "  <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                       "    <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                       "%1"
                       "    </rdf:Description>\n"
                       "    <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
                       "xmp:CreatorTool=\"%2\" xmp:CreateDate=\"%3\" xmp:ModifyDate=\"%3\"/>\n"
                       "    <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" "
                       "pdf:Producer=\"%4\"/>\n")
            .arg(dc, xmlEscaped(p.creator), date, xmlEscaped(QString::fromLatin1(producer)));
    if (p.archival)
        text += QStringLiteral("    <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\" "
                               "pdfaid:part=\"1\" pdfaid:conformance=\"B\"/>\n");
    text += QStringLiteral("  </rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>");
    return text.toUtf8();
}

// The outline items of one level under `parent`, numbered from `next`;
// returns the numbers of the level's items.
QVector<int> addLevel(pdfobjects::Objects &objects, const QVector<PdfBookmark> &items, int parent,
                      const QVector<int> &pageObjects)
{
    // Numbers first: each item names its neighbours.
    QVector<int> numbers;
    for (qsizetype i = 0; i < items.size(); ++i)
        numbers << objects.add(QByteArray());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const PdfBookmark &b = items.at(i);
        const int page = qBound(1, b.page, int(pageObjects.size()));
        QByteArray body = "<<\n/Title " + pdfobjects::textString(b.title) + "\n/Parent "
                          + QByteArray::number(parent) + " 0 R\n/Dest [" + QByteArray::number(pageObjects.at(page - 1))
                          + " 0 R /XYZ null null null]\n";
        if (i > 0)
            body += "/Prev " + QByteArray::number(numbers.at(i - 1)) + " 0 R\n";
        if (i + 1 < items.size())
            body += "/Next " + QByteArray::number(numbers.at(i + 1)) + " 0 R\n";
        if (!b.children.isEmpty()) {
            const QVector<int> children = addLevel(objects, b.children, numbers.at(i), pageObjects);
            // Closed: the count of the items under it, negative.
            body += "/First " + QByteArray::number(children.first()) + " 0 R\n/Last "
                    + QByteArray::number(children.last()) + " 0 R\n/Count -"
                    + QByteArray::number(children.size()) + "\n";
        }
        objects.replace(numbers.at(i), body + ">>");
    }
    return numbers;
}

} // namespace

namespace pdfbook {

bool finish(QByteArray &pdf, const QVector<PdfBookmark> &outline, const PdfProperties &properties)
{
    pdfobjects::Objects objects;
    if (!objects.read(pdf))
        return false;
    const int root = objects.trailerReference("/Root");
    if (root <= 0 || !objects.has(root))
        return false;
    QByteArray catalog = objects.body(root);
    const qint64 pagesObject = pdfobjects::numberAfter(catalog, "/Pages");
    if (pagesObject <= 0 || !objects.has(int(pagesObject)))
        return false;
    // The pages in their order: Qt writes them as the kids of one node.
    const QByteArray pages = objects.body(int(pagesObject));
    const qsizetype kidsAt = pages.indexOf("/Kids");
    const qsizetype kidsEnd = pages.indexOf(']', kidsAt);
    if (kidsAt < 0 || kidsEnd < 0)
        return false;
    QVector<int> pageObjects;
    static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
    for (const auto &m : reference.globalMatch(QString::fromLatin1(pages.mid(kidsAt, kidsEnd - kidsAt))))
        pageObjects << m.captured(1).toInt();
    if (pageObjects.isEmpty())
        return false;

    // The document information and the XMP metadata say the same.
    QDateTime created = (properties.created.isValid() ? properties.created : engine::now()).toUTC();
    created.setTime(QTime(created.time().hour(), created.time().minute(), created.time().second()));
    const QByteArray producer = "Qt " + QByteArray(qVersion());
    QByteArray info = "<<\n/Title " + pdfobjects::textString(properties.title) + "\n";
    if (!properties.author.isEmpty())
        info += "/Author " + pdfobjects::textString(properties.author) + "\n";
    if (!properties.subject.isEmpty())
        info += "/Subject " + pdfobjects::textString(properties.subject) + "\n";
    const QByteArray date = "(D:" + created.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)";
    info += "/Creator " + pdfobjects::textString(properties.creator) + "\n/Producer "
            + pdfobjects::textString(QString::fromLatin1(producer)) + "\n/CreationDate " + date + "\n/ModDate " + date
            + "\n";
    // Where readers look for the kind of an archival file.
    if (properties.archival)
        info += "/GTS_PDFA1Version (PDF/A-1b:2005)\n";
    info += ">>";
    const int infoObject = objects.trailerReference("/Info");
    if (infoObject <= 0 || !objects.has(infoObject))
        return false;
    objects.replace(infoObject, info);
    const QByteArray metadata = xmp(properties, producer, created);
    const QByteArray stream = "<<\n/Type /Metadata /Subtype /XML\n/Length " + QByteArray::number(metadata.size())
                              + "\n>>\nstream\n" + metadata + "\nendstream";
    bool indirect = false;
    const qint64 metadataObject = pdfobjects::numberAfter(catalog, "/Metadata", &indirect);
    QByteArray added;
    if (metadataObject > 0 && indirect && objects.has(int(metadataObject)))
        objects.replace(int(metadataObject), stream);
    else
        added += "/Metadata " + QByteArray::number(objects.add(stream)) + " 0 R\n";

    // The outline, open at its first level, and the page numbers.
    if (!outline.isEmpty()) {
        const int outlines = objects.add(QByteArray());
        const QVector<int> top = addLevel(objects, outline, outlines, pageObjects);
        objects.replace(outlines, "<<\n/Type /Outlines\n/First " + QByteArray::number(top.first()) + " 0 R\n/Last "
                                      + QByteArray::number(top.last()) + " 0 R\n/Count "
                                      + QByteArray::number(top.size()) + "\n>>");
        added += "/Outlines " + QByteArray::number(outlines) + " 0 R\n/PageMode /UseOutlines\n";
    }
    added += "/PageLabels << /Nums [0 << /S /D >>] >>\n";
    const qsizetype open = catalog.indexOf("<<");
    if (open < 0)
        return false;
    catalog.insert(open + 2, "\n" + added);
    objects.replace(root, catalog);
    pdf = objects.written();
    return true;
}

} // namespace pdfbook

bool exportPdf(const PdfBook &book, const QString &fileName, const PdfProgress &progress)
{
    // Written in memory first: the photos go in afterwards (see pdfphotos.h),
    // then the outline and the properties. The file is written beside its
    // place and renamed into it when complete: an export that fails (a full
    // disk) or is cancelled leaves the file of that name as it was.
    enum class Outcome { Written, Cancelled, Unexpected };
    const int total = pageCount(book);
    const auto written = [&](bool standIns, QByteArray &bytes) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        if (book.properties.archival)
            pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        pdf.setResolution(1200);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(book.properties.title);
        pdf.setCreator(book.properties.creator);
        QPainter p;
        Document::PrintedPictures pictures(300, 64ll << 20, standIns);
        int n = 0;
        for (const PdfPart &part : book.parts) {
            if (part.pages <= 0)
                continue;
            // Told before the part is made: making it may take a while.
            if (progress && !progress(n + 1, total)) {
                if (p.isActive())
                    p.end();
                return Outcome::Cancelled;
            }
            const Document document = part.document();
            if (document.pageCount() != part.pages)
                throw FileError(QStringLiteral("Die Seiten der PDF-Datei „%1“ haben sich beim Schreiben geändert. "
                                               "Bitte speichern Sie die Datei noch einmal.")
                                    .arg(fileName));
            const QPageSize size(document.pageSize() / unitsPerMm, QPageSize::Millimeter);
            // The pictures kept are the last part's, numbered as its own.
            pictures.nextDocument();
            for (int page = 1; page <= document.pageCount(); ++page) {
                ++n;
                if (page > 1 && progress && !progress(n, total)) {
                    p.end();
                    return Outcome::Cancelled;
                }
                if (!pdf.pageLayout().pageSize().isEquivalentTo(size))
                    pdf.setPageSize(size);
                if (n == 1 ? !p.begin(&pdf) : !pdf.newPage())
                    throw failed(fileName);
                const QRectF target(0, 0, pdf.width(), pdf.height());
                document.paint(p, page, target, pictures);
                if (book.overPage) {
                    p.save();
                    p.scale(target.width() / document.pageSize().width(),
                            target.height() / document.pageSize().height());
                    book.overPage(p, n, total);
                    p.restore();
                }
            }
        }
        // No page at all: one empty page, as a PDF file needs one.
        if ((n == 0 && !p.begin(&pdf)) || !p.end())
            throw failed(fileName);
        return !standIns || pdfphotos::putPhotos(bytes, pictures.photos()) ? Outcome::Written : Outcome::Unexpected;
    };
    QByteArray bytes;
    Outcome outcome = written(true, bytes);
    if (outcome == Outcome::Unexpected) {
        // Not laid out as expected: Qt's own pictures, then.
        bytes.clear();
        outcome = written(false, bytes);
    }
    if (outcome == Outcome::Cancelled)
        return false;
    const PdfProperties &props = book.properties;
    if (props.archival || !book.outline.isEmpty() || !props.author.isEmpty() || !props.subject.isEmpty())
        pdfbook::finish(bytes, book.outline, props); // else Qt's own information and metadata stay
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw failed(fileName);
    return true;
}

} // namespace engine
