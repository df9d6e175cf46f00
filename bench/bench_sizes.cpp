// The program at real sizes: three and ten training years of reports, each
// with a page of formatted activities and four plan items; pictures of
// photo size; long formatted texts. Every benchmark makes its data itself.

#include "app/application.h"
#include "app/mainform.h"
#include "app/start.h"
#include "exchange/filetransfer.h"
#include "bench.h"
#include "benchsupport.h"
#include "benchdata.h"
#include "domain/readiness.h"
#include "domain/reportofreports.h"
#include "domain/fingerprint.h"
#include "domain/weeks.h"
#include "store/settings.h"
#include "overviews/reportofreportstab.h"
#include "overviews/reportoverview.h"
#include "plan/planpages.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "print/backsheet.h"
#include "store/session.h"
#include "print/bulkprint.h"

#include <QCheckBox>
#include <QPushButton>
#include "print/engine/previewinterface.h"
#include "print/engine/document.h"
#include "print/engine/report.h"
#include "print/engine/richtextitem.h"
#include "print/reportlistprint.h"
#include "print/sheetfit.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/install.h"
#include "store/tableset.h"
#include "testform.h"
#include "controls/radiogroup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>

namespace field = store::field;

namespace bench {

namespace {

// The list and its buttons are where the user deletes and prints from.
void showTab(TMainForm &form, QWidget &tab)
{
    for (QTabWidget *tabs : form.findChildren<QTabWidget *>())
        if (tabs->indexOf(&tab) >= 0)
            tabs->setCurrentWidget(&tab);
    QApplication::processEvents();
}

// One report whose back sheet has two 1600x1200 pictures, each shown 450
// pixels wide, in a data directory of its own.
struct PictureSheet
{
    PictureSheet()
    {
        ReportData data;
        data.reports = 1;
        data.picture = pictureBytes(QSize(1600, 1200));
        makeDataDirectory(dir.path(), data);
        tables.openAtStart();
        tables.berichttable().last();
        form.setPictureDisplaySize(0, QSize(450, 338));
        form.setPictureDisplaySize(1, QSize(450, 338));
    }
    QTemporaryDir dir;
    store::TableSet tables{dir.filePath(QStringLiteral("daten"))};
    store::Session session;
    Tqrruecksform form{tables, session};
};

// The back sheet's render, and the render with a first drawing of the page:
// a page holds its pictures as their bytes, decoded when drawn, so what the
// apprentice waits for in the preview is both. `next` runs between runs.
void measureBackSheet(const char *name, Tqrruecksform &form, const QString &dir, const std::function<void()> &next)
{
    engine::Document doc;
    const int runs = 9;
    report(name, runs, measure(runs, [&] { doc = form.QuickRep().render(); }, next));
    QImage screen(794, 1123, QImage::Format_RGB32); // A4 at 96 dpi
    report("sizes: the same, rendered and drawn once at 96 dpi", runs,
           measure(
               runs,
               [&] {
                   doc = form.QuickRep().render();
                   QPainter p(&screen);
                   doc.paint(p, 1, screen.rect());
               },
               next));
    const QString file = QDir(dir).filePath(QStringLiteral("ruecks.qrp"));
    doc.save(file);
    std::printf("    (recorded page %lld bytes, saved file %lld bytes)\n", static_cast<long long>(doc.page(1).size()),
                static_cast<long long>(QFile(file).size()));
}

void backSheet()
{
    PictureSheet sheet;
    measureBackSheet("sizes: back sheet, two 1600x1200 pictures", sheet.form, sheet.dir.path(), {});
}

// Sheets of different reports, each with two pictures of its own: every
// render reads its two pictures.
void backSheets()
{
    QTemporaryDir dir;
    ReportData data;
    data.reports = 6;
    data.picture = pictureBytes(QSize(1600, 1200));
    data.distinctPictures = true;
    makeDataDirectory(dir.path(), data);
    store::TableSet tables(dir.filePath(QStringLiteral("daten")));
    tables.openAtStart();
    store::Table &reports = tables.berichttable();
    reports.first();
    store::Session session;
    Tqrruecksform form(tables, session);
    form.setPictureDisplaySize(0, QSize(450, 338));
    form.setPictureDisplaySize(1, QSize(450, 338));
    measureBackSheet("sizes: back sheets of 6 reports in turn, 2 pictures each", form, dir.path(), [&] {
        if (!reports.next())
            reports.first();
    });
}

// The running program over `years` training years with photos, its list
// showing training year 1 alone.
void onTheYearList(int years, const std::function<void(lernora::Application &, TMainForm &,
                                                       overviews::ReportOverviewTab &)> &body)
{
    QTemporaryDir dir;
    makeDataDirectory(dir.path(), trainingYears(years));
    InDirectory in(dir.path());
    StandIns user;
    lernora::Application program;
    TMainForm *form = program.mainForm();
    form->show();
    QApplication::processEvents();
    overviews::ReportOverviewTab &overview = form->overview();
    showTab(*form, overview);
    program.session().year = 1;
    overview.setDisplayChoice(1); // the current year alone: else a deletion is refused
    body(program, *form, overview);
    form->hide();
}

// Deleting the first report of training year 1 renumbers every later report
// of that year. Each run deletes one report, so the year shrinks by one
// report per run.
void deletion(int years, int runs)
{
    onTheYearList(years, [&](lernora::Application &program, TMainForm &, overviews::ReportOverviewTab &overview) {
        store::Table &reports = program.tables().berichttable();
        const int before = reports.recordCount();
        const QByteArray name = QStringLiteral("sizes: delete a report, %1 years with photos").arg(years).toLatin1();
        report(name.constData(), runs,
               measure(
                   runs, [&] { overview.loeschbtnClick(); },
                   [&] {
                       reports.first();
                       QApplication::processEvents();
                   }));
        std::printf("    (%d reports in year 1 before, %d after)\n", before, reports.recordCount());
        if (reports.recordCount() != before - runs)
            std::fprintf(stderr, "deletion bench: the clicks did not delete\n");
    });
}

// A stored report with two photos opened from the overview ("Anzeigen")
// and closed with OK, as an apprentice looks at last week's report.
void editorOpen(int years)
{
    onTheYearList(years, [&](lernora::Application &program, TMainForm &form, overviews::ReportOverviewTab &) {
        store::Table &reports = program.tables().berichttable();
        int number = 10;
        const QByteArray name = QStringLiteral("sizes: open a report with photos and OK, %1 years").arg(years).toLatin1();
        report(name.constData(), 7,
               measure(
                   7,
                   [&] {
                       form.beranzeigebtnClick();
                       QApplication::processEvents();
                   },
                   [&] {
                       number = number == 10 ? 11 : 10; // two reports in turn: nothing stays read
                       reports.findKey({1, number, 1});
                       QApplication::processEvents();
                   }));
    });
}

void reportList()
{
    QTemporaryDir dir;
    ReportData data;
    makeDataDirectory(dir.path(), data);
    InDirectory in(dir.path());
    lernora::Application program;
    TMainForm *form = program.mainForm();
    form->show();
    showTab(*form, form->overview());
    QApplication::processEvents();
    engine::Document doc;
    const int runs = 7;
    const Result r = measure(runs, [&] { doc = program.qrbuebersichtform().report().render(); });
    report("sizes: report list print, 3 years", runs, r);
    qint64 bytes = 0;
    for (int n = 1; n <= doc.pageCount(); ++n)
        bytes += doc.page(n).size();
    std::printf("    (%d pages, median %.3f ms per page, %lld bytes recorded per page)\n", doc.pageCount(),
                r.median / std::max(1, doc.pageCount()), static_cast<long long>(bytes / std::max(1, doc.pageCount())));
    form->hide();
}

void steps()
{
    QTemporaryDir dir;
    ReportData data;
    data.reports = 10000;
    data.activities = false;
    makeDataDirectory(dir.path(), data);
    store::TableSet tables(dir.filePath(QStringLiteral("daten")));
    tables.openAtStart();
    store::Table &reports = tables.berichttable();
    const int stepsPerRun = 200, runs = 15;
    reports.first();
    const Result r = measure(runs, [&] {
        for (int i = 0; i < stepsPerRun; ++i)
            reports.next();
    });
    report("sizes: 200 steps between reports, 10,000 x 4", runs, r);
    std::printf("    (median %.4f ms per step)\n", r.median / stepsPerRun);
    int number = 100000;
    report("sizes: 1,000 posts in one transaction, 10,000 x 4", 5, measure(5, [&] {
               store::Transaction tx(tables);
               for (int i = 0; i < 1000; ++i) {
                   reports.append();
                   reports.setValue(field::AJahr, 3);
                   reports.setValue(field::Nummer, ++number);
                   reports.setValue(field::Blatt, 1);
                   reports.post();
               }
               tx.commit();
           }));
}

// A formatted text over about `pages` pages, in a title band of its own.
void makeLongText(engine::Report &r, int pages)
{
    r.margins = QMarginsF(230, 100, 100, 100);
    engine::Band &title = r.addBand(engine::Band::Kind::Title, QStringLiteral("TitleBand1"), 100);
    auto &rich = title.add<engine::RichText>(QStringLiteral("PIQRDBRichText1"));
    rich.geometry = QRectF(11, 10, 1728, 80);
    rich.autoStretch = true;
    const int paragraphs = pages * 33 - 5;
    rich.content = [paragraphs](QTextDocument &d) {
        QTextCursor c(&d);
        QTextCharFormat plain, bold, raised;
        bold.setFontWeight(QFont::Bold);
        raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        for (int i = 1; i <= paragraphs; ++i) {
            if (i > 1)
                c.insertBlock();
            c.insertText(QStringLiteral("Absatz %1: ").arg(i), bold);
            c.insertText(QStringLiteral("Abgasmessung an einer Gasfeuerstätte, CO-Gehalt 45 ppm, Abgasverlust "
                                        "7 %, Raumvolumen 12 m"),
                         plain);
            c.insertText(QStringLiteral("3"), raised);
            c.insertText(QStringLiteral(", Ergebnisse eingetragen."), plain);
        }
    };
}

void continuingText(int pages, Result &result, int &printed)
{
    engine::Report r(QStringLiteral("LongText"));
    makeLongText(r, pages);
    engine::Document doc;
    const int runs = pages > 50 ? 3 : 7;
    result = measure(runs, [&] { doc = r.render(); });
    printed = doc.pageCount();
    const QByteArray name = QStringLiteral("sizes: continuing text, %1 pages").arg(printed).toLatin1();
    report(name.constData(), runs, result);
}

void continuingTexts()
{
    Result three, mid, many;
    int p3 = 0, p26 = 0, p102 = 0;
    continuingText(3, three, p3);
    continuingText(26, mid, p26);
    continuingText(102, many, p102);
    std::printf("    (%d pages cost %.1f times %d pages)\n", p102, many.median / std::max(1e-6, three.median), p3);
}

void makeRepeatedPicture(engine::Report &r, int &page, int pages)
{
    engine::Band &detail = r.addBand(engine::Band::Kind::Detail, QStringLiteral("DetailBand1"), 2500);
    auto &picture = detail.add<engine::Picture>(QStringLiteral("QRImage1"));
    picture.geometry = QRectF(100, 100, 1500, 1125);
    picture.image = QImage::fromData(pictureBytes(QSize(800, 600)));
    r.needData = [&page, pages] { return ++page <= pages; };
}

void repeatedPicturePdf()
{
    QTemporaryDir dir;
    engine::Report r(QStringLiteral("Pictures"));
    int page = 0;
    makeRepeatedPicture(r, page, 300);
    engine::Document doc;
    report("sizes: render 300 pages, one repeated picture", 3,
           measure(3, [&] { doc = r.render(); }, [&] { page = 0; }));
    const QString file = dir.filePath(QStringLiteral("bilder.qrp"));
    const QString pdf = dir.filePath(QStringLiteral("bilder.pdf"));
    report("sizes: export them as PDF", 3, measure(3, [&] { engine::exportPdf(doc, pdf); }));
    doc.save(file);
    std::printf("    (%d pages, PDF %lld bytes, saved file %lld bytes)\n", doc.pageCount(),
                static_cast<long long>(QFile(pdf).size()), static_cast<long long>(QFile(file).size()));
}

// Three years with two pictures on every report; ten years with two on every
// second one.
void startUp(int years)
{
    QTemporaryDir dir;
    const ReportData data = trainingYears(years);
    makeDataDirectory(dir.path(), data);
    // Each start in a process of its own, so that its memory is its own.
    const int runs = 5;
    std::vector<double> ms, mb;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), dir.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start"), dir.path()});
        child.waitForFinished(120000);
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        if (out.size() < 2) {
            std::fprintf(stderr, "start-up run failed\n");
            return;
        }
        ms.push_back(out[0].toDouble());
        mb.push_back(out[1].toDouble());
    }
    std::sort(ms.begin(), ms.end());
    std::sort(mb.begin(), mb.end());
    // Without reports: the floor the years add to.
    const QByteArray name = (years == 0 ? QStringLiteral("sizes: start-up, no reports")
                                        : QStringLiteral("sizes: start-up, %1 years, two 800x600 BMP %2")
                                              .arg(years)
                                              .arg(data.pictureEvery > 1 ? QStringLiteral("every 2nd")
                                                                         : QStringLiteral("each")))
                                .toLatin1();
    report(name.constData(), runs, {ms[runs / 2], ms.front(), ms.back()});
    std::printf("    (resident memory median %.1f MB, min %.1f, max %.1f)\n", mb[runs / 2], mb.front(), mb.back());
}

