#pragma once

// One PDF file of many documents: each part's pages in turn, the parts made
// one at a time when their pages are written (so that their pictures are
// not all held at once), every page given its number in the file, with an
// outline (bookmarks), page labels and the document's properties. With
// `archival` the file is PDF/A-1b: its fonts embedded, an sRGB output
// intent, and the properties in the document information and, alike, in
// its XMP metadata.

#include "document.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

class QPainter;

namespace engine {

// A bookmark: its title, the page it opens (1 for the file's first), and
// the bookmarks under it.
struct PdfBookmark
{
    QString title;
    int page = 1;
    QVector<PdfBookmark> children;
};

struct PdfProperties
{
    QString title;
    QString author;
    QString subject;
    QString creator = QStringLiteral("Lernora");
    QDateTime created; // invalid: the engine's clock
    bool archival = true;
};

// A part of the file: its page count, known before any page is written,
// and how to make its document when its pages come. A document of another
// page count is an error (the data changed under the export).
struct PdfPart
{
    int pages = 0;
    std::function<Document()> document;
};

struct PdfBook
{
    std::vector<PdfPart> parts;
    QVector<PdfBookmark> outline;
    PdfProperties properties;
    // Draws over page `page` of `pages` after its document's drawing; the
    // painter's coordinates are 0.1 mm from the page's top-left corner.
    // Called on the threads the pages are drawn on, several at a time.
    std::function<void(QPainter &painter, int page, int pages)> overPage;
};

// The pages of the parts in their order.
int pageCount(const PdfBook &book);

// Writes the book as a PDF file, a long one on worker threads; the parts'
// documents are made on the calling thread, and `progress` is told there
// the page the drawing has come to. Returns false when progress cancelled;
// the file of that name then stays as it was, as it does when the export
// fails. Throws FileError.
bool exportPdf(const PdfBook &book, const QString &fileName, const PdfProgress &progress = {});

namespace pdfbook {
// Puts the outline, the page labels (numbers from 1, as the pages are
// counted) and the properties into a PDF Qt wrote (in its XMP too, which an
// archival file must keep in step). False, with `pdf` unchanged, when the
// file is not laid out as expected.
bool finish(QByteArray &pdf, const QVector<PdfBookmark> &outline, const PdfProperties &properties);
// For tests: at most `most` workers (0: one per processor thread), each for
// at least `fewestPages` pages.
void setWorkers(int most, int fewestPages);
} // namespace pdfbook

} // namespace engine
