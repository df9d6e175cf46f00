// The PDF of weekly reports with photos: the back sheets of training years
// of reports, each with two 800 x 600 photos of its own, exported as PDF;
// the bytes per report and the time per page.

#include "bench.h"
#include "benchdata.h"
#include "print/backsheet.h"
#include "print/engine/document.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace field = store::field;

namespace bench {

namespace {

// The back sheets of every report with pictures (of the first training year
// at most when `oneYear`), the pictures shown at `zoom` per cent as the
// editor shows them, exported three times.
void backSheetsAsPdf(int years, int zoom, bool oneYear)
{
    QTemporaryDir dir;
    makeDataDirectory(dir.path(), trainingYears(years));
    store::TableSet tables(QDir(dir.path()).filePath(QStringLiteral("daten")));
    tables.openAtStart();
    store::Session session;
    Tqrruecksform form(tables, session);
    const QSize shown = Tqrruecksform::displaySize(QSize(800, 600), zoom);
    form.setPictureDisplaySize(0, shown);
    form.setPictureDisplaySize(1, shown);
    engine::Document doc;
    int reports = 0;
    store::Table &rows = tables.berichttable();
    int row = 0;
    for (rows.first(); !rows.eof() && !(oneYear && row >= 52); rows.next(), ++row) {
        if (rows.asBytes(field::Bild1).isEmpty() || rows.asBytes(field::Bild2).isEmpty())
            continue;
        const engine::Document sheet = form.QuickRep().render();
        for (int n = 1; n <= sheet.pageCount(); ++n)
            doc.addPage(sheet, n);
        ++reports;
    }
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("rueckseiten.pdf"));
    const int runs = 3;
    const Result r = measure(runs, [&] { engine::exportPdf(doc, pdf); });
    const QByteArray name = QStringLiteral("pdf: back sheets, %1 year%2%3, zoom %4")
                                .arg(years)
                                .arg(years > 1 ? QStringLiteral("s") : QString())
                                .arg(oneYear && years > 1 ? QStringLiteral(" (one of them)") : QString())
                                .arg(zoom)
                                .toLatin1();
    report(name.constData(), runs, r);
    const qint64 bytes = QFile(pdf).size();
    std::printf("    (%d reports with two photos shown %dx%d, %d pages; PDF %lld bytes, %.1f KB per report, "
                "%.2f ms per page)\n",
                reports, shown.width(), shown.height(), doc.pageCount(), static_cast<long long>(bytes),
                double(bytes) / 1024.0 / std::max(reports, 1), r.median / std::max(doc.pageCount(), 1));
}

} // namespace

void pdfSizes()
{
    // A picture newly loaded in the editor is shown at 50 %; the sheet's own
    // default box (145 pixels) is about 16 %.
    backSheetsAsPdf(1, 16, false);
    for (int years : {1, 3})
        backSheetsAsPdf(years, 50, false);
    backSheetsAsPdf(10, 50, true);
}

} // namespace bench
