#pragma once

#include <QDate>

// Data made for the benchmarks at real sizes: training years of weekly
// reports, each with a page of formatted activities and its plan items, and
// pictures stored as bitmaps.

#include <QByteArray>
#include <QSize>
#include <QString>

namespace store {
class TableSet;
}

namespace bench {

// About a page of activities: 40 lines, some bold, some raised, a symbol.
QByteArray activityText();

// A picture of the given size with a colour ramp, in the file format given
// ("BMP", "JPG", ...).
QByteArray pictureBytes(const QSize &size, const char *format = "BMP");

struct ReportData
{
    int reports = 156;     // 52 a year
    int itemsPerReport = 4; // plan items (detail rows) of each report
    bool activities = true; // a page of formatted activities each
    QByteArray picture;     // stored as Bild1 and Bild2 when not empty
    int pictureEvery = 1;   // on every n-th report only
    // Bitmaps only: every report's two pictures differ in a pixel, so that
    // no two are the same picture.
    bool distinctPictures = false;
};

// Training years of reports with two 800 x 600 photos of their own: on
// every report for up to three years, on every second one beyond.
ReportData trainingYears(int years);

// Appends the reports and their items to the open table set in one
// transaction. Training years 1 to 3 repeat after the third year; the
// numbers go on, so (AJahr, Nummer) stay unique.
void fillReports(store::TableSet &tables, const ReportData &data);

// The Monday of the first report's week; each report has the next week.
inline QDate firstReportWeek() { return QDate(2020, 8, 3); }

// A data directory below `dir` with those reports, made with the installer,
// and basic data (names, the training period and years) that fit them.
void makeDataDirectory(const QString &dir, const ReportData &data);

// Resident and peak resident memory of this process, in MB.
double residentMb();
double peakResidentMb();

} // namespace bench
