#pragma once

#include <QString>

namespace store {

struct TableDef;

// Checks a table file that is not open, without changing it: it must be an
// SQLite database that passes SQLite's integrity check and holds the table
// of `def` with exactly its fields. Returns what is wrong, in German, for
// the user to read; empty when the file is sound.
QString checkTableFile(const QString &path, const TableDef &def);

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
// without regard to case); nullptr for any other file.
const TableDef *tableDefOfFile(const QString &fileName);

} // namespace store
