#pragma once

// The report engine's record source over a table of the store: the current
// record is the row the table's cursor stands on, and walking the records
// moves that cursor (a caller that needs the row back keeps a bookmark or a
// store::ScopedView). A closed table has no records.

#include "print/engine/recordsource.h"

namespace store {
class Table;
}

namespace forms {

class TableSource : public engine::RecordSource
{
public:
    explicit TableSource(store::Table &table) : m_table(table) {}

    store::Table &table() const { return m_table; }

    void first() override;
    void next() override;
    bool atEnd() const override;
    bool hasRecord() const override;
    // The value as the table holds it; the text as the table shows it
    // (dates dd.MM.yyyy, yes/no fields "True" and "False").
    QVariant value(const QString &field) const override;
    QString text(const QString &field) const override;
    // Memo fields, plain or RTF.
    bool isLongText(const QString &field) const override;

private:
    store::Table &m_table;
};

} // namespace forms
