#pragma once

// Which stored sheets do not fit their printed page: measured by the same
// runs of the front and back sheet that print them.

#include <QSet>

namespace store {
class TableSet;
struct Session;
} // namespace store

namespace forms {

// The sheets (BerLfd) whose activities run beyond the front sheet's page
// (or whose plan items alone fill it) or whose description runs beyond the
// back sheet's page with the pictures at their stored size. Every sheet of
// the reports table counts, whatever the report cursor sees; afterwards the
// table has its view and row back.
QSet<qint64> overflowingSheets(store::TableSet &tables, store::Session &session);

} // namespace forms
