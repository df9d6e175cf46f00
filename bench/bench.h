#pragma once

// A small harness: each benchmark runs a number of times and reports the
// median and the spread, so that results compare by ratio across machines.

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

struct Result
{
    double median = 0, min = 0, max = 0; // milliseconds
};

// setup runs before every measured run and is not timed.
inline Result measure(int runs, const std::function<void()> &body, const std::function<void()> &setup = {})
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

inline void report(const char *name, int runs, const Result &r)
{
    std::printf("%-44s runs %4d  median %9.3f ms  (min %9.3f, max %9.3f)\n", name, runs, r.median, r.min, r.max);
    std::fflush(stdout);
}

void storeBenchmarks();
void appBenchmarks();
void planBenchmarks();
void printBenchmarks();
void editorBenchmarks();
// The spelling check of a long text (in bench_spelling.cpp).
void spellingBenchmarks();
void pictureBenchmarks();
// The PDF of back sheets with two photos each: bytes per report, time per page.
void pdfSizes();
// only: one of backsheet, delete, open, list, steps, text, pdf, pdfsize, start, bulk, reports, weeks, readiness,
// exim, recordpdf; empty: all.
void sizeBenchmarks(const QString &only = QString());
// A local backup and a restore of that many training years, each beside a
// plain copy of the same files.
void backupAndRestore(int years, int runs);
// The bulk print at one, three and ten training years (in bench_bulk.cpp).
void bulkBenchmarks();
// The start-up measured in a process of its own: prints milliseconds and
// resident megabytes.
int startUpChild(const QString &dir);
// The whole record as one PDF against the bulk print of its sheets to PDF
// (in bench_recordpdf.cpp), each run in a child process of kind "whole" or
// "bulk" over the data directory `dir`, which prints milliseconds, the peak
// resident megabytes above the started program's and the file's bytes.
void recordPdf();
int recordPdfChild(const QString &dir, const QString &kind);
// The bulk print of three training years against an office suite (soffice)
// making the same sheets from a flat office document, to the preview and to
// PDF (in bench_office.cpp). Skipped with a line when soffice is missing;
// non-zero when a result does not check out.
int officeComparison();
// Saves the documents of the size benchmarks (and the engine's test form)
// as PDF and saved report files, to compare pages before and after a change.
int exportDocuments(const QString &dir);

} // namespace bench
