#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QDate;

namespace store {

// A date as the apprentice types it: day, month and year separated by dots,
// day and month with or without their leading zero, the year with four
// digits or with two (meaning 2000 to 2099: "10.01.26" is 10 January 2026).
// Anything else, and a day the calendar does not have, gives an invalid date.
QDate dateFromText(const QString &text);

enum class FieldType {
    SmallInt, // 16-bit signed
    Integer,  // 32-bit signed
    AutoInc,  // assigned by the store on insert, read-only for the program
    String,   // up to size characters
    Boolean,
    Date,     // a calendar day, stored as yyyy-MM-dd
    Memo,     // unbounded plain text
    RichMemo, // unbounded text holding an RTF document
    Picture,  // binary image data
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Integer;
    int size = 0; // characters, for strings
    bool required = false;
};

struct IndexDef
{
    QString name;       // empty for an unnamed primary key
    QStringList fields; // leading fields first
    bool unique = false;
    bool caseInsensitive = false;
    bool primary = false;
};

// The schema of one table file: daten/<fileName> holds one SQLite table named
// tableName, with the fields as columns in this order.
struct TableDef
{
    QString fileName;   // "bericht.db"
    QString tableName;  // "bericht"
    QString handleName; // "berichttable"
    QVector<FieldDef> fields;
    QVector<IndexDef> indexes; // the primary (default order) first

    int fieldIndex(const QString &name) const; // case-insensitive, -1 when unknown
    int autoIncField() const;                   // -1 when the table has none
    const IndexDef *index(const QString &name) const; // "" = primary
    QString createStatements() const;            // CREATE TABLE and its indexes
};

namespace tables {
inline constexpr auto plan = "thetable.DB";
inline constexpr auto composition = "tmptable.DB";
inline constexpr auto reports = "bericht.db";
inline constexpr auto details = "berdet.DB";
inline constexpr auto hints = "hints.db";
inline constexpr auto overview = "uebersB.DB";
inline constexpr auto marks = "marken.db";
} // namespace tables

// The six tables of the data directory.
const QVector<TableDef> &tableDefs();
const TableDef &tableDef(const QString &fileName);

// The marks the apprentice sets beside the reports: weeks without a report
// ("Urlaub", "krank", ...) and the trainer's review of a sheet. Not one of
// the six tables: a data directory or an export from before the marks has
// no such file, and the marks are then empty. The table set creates the
// file when it opens a data directory without one.
const TableDef &marksTableDef();

} // namespace store
