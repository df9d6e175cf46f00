#pragma once

// The owners of SQLite's handles: a connection is closed, a statement
// finalized and a blob closed when its owner goes, on every path (an early
// return, an exception), so that no file stays open behind a failure.
// Internal to the store; sqlitestmt.h builds its statements on them.

#include <QByteArray>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_blob;

namespace store::detail {

struct CloseConnection
{
    void operator()(sqlite3 *db) const;
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt *statement) const;
};
struct CloseBlob
{
    void operator()(sqlite3_blob *blob) const;
};

using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;
using Blob = std::unique_ptr<sqlite3_blob, CloseBlob>;

// Opens the database `name` (a path or a URI, UTF-8) with sqlite3_open_v2's
// `flags`; `rc` gets SQLite's result. A failed open may still give a
// connection, which holds the reason (sqlite3_errmsg) until it goes.
Connection openConnection(const QByteArray &name, int flags, int *rc);

} // namespace store::detail
