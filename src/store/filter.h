#pragma once

#include "schema.h"

#include <QVariant>
#include <QVector>
#include <memory>

namespace store {

// A row filter in the program's small expression language: comparisons of a
// field with a value ("l1>0", "Nummer = 3", "Thema <> 'x'") joined by "and",
// "or" and "not", with parentheses. Field names are matched without regard to
// case; an empty numeric field compares as 0, an empty boolean as false.
class Filter
{
public:
    struct Node;

    // Throws StoreError naming the table file when the expression is invalid.
    Filter(const QString &expression, const TableDef &def);
    ~Filter();
    Filter(Filter &&) noexcept;
    Filter &operator=(Filter &&) noexcept;

    bool matches(const QVector<QVariant> &row) const;

private:
    const TableDef *m_def;
    std::unique_ptr<Node> m_root;
};

} // namespace store
