#pragma once

#include <QString>

#include <functional>

namespace store {

struct TableDef;

// Checks a table file that is not open, without changing it: it must be an
// SQLite database that passes SQLite's quick check and holds the table
// of `def` as a real table with exactly its fields, and nothing beside it but
// its plain indexes: no view, trigger, virtual or other table, no computed
// column or index, nothing that runs on a change or reads from elsewhere.
// Returns what is wrong, in German, for the user to read; empty when the
// file is sound. SQLite's own words, when it said any, go to `detail`.
QString checkTableFile(const QString &path, const TableDef &def, QString *detail = nullptr);

// Makes an empty table file for `def` at `path`, which must not exist: made
// under another name and renamed, so that a failure leaves no file behind.
// Returns why it failed, in German; empty on success. SQLite's own words go
// to `detail`.
QString createTableFile(const QString &path, const TableDef &def, QString *detail = nullptr);

// Checks that table files to be used together fit each other: every detail
// row belongs to a report and to an item of the plan, every row of the
// composition to an item of the plan. `pathOf` gives the path of each table
// file by its name; the files are not changed. Returns what does not fit,
// in German (which files and how many rows); empty when all does. SQLite's
// own words, when it said any, go to `detail`.
QString checkTableSet(const std::function<QString(const QString &fileName)> &pathOf, QString *detail = nullptr);

// A file SQLite keeps beside a table file while it changes it: a rollback
// journal ("bericht.db-journal"), a write-ahead log ("-wal") or its index
// ("-shm"), or a master journal ("-mj…"); in any letter case. Such a file is
// part of the table it lies beside, never data of its own.
bool isJournalName(const QString &fileName);

// Whether SQLite would take the journal file at `path` to change the table
// beside it: a rollback journal with a complete header, or a write-ahead log
// with frames. A journal SQLite is done with (empty, or its header never
// completed) and an index of a log change nothing.
bool journalMayChangeTable(const QString &path);

// Removes the rollback journals in `dir` that SQLite is done with, which it
// would otherwise leave there until the next change of their table. Only
// while no other program has the tables open. Returns how many went.
int removeFinishedJournals(const QString &dir);

// What keeps the program from working with the table file at path, found
// without opening it as a table and without changing it: nothing there, a
// directory or another kind of thing in its place, an empty file, or a file
// the program may not read or write (read-only, locked, immutable, on a
// medium mounted read-only). Returns what is wrong, in German; empty when
// none of this is so. Damage inside the file is left to the opening.
QString tableFileAccessProblem(const QString &path);

// What keeps the program from making and replacing files in the directory
// (the journals beside the table files, the settings file written under a
// new name); empty when nothing does.
QString directoryWriteProblem(const QString &dir);

// The table of the data directory stored in a file of this name (matched
// without regard to case), the marks included; nullptr for any other file.
const TableDef *tableDefOfFile(const QString &fileName);

} // namespace store