// The report of reports on the delivered plan with three training years of
// reports: the grid of each period, computed from the plan table, and the
// tab computing and showing it in the running program.
void reportOfReports()
{
    QTemporaryDir dir;
    ReportData data;
    data.activities = false;
    makeDataDirectory(dir.path(), data);
    {
        // The counts the reports raised: mentions per plan line, reports
        // per group on its first row.
        store::TableSet tables(QDir(dir.path()).filePath(QStringLiteral("daten")));
        tables.openAtStart();
        tables.exec(QStringLiteral("UPDATE thetable SET ThemaCnt = (SELECT count(*) FROM berdet "
                                   "WHERE berdet.LfdfTag = thetable.LfdfTag)"));
        tables.exec(QStringLiteral("UPDATE thetable SET GroupCnt = (SELECT count(*) FROM berdet, thetable t "
                                   "WHERE berdet.LfdfTag = t.LfdfTag AND t.Lfdnr = thetable.Lfdnr "
                                   "AND t.GroupId = thetable.GroupId)"));
    }
    InDirectory in(dir.path());
    lernora::Application program;
    TMainForm *form = program.mainForm();
    form->show();
    QApplication::processEvents();
    const int runs = 51;
    for (int i = 0; i < domain::selectionCount; ++i) {
        const auto selection = domain::Selection(i);
        int lines = 0;
        const Result r = measure(runs, [&] {
            lines = int(domain::reportGrid(domain::planWalk(program.tables(), selection), selection).size());
        });
        const QByteArray name =
            (QStringLiteral("sizes: report of reports, ") + domain::selectionText(selection)).toUtf8();
        report(name.constData(), runs, r);
        std::printf("    (%d lines)\n", lines);
    }
    overviews::ReportOfReportsTab &tab = form->reportOfReports();
    showTab(*form, tab);
    int item = 0;
    const Result shown = measure(runs, [&] {
        tab.ljgroup()->setItemIndex(item++ % domain::selectionCount);
        QApplication::processEvents();
    });
    report("sizes: report of reports, tab, next period", runs, shown);
    form->hide();
}

