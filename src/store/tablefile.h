#pragma once

#include <QString>

namespace store {

struct TableDef;

// Checks a table file that is not open, without changing it: it must be an
// SQLite database that passes SQLite's integrity check and holds the table
// of `def` with exactly its fields. Returns what is wrong, in German, for
// the user to read; empty when the file is sound.
QString checkTableFile(const QString &path, const TableDef &def);

// The table of the data directory stored in a file of this name (matched
// without regard to case); nullptr for any other file.
const TableDef *tableDefOfFile(const QString &fileName);

} // namespace store
