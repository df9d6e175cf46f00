#pragma once

// Which stored sheets do not fit their printed page: measured by the same
// runs of the front and back sheet that print them.

#include <QHash>
#include <QSet>
#include <memory>

class Tberichtform;
class Tqrruecksform;

namespace store {
class TableSet;
struct Session;
} // namespace store

namespace forms {

// The sheets (BerLfd) whose activities run beyond the front sheet's page
// (or whose plan items alone fill it) or whose description runs beyond the
// back sheet's page with the pictures at their stored size. Every sheet of
// the reports table counts, whatever the report cursor sees; afterwards the
// table has its view and row back. A sheet is measured again only when
// what its page holds changed since the last call (its texts, items,
// pictures or their zoom): a check after mending one sheet measures that
// sheet alone.
class SheetFits
{
public:
    SheetFits(store::TableSet &tables, store::Session &session);
    ~SheetFits();
    QSet<qint64> overflowing();
    // Sheets measured by the last call.
    int measured() const { return m_measured; }

private:
    struct Known
    {
        size_t content = 0;
        bool over = false;
    };
    bool measure(); // the sheet the report cursor stands on

    store::TableSet &m_tables;
    std::unique_ptr<Tberichtform> m_front;
    std::unique_ptr<Tqrruecksform> m_back;
    QHash<qint64, Known> m_known;
    int m_measured = 0;
};

// Every sheet measured once.
QSet<qint64> overflowingSheets(store::TableSet &tables, store::Session &session);

} // namespace forms