// The readiness check over `years` training years with photos, as its
// window computes it: every sheet's texts measured against its page, then
// the check itself.
void readinessCheck(int years)
{
    QTemporaryDir dir;
    ReportData data = trainingYears(years);
    data.pictureEvery = 2;
    makeDataDirectory(dir.path(), data);
    store::TableSet tables(QDir(dir.path()).filePath(QStringLiteral("daten")));
    tables.openAtStart();
    store::Session session;
    const int runs = 3;
    int over = 0;
    const Result measured = measure(runs, [&] { over = int(forms::overflowingSheets(tables, session).size()); });
    const QByteArray name = QStringLiteral("sizes: sheets over their page, %1 years").arg(years).toLatin1();
    report(name.constData(), runs, measured);
    std::printf("    (%d sheets, %d over their page)\n", tables.berichttable().recordCount(), over);
    // Checked again with one sheet changed, as after a jump into the editor.
    forms::SheetFits fits(tables, session);
    fits.overflowing();
    int round = 0;
    const Result again = measure(runs, [&] { fits.overflowing(); }, [&] {
        tables.exec(QStringLiteral("UPDATE bericht SET Taetigkeit = 'geändert %1' WHERE BerLfd = 7").arg(++round));
    });
    const QByteArray once = QStringLiteral("sizes: sheets over their page again, %1 years").arg(years).toLatin1();
    report(once.constData(), runs, again);
    std::printf("    (%d sheet measured)\n", fits.measured());
    const store::Settings settings(QDir(dir.path()).filePath(QStringLiteral("Ruririd.ini")));
    const QDate today = firstReportWeek().addDays(7 * 52 * years);
    int defects = 0;
    const Result checked = measure(runs, [&] {
        const QSet<qint64> sheets = forms::overflowingSheets(tables, session);
        domain::TextChecks checks;
        checks.overflows = [&](qint64 s) { return sheets.contains(s); };
        checks.plainText = &richtext::toPlainText;
        defects = int(domain::checkRecord(tables, settings, today, 3, checks).size());
    });
    const QByteArray whole = QStringLiteral("sizes: readiness check, %1 years").arg(years).toLatin1();
    report(whole.constData(), runs, checked);
    std::printf("    (%d defects)\n", defects);
}

} // namespace

