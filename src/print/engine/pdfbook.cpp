#include "pdfbook.h"

#include "clock.h"
#include "pdfjoin.h"
#include "pdfobjects.h"
#include "pdfphotos.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QMutex>
#include <QSaveFile>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <deque>
#include <exception>
#include <map>
#include <optional>
#include <thread>

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
    // The pages in their order: Qt writes them as the kids of one node.
    int pagesNode = 0;
    QVector<int> pageObjects;
    if (!pdfobjects::pageTree(objects, pagesNode, pageObjects))
        return false;
    const int root = objects.trailerReference("/Root");
    QByteArray catalog = objects.body(root);

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

namespace {

enum class Outcome { Written, Cancelled, Unexpected };

// Pages `first` to `last` of part `part`, the first numbered `number` in
// the book.
struct Slice
{
    int part = 0, first = 1, last = 0, number = 1;
};

// Test settings: the most workers (0: one per processor thread) and the
// fewest pages worth a worker.
int workerLimit = 0;
int pagesPerWorker = 24;

// Writes the slices' pages as one PDF Qt makes. `documentOf` gives a
// part's document (none when the export was cancelled meanwhile);
// `beforePage` is told each page's number in the book before it is drawn
// (for a slice's first page before its document is asked for) and
// cancels by returning false.
Outcome written(const PdfBook &book, const std::vector<Slice> &slices, bool standIns,
                const std::function<std::optional<Document>(int part)> &documentOf,
                const std::function<bool(int number)> &beforePage, QByteArray &bytes, const QString &fileName)
{
    const int total = pageCount(book);
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
    const auto cancelled = [&] {
        if (p.isActive())
            p.end();
        return Outcome::Cancelled;
    };
    bool begun = false;
    for (const Slice &slice : slices) {
        // Told before the part is made: making it may take a while.
        if (!beforePage(slice.number))
            return cancelled();
        const std::optional<Document> document = documentOf(slice.part);
        if (!document)
            return cancelled();
        const QPageSize size(document->pageSize() / unitsPerMm, QPageSize::Millimeter);
        // The pictures kept are the last part's, numbered as its own.
        pictures.nextDocument();
        for (int page = slice.first; page <= slice.last; ++page) {
            const int n = slice.number + page - slice.first;
            if (page > slice.first && !beforePage(n))
                return cancelled();
            if (!pdf.pageLayout().pageSize().isEquivalentTo(size))
                pdf.setPageSize(size);
            if (!begun ? !p.begin(&pdf) : !pdf.newPage())
                throw failed(fileName);
            begun = true;
            const QRectF target(0, 0, pdf.width(), pdf.height());
            document->paint(p, page, target, pictures);
            if (book.overPage) {
                p.save();
                p.scale(target.width() / document->pageSize().width(),
                        target.height() / document->pageSize().height());
                book.overPage(p, n, total);
                p.restore();
            }
        }
    }
    // No page at all: one empty page, as a PDF file needs one.
    if ((!begun && !p.begin(&pdf)) || !p.end())
        throw failed(fileName);
    return !standIns || pdfphotos::putPhotos(bytes, pictures.photos()) ? Outcome::Written : Outcome::Unexpected;
}

// The part's document, made where the caller runs; one of another page
// count means the data changed under the export.
Document madeDocument(const PdfBook &book, int part, const QString &fileName)
{
    Document document = book.parts.at(size_t(part)).document();
    if (document.pageCount() != book.parts.at(size_t(part)).pages)
        throw FileError(QStringLiteral("Die Seiten der PDF-Datei „%1“ haben sich beim Schreiben geändert. "
                                       "Bitte speichern Sie die Datei noch einmal.")
                            .arg(fileName));
    return document;
}

// The book's pages in `workers` runs of about equal length.
std::vector<std::vector<Slice>> runs(const PdfBook &book, int workers)
{
    const int total = pageCount(book);
    std::vector<std::vector<Slice>> result(static_cast<size_t>(workers));
    for (int w = 0; w < workers; ++w) {
        const int from = w * total / workers + 1, to = (w + 1) * total / workers;
        int before = 0;
        for (size_t part = 0; part < book.parts.size(); ++part) {
            const int pages = std::max(0, book.parts[part].pages);
            const int first = std::max(from, before + 1), last = std::min(to, before + pages);
            if (first <= last)
                result[size_t(w)].push_back({int(part), first - before, last - before, first});
            before += pages;
        }
    }
    return result;
}

// The pages drawn on worker threads, each run into a file of its own, and
// joined. The parts' documents are made here, on the calling thread, when
// a worker asks for them, and each is let go once every run that needs it
// has its copy; progress is told here too.
Outcome inParallel(const PdfBook &book, int workers, const QString &fileName, const PdfProgress &progress,
                   QByteArray &bytes)
{
    const int total = pageCount(book);
    const std::vector<std::vector<Slice>> slices = runs(book, workers);
    std::map<int, int> takers; // part -> runs still to take it
    for (const auto &run : slices)
        for (const Slice &slice : run)
            ++takers[slice.part];

    QMutex mutex;
    QWaitCondition toCaller, toWorkers;
    std::deque<std::pair<int, int>> asked; // (worker, part)
    std::vector<std::optional<Document>> handed(static_cast<size_t>(workers));
    std::vector<bool> served(static_cast<size_t>(workers), false);
    std::atomic<bool> cancelled{false};
    std::atomic<int> drawn{0};
    int finished = 0;
    std::exception_ptr error;
    const auto fail = [&](std::exception_ptr e) {
        QMutexLocker lock(&mutex);
        if (!error)
            error = e;
        cancelled = true;
        toWorkers.wakeAll();
    };

    std::vector<QByteArray> files(static_cast<size_t>(workers));
    std::vector<Outcome> outcomes(static_cast<size_t>(workers), Outcome::Cancelled);
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            const auto documentOf = [&](int part) -> std::optional<Document> {
                QMutexLocker lock(&mutex);
                asked.emplace_back(w, part);
                toCaller.wakeAll();
                while (!served[size_t(w)])
                    toWorkers.wait(&mutex);
                served[size_t(w)] = false;
                std::optional<Document> document = std::move(handed[size_t(w)]);
                handed[size_t(w)].reset();
                return document;
            };
            const auto beforePage = [&](int) {
                ++drawn;
                return !cancelled;
            };
            try {
                outcomes[size_t(w)] = written(book, slices[size_t(w)], true, documentOf, beforePage,
                                              files[size_t(w)], fileName);
            } catch (...) {
                fail(std::current_exception());
            }
            QMutexLocker lock(&mutex);
            ++finished;
            toCaller.wakeAll();
        });
    }

    std::map<int, Document> made;
    QMutexLocker lock(&mutex);
    while (finished < workers) {
        toCaller.wait(&mutex, 40);
        std::deque<std::pair<int, int>> now;
        now.swap(asked);
        lock.unlock();
        for (const auto &[worker, part] : now) {
            std::optional<Document> document;
            if (!cancelled) {
                try {
                    auto it = made.find(part);
                    if (it == made.end())
                        it = made.emplace(part, madeDocument(book, part, fileName)).first;
                    document = it->second.forAnotherThread();
                    if (--takers[part] == 0)
                        made.erase(it);
                } catch (...) {
                    fail(std::current_exception());
                }
            }
            QMutexLocker handing(&mutex);
            handed[size_t(worker)] = std::move(document);
            served[size_t(worker)] = true;
            toWorkers.wakeAll();
        }
        // Whatever the caller's progress does, the workers are let go before
        // this returns.
        try {
            if (progress && !cancelled && !progress(std::min(total, drawn + 1), total)) {
                QMutexLocker stopping(&mutex);
                cancelled = true;
            }
        } catch (...) {
            fail(std::current_exception());
        }
        lock.relock();
    }
    lock.unlock();
    for (std::thread &t : threads)
        t.join();
    if (error)
        std::rethrow_exception(error);
    if (cancelled)
        return Outcome::Cancelled;
    for (Outcome o : outcomes)
        if (o != Outcome::Written)
            return o;
    return pdfobjects::join(files, bytes) ? Outcome::Written : Outcome::Unexpected;
}

} // namespace

