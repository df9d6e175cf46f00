#include "sqlitehandle.h"

#include <sqlite3.h>

namespace store::detail {

void CloseConnection::operator()(sqlite3 *db) const
{
    // A statement still held elsewhere keeps the connection until it is
    // finalized; the connection is closed then.
    sqlite3_close_v2(db);
}

void FinalizeStatement::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

void CloseBlob::operator()(sqlite3_blob *blob) const
{
    sqlite3_blob_close(blob);
}

Connection openConnection(const QByteArray &name, int flags, int *rc)
{
    sqlite3 *db = nullptr;
    *rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    return Connection(db);
}

} // namespace store::detail