int exportDocuments(const QString &dir)
{
    const auto save = [&](const engine::Document &doc, const char *name) {
        engine::exportPdf(doc, QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".pdf")));
        doc.save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".qrp")));
    };
    {
        engine::Report r(QStringLiteral("LongText"));
        makeLongText(r, 26);
        save(r.render(), "longtext");
    }
    {
        auto form = testsupport::makeTestForm(200, 80);
        save(form->report->render(), "testform");
    }
    {
        engine::Report r(QStringLiteral("Pictures"));
        int page = 0;
        makeRepeatedPicture(r, page, 5);
        save(r.render(), "pictures");
    }
    {
        PictureSheet sheet;
        sheet.form.setPictureDisplaySize(1, QSize(145, 145));
        save(sheet.form.QuickRep().render(), "backsheet");
    }
    return 0;
}

int startUpChild(const QString &dir)
{
    // The program's own start: the place, the single-instance channel (in
    // the child's own TMPDIR), the checks of the files, the windows.
    QElapsedTimer t;
    t.start();
    const lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), dir}, QString());
    if (!started.program)
        return 1;
    QApplication::processEvents();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("%.3f %.1f\n", ms, residentMb());
    return 0;
}

// The week ledger and the readiness check (without the texts' layout) over
// the whole record, as the reminder at start and the check window need them.
void weeksAndReadiness(int years)
{
    QTemporaryDir dir;
    makeDataDirectory(dir.path(), trainingYears(years));
    store::TableSet tables(QDir(dir.path()).filePath(QStringLiteral("daten")));
    tables.openAtStart();
    const store::Settings settings(QDir(dir.path()).filePath(QStringLiteral("Ruririd.ini")));
    const QDate today = firstReportWeek().addDays(7 * 52 * years);
    int weeks = 0, defects = 0;
    const Result ledger = measure(21, [&] { weeks = int(domain::weekLedger(tables, settings, today).size()); });
    const Result check = measure(21, [&] { defects = int(domain::checkRecord(tables, settings, today, 3).size()); });
    const QByteArray ledgerName = QStringLiteral("sizes: week ledger, %1 years (%2 weeks)").arg(years).arg(weeks).toUtf8();
    const QByteArray checkName =
        QStringLiteral("sizes: readiness check, %1 years (%2 defects)").arg(years).arg(defects).toUtf8();
    report(ledgerName.constData(), 21, ledger);
    report(checkName.constData(), 21, check);
    // The fingerprint is taken by the check once a whole-record PDF was
    // written: every sheet with its pictures read and hashed.
    const Result print = measure(5, [&] { domain::recordFingerprint(tables); });
    const QByteArray printName = QStringLiteral("sizes: record fingerprint, %1 years").arg(years).toUtf8();
    report(printName.constData(), 5, print);
}

void sizeBenchmarks(const QString &only)
{
    const auto run = [&](const char *name, const std::function<void()> &body) {
        if (only.isEmpty() || only == QLatin1String(name))
            body();
    };
    run("backsheet", [] {
        backSheet();
        backSheets();
    });
    run("delete", [] {
        for (int years : {1, 3, 10})
            deletion(years, 5);
    });
    run("open", [] {
        for (int years : {1, 3, 10})
            editorOpen(years);
    });
    run("list", reportList);
    run("steps", steps);
    run("text", continuingTexts);
    run("pdf", repeatedPicturePdf);
    run("pdfsize", pdfSizes);
    run("start", [] {
        for (int years : {0, 1, 3, 10})
            startUp(years);
    });
    run("bulk", bulkBenchmarks);
    run("reports", reportOfReports);
    run("weeks", [] {
        for (int years : {1, 3, 10})
            weeksAndReadiness(years);
    });
    run("readiness", [] { readinessCheck(3); });
    run("recordpdf", recordPdf);
    run("exim", [] {
        for (int years : {1, 3, 10})
            backupAndRestore(years, 5);
    });
}

} // namespace bench
