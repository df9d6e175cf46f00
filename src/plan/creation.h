#pragma once

// Turning a composition into a new weekly report: the new report row is
// appended before the report dialog is shown, and its items and counts are
// stored after OK.

#include <QDate>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace store {
class Table;
class TableSet;
} // namespace store

namespace plan {

// Appends the new report row of the training year and leaves it unposted:
// its number, year, first sheet, today's date, the covered parts of the
// composition and one activity line per chosen item ("zu 5 aa) "), or
// `activities` instead of those lines when given.
void appendReport(store::TableSet &tables, int year, const QDate &today,
                  const std::optional<QString> &activities = std::nullopt);

// The whole creation in one transaction over the table files: appends the
// new report, lets `editReport` complete it (the report dialog; true for
// OK) and then stores the items and counts for exactly that report. On
// cancel, or when an error escapes, nothing stays stored and no unstored
// row is left. True when the report was created.
// `activities`, when given, replace the activity lines of the items.
bool createReport(store::TableSet &tables, int year, const QDate &today, const std::function<bool()> &editReport,
                  const std::optional<QString> &activities = std::nullopt);

// The stored activities of a report's sheets as one stored text, the
// sheets' paragraphs one after the other with their formatting; empty
// without any.
QString joinedActivities(const QStringList &sheets);

} // namespace plan
