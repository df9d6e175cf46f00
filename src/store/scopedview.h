#pragma once

#include "table.h"

#include <exception>

namespace store {

// For an operation that narrows or reorders a shared table for a moment
// (a range to find a year's last report, an index to look plan rows up by
// tag, a filter over one report's sheets): when the scope ends, the table
// has its index, range, filter and row back, whatever the operation did to
// them. The windows that show the table never see the difference.
//
// Left by an error, an edit still pending is cancelled first (the caller's
// transaction undoes the rest); left normally, a pending edit is stored as
// any move of the cursor stores it.
class ScopedView
{
public:
    explicit ScopedView(Table &table)
        : m_table(table), m_view(table.isOpen() ? table.view() : Table::View{}), m_active(table.isOpen()),
          m_exceptions(std::uncaught_exceptions())
    {
    }
    ~ScopedView()
    {
        if (!m_active)
            return;
        try {
            if (std::uncaught_exceptions() > m_exceptions && m_table.isEditing())
                m_table.cancel();
            restore();
        } catch (...) {
        }
    }
    // Puts the view back now; errors reach the caller.
    void restore()
    {
        if (!m_active || !m_table.isOpen())
            return;
        m_active = false;
        m_table.setView(m_view);
    }
    const Table::View &saved() const { return m_view; }

    ScopedView(const ScopedView &) = delete;
    ScopedView &operator=(const ScopedView &) = delete;

private:
    Table &m_table;
    Table::View m_view;
    bool m_active;
    int m_exceptions;
};

// For a window whose table stays on show while a preview or another window
// runs in a nested event loop: when the scope ends, the cursor returns to
// the row it stood on, if the table still shows that row. Index, range and
// filter are left as they are then: they follow the window's own choice,
// which may have changed meanwhile, and an older view is never put back
// over a newer one.
class ScopedRow
{
public:
    explicit ScopedRow(Table &table)
        : m_table(table), m_row(table.isOpen() ? table.bookmark() : 0), m_active(table.isOpen())
    {
    }
    ~ScopedRow()
    {
        try {
            restore();
        } catch (...) {
        }
    }
    // Returns to the row now; errors reach the caller.
    void restore()
    {
        if (!m_active || !m_table.isOpen())
            return;
        m_active = false;
        if (m_row && m_table.bookmarkValid(m_row) && m_table.bookmark() != m_row)
            m_table.gotoBookmark(m_row);
    }

    ScopedRow(const ScopedRow &) = delete;
    ScopedRow &operator=(const ScopedRow &) = delete;

private:
    Table &m_table;
    Table::Bookmark m_row;
    bool m_active;
};

} // namespace store
