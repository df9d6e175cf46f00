#pragma once

// Turning a composition into a new weekly report. The window runs the
// steps around the report dialog: the new report row is appended before
// the dialog is shown, and its items and counts are stored after OK.

#include <QDate>

namespace store {
class Table;
class TableSet;
} // namespace store

namespace plan {

// The number of the next report of a training year: the highest number of
// that year + 1, or 1 for the year's first report.
int nextReportNumber(store::Table &reports, int year);

// Appends the new report row of the training year and leaves it unposted:
// its number, year, first sheet, today's date, the covered parts of the
// composition and one activity line per chosen item ("zu 5 aa) ").
void appendReport(store::TableSet &tables, int year, const QDate &today);

// After the report row is stored: one detail row per composition row, the
// use count of each item and the group count of each group once.
void storeReportItems(store::TableSet &tables);

} // namespace plan