namespace pdfbook {
void setWorkers(int most, int fewestPages)
{
    workerLimit = most;
    pagesPerWorker = std::max(1, fewestPages);
}
} // namespace pdfbook

bool exportPdf(const PdfBook &book, const QString &fileName, const PdfProgress &progress)
{
    // Written in memory first: the photos go in afterwards (see pdfphotos.h),
    // then the outline and the properties. The file is written beside its
    // place and renamed into it when complete: an export that fails (a full
    // disk) or is cancelled leaves the file of that name as it was.
    const int total = pageCount(book);
    // Many pages are drawn on as many threads as the machine has.
    const int threads = workerLimit > 0 ? workerLimit : std::min(8, QThread::idealThreadCount());
    const int workers = std::min(threads, total / pagesPerWorker);
    QByteArray bytes;
    Outcome outcome = workers > 1 ? inParallel(book, workers, fileName, progress, bytes) : Outcome::Unexpected;
    // One run on this thread: when it is worth no workers, or the files
    // were not laid out as expected, first with our photos, then with Qt's.
    for (const bool standIns : {true, false}) {
        if (outcome != Outcome::Unexpected)
            break;
        bytes.clear();
        outcome = written(
            book, runs(book, 1).front(), standIns, [&](int part) { return std::optional<Document>(madeDocument(book, part, fileName)); },
            [&](int n) { return !progress || progress(n, total); }, bytes, fileName);
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
