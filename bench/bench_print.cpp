// The report engine: rendering 300 pages of a mixed form (text, a long
// formatted text, rules, pictures), saving them as a saved report file,
// merging three files of 100 pages, and exporting 300 pages as PDF.

#include "bench.h"
#include "print/engine/document.h"
#include "testform.h"

#include <QFile>
#include <QTemporaryDir>

namespace bench {

void printBenchmarks()
{
    QTemporaryDir dir;
    // About 17 detail rows fit a page; the summary adds a few pages.
    auto form = testsupport::makeTestForm(4750, 80);
    engine::Document doc;
    const int runs = 5;
    report("print: render a mixed form", runs, measure(runs, [&] { doc = form->report->render(); },
                                                       [&] { testsupport::rewind(*form); }));
    std::printf("    (%d pages)\n", doc.pageCount());

    const QString file = dir.filePath(QStringLiteral("alle.qrp"));
    report("print: save those pages", runs, measure(runs, [&] { doc.save(file); }));
    std::printf("    (%lld bytes)\n", static_cast<long long>(QFile(file).size()));
    report("print: load them", runs, measure(runs, [&] { engine::Document::load(file); }));

    // Three files of 100 pages merged into one.
    QStringList parts;
    for (int i = 0; i < 3; ++i) {
        const QString part = dir.filePath(QStringLiteral("part%1.qrp").arg(i));
        engine::copyPageRange(file, part, i * 100 + 1, i * 100 + 100);
        parts << part;
    }
    report("print: merge 3 files of 100 pages", runs, measure(runs, [&] {
               engine::mergeReportFiles(dir.filePath(QStringLiteral("merged.qrp")), &parts);
           }));

    const QString pdf = dir.filePath(QStringLiteral("alle.pdf"));
    report("print: export as PDF", 3, measure(3, [&] { engine::exportPdf(doc, pdf); }));
    std::printf("    (%lld bytes)\n", static_cast<long long>(QFile(pdf).size()));
}

} // namespace bench
