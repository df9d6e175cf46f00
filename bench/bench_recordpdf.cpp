// The whole record as one PDF at real size: three training years, two
// 800 x 600 photos on every second report, against the bulk print of the
// same sheets to a PDF. Each run in a process of its own, so that its peak
// memory is its own: the time, the peak resident memory above the one of
// the started program, and the size of the file.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "benchdata.h"
#include "benchsupport.h"
#include "domain/fingerprint.h"
#include "print/bulkprint.h"
#include "print/engine/document.h"
#include "print/engine/previewinterface.h"
#include "print/recordpdf.h"
#include "store/tableset.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

namespace bench {

int recordPdfChild(const QString &dir, const QString &kind)
{
    InDirectory in(dir);
    StandIns user;
    lernora::Application program;
    TMainForm *form = program.mainForm();
    form->show();
    QApplication::processEvents();
    const double before = peakResidentMb();
    const QString pdf = QDir(dir).filePath(kind + QStringLiteral(".pdf"));
    QElapsedTimer t;
    t.start();
    if (kind == QLatin1String("whole")) {
        RecordPdf record(program.tables(),
                         {&program.qrmdform(), &program.qruebersichtform(), &program.reportreportform(),
                          &program.berichtform(), &program.qrruecksform()});
        const std::optional<engine::PdfBook> book = record.book(domain::recordFingerprint(program.tables()));
        if (!book || !engine::exportPdf(*book, pdf))
            return 1;
    } else {
        // Every sheet ticked, merged, loaded (no preview shown) and exported.
        auto *dialog = form->findChild<Tdrauswdlg *>(QStringLiteral("drauswdlg"));
        engine::setPreviewInterface(nullptr);
        dialog->fuellbtnClick();
        for (QListWidget *list : {dialog->CheckListBox1(), dialog->CheckListBox2()})
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(Qt::Checked);
        dialog->vorschaubtnClick();
        engine::exportPdf(engine::Document::load(dialog->mergedFile()), pdf);
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("%.3f %.1f %lld\n", ms, peakResidentMb() - before, static_cast<long long>(QFile(pdf).size()));
    form->hide();
    return 0;
}

void recordPdf()
{
    QTemporaryDir dir;
    ReportData data = trainingYears(3);
    data.pictureEvery = 2;
    makeDataDirectory(dir.path(), data);
    const int runs = 3;
    struct Runs
    {
        std::vector<double> ms, mb, bytes;
        double median(std::vector<double> &v) const
        {
            std::sort(v.begin(), v.end());
            return v.empty() ? 0 : v[v.size() / 2];
        }
    } whole, bulk;
    // In turn, so that both meet the same machine.
    for (int i = 0; i < runs; ++i) {
        for (Runs *r : {&whole, &bulk}) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TMPDIR"), dir.path());
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--recordpdf"), dir.path(),
                         r == &whole ? QStringLiteral("whole") : QStringLiteral("bulk")});
            child.waitForFinished(600000);
            const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
            if (out.size() < 3) {
                std::fprintf(stderr, "record PDF run failed\n");
                return;
            }
            r->ms.push_back(out[0].toDouble());
            r->mb.push_back(out[1].toDouble());
            r->bytes.push_back(out[2].toDouble());
        }
    }
    const auto show = [&](const char *name, Runs &r) {
        std::vector<double> ms = r.ms;
        std::sort(ms.begin(), ms.end());
        report(name, runs, {ms[ms.size() / 2], ms.front(), ms.back()});
        std::printf("    (peak resident memory above the started program %.0f MB, file %.1f MB, medians)\n",
                    r.median(r.mb), r.median(r.bytes) / 1e6);
    };
    show("sizes: record PDF, 3 years, photos every 2nd", whole);
    show("sizes: bulk print of its sheets to PDF", bulk);
    std::printf("    (record PDF / bulk print: time %.2f, peak memory %.2f, file %.2f)\n",
                whole.median(whole.ms) / std::max(1.0, bulk.median(bulk.ms)),
                whole.median(whole.mb) / std::max(1.0, bulk.median(bulk.mb)),
                whole.median(whole.bytes) / std::max(1.0, bulk.median(bulk.bytes)));
}

} // namespace bench
