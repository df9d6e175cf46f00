// The bulk print at real sizes: one, three and ten training years. To the
// preview (every sheet rendered, saved, merged and the merged file loaded),
// the size of the merged file, its PDF, and turning the pages of its preview.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "benchdata.h"
#include "benchsupport.h"
#include "print/bulkprint.h"
#include "print/engine/document.h"
#include "print/engine/pdfbook.h"
#include "print/engine/previewinterface.h"
#include "print/engine/previewview.h"
#include "store/tableset.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

namespace bench {

namespace {

// Turning the pages of a preview of the document one by one: the median
// time from the turn to the page painted, the program given time between
// turns (a reader looks at a page); and the same with no time between, as
// when the key is held down, the work done for the page after included.
void pageTurns(const engine::Document &document)
{
    engine::PreviewView view;
    view.resize(900, 1000);
    view.setDocument(&document);
    view.show();
    QApplication::processEvents();
    view.viewport()->repaint();
    // The turns must really paint: the paint events are counted.
    struct PaintCount : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    view.viewport()->installEventFilter(&counter);
    const int turns = std::min(40, document.pageCount() - 1);
    if (turns < 3)
        return;
    int page = 1;
    const auto turn = [&] {
        view.setPageNumber(++page);
        view.viewport()->repaint();
    };
    const Result looked = measure(turns, turn, [] { QApplication::processEvents(); });
    report("sizes: bulk print, next page in the preview", turns, looked);
    view.setPageNumber(1);
    page = 1;
    QApplication::processEvents();
    const Result held = measure(turns, [&] {
        turn();
        QApplication::processEvents();
    });
    report("sizes: bulk print, next page, no time between", turns, held);
    std::printf("    (%d page turns painted %d times)\n", 2 * turns, counter.paints);
}

// Every front and back sheet of the years (of ten years: of one of them);
// up to three years one picture on every back sheet, of ten two pictures on
// every second one.
void bulkPrint(int years)
{
    QTemporaryDir dir;
    const ReportData data = trainingYears(years);
    makeDataDirectory(dir.path(), data);
    InDirectory in(dir.path());
    StandIns user;
    lernora::Application program;
    if (years <= 3)
        program.tables().exec(QStringLiteral("UPDATE bericht SET Bild2=NULL"));
    TMainForm *form = program.mainForm();
    form->show();
    QApplication::processEvents();
    auto *dialog = form->findChild<Tdrauswdlg *>(QStringLiteral("drauswdlg"));
    // The merged document is loaded; without a preview interface it is not
    // shown, so the time is the time to a document ready for preview.
    engine::PreviewInterface *previews = engine::previewInterface();
    engine::setPreviewInterface(nullptr);
    std::printf("  %d training year%s:\n", years, years == 1 ? "" : "s");
    {
        const Result counted = measure(3, [&] {
            dialog->fuellbtnClick();
            for (const char *name : {"auswahlVbtn", "auswahlRbtn"})
                dialog->findChild<QPushButton *>(QLatin1String(name))->click();
        });
        report("sizes: bulk print, extent of every sheet counted for the dialog", 3, counted);
        std::printf("    (%d pages; toggling the two-sided layout afterwards: %.1f ms)\n", dialog->extent().pages,
                    measure(3, [&] { dialog->beidseitigcheck()->toggle(); }).median);
    }
    const double before = peakResidentMb();
    const int runs = 3;
    int sheets = 0;
    const auto tick = [&] {
        dialog->fuellbtnClick();
        sheets = 0;
        for (QListWidget *list : {dialog->CheckListBox1(), dialog->CheckListBox2()})
            for (int i = 0; i < std::min(list->count(), years <= 3 ? list->count() : 52); ++i, ++sheets)
                list->item(i)->setCheckState(Qt::Checked);
    };
    const QByteArray name = (years <= 3 ? QStringLiteral("sizes: bulk print, %1 years to the preview")
                                        : QStringLiteral("sizes: bulk print of one year out of %1 to the preview"))
                                .arg(years)
                                .toLatin1();
    const Result r = measure(runs, [&] { dialog->vorschaubtnClick(); }, tick);
    report((name + ", clicked at once").constData(), runs, r);
    std::printf("    (%d sheets, %.2f ms per sheet; peak resident %.0f MB before, %.0f MB after)\n", sheets,
                r.median / std::max(sheets, 1), before, peakResidentMb());
    if (years <= 3) {
        // As the apprentice uses it: the dialog shows while the lines are
        // ticked and saves their sheets while it waits for the click.
        dialog->show();
        std::vector<double> waited;
        const Result idle = measure(runs, [&] { dialog->vorschaubtnClick(); }, [&] {
            tick();
            QElapsedTimer time;
            time.start();
            const QDir dir(dialog->directory());
            while (dir.entryList({QStringLiteral("*.qrp")}, QDir::Files).size() < sheets
                   && time.elapsed() < 60000)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            waited.push_back(double(time.elapsed()));
        });
        report((name + ", the sheets saved while the dialog waited").constData(), runs, idle);
        std::sort(waited.begin(), waited.end());
        std::printf("    (saving them took %.0f ms of waiting after the ticks, median)\n", waited[waited.size() / 2]);
        dialog->hide();
    }
    const engine::Document merged = engine::Document::load(dialog->mergedFile());
    const QString pdf = dir.filePath(QStringLiteral("alle.pdf"));
    report("sizes: bulk print, PDF of the merged document", runs,
           measure(runs, [&] { engine::exportPdf(merged, pdf); }));
    std::printf("    (%d pages, merged file alle.qrp %.1f MB, PDF %.1f MB)\n", merged.pageCount(),
                double(QFile(dialog->mergedFile()).size()) / 1e6, double(QFile(pdf).size()) / 1e6);
    {
        // The same on this thread alone, as before the pages were drawn on
        // workers: the ratio shows what the workers bring on this machine.
        engine::pdfbook::setWorkers(1, 24);
        const Result alone = measure(runs, [&] { engine::exportPdf(merged, pdf); });
        engine::pdfbook::setWorkers(0, 24);
        report("sizes: bulk print, PDF of the merged document on one thread", runs, alone);
        std::printf("    (PDF %.1f MB; %d processor threads)\n", double(QFile(pdf).size()) / 1e6,
                    QThread::idealThreadCount());
    }
    {
        // The window is repainted between pages: the longest time the export
        // goes without telling its progress, the end of the file included.
        QElapsedTimer since;
        double longest = 0;
        const auto gap = [&] { longest = std::max(longest, since.nsecsElapsed() / 1e6); };
        since.start();
        engine::exportPdf(merged, pdf, [&](int, int) {
            gap();
            since.restart();
            return true;
        });
        gap();
        std::printf("    (longest step of the PDF export without telling its progress: %.1f ms)\n", longest);
    }
    pageTurns(merged);
    engine::setPreviewInterface(previews);
    form->hide();
}

} // namespace

void bulkBenchmarks()
{
    for (int years : {1, 3, 10})
        bulkPrint(years);
}

} // namespace bench
