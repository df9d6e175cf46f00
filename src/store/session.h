#pragma once

#include <QString>

namespace store {

// Which report the open preview prints; the numbers are the ones the program
// has always used for them.
enum class PrintKind {
    None = 0,
    FrontSheet = 1,      // weekly report, front sheet
    BackSheet = 2,       // weekly report, back sheet
    TrainingTime = 3,    // overview of the training time
    ReportOfReports = 4, // report of the reports
    TrainingRecord = 5,  // training record
    ReportList = 6,      // overview of the report sheets
    BulkPrint = 7,       // several reports merged into one file
};

// The values the whole program shares beside the tables, created at start
// and kept until the end.
struct Session
{
    int year = 1;                         // current training year: 1, 2, 3, or 0 for all years
    QString apprenticeName;               // "Stift" "Name" of the settings file
    QString trainerName;                  // "BKM" "Name"
    PrintKind druckart = PrintKind::None; // which report the open preview prints
    bool previewOpen = false;             // a preview window is showing
};

} // namespace store
