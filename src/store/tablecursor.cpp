// store::Table: the order of the rows (the index), the rows the cursor sees
// (master-detail link, range, filter), moving the cursor, finding keys,
// bookmarks and views.

#include "table.h"

#include "tableset.h"

#include <algorithm>

namespace store {

namespace {

int compareValues(const QVariant &a, const QVariant &b, FieldType type, bool caseInsensitive)
{
    const bool na = a.isNull() || !a.isValid(), nb = b.isNull() || !b.isValid();
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::RichMemo: {
        const int c = a.toString().compare(b.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case FieldType::Date: {
        const qint64 x = a.toDate().toJulianDay(), y = b.toDate().toJulianDay();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Picture: {
        const int c = a.toByteArray().compare(b.toByteArray());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
}

} // namespace

// ------------------------------------------------------------ order and view

bool Table::orderedBefore(int x, int y) const
{
    const QVector<QVariant> &a = m_rows[x].values, &b = m_rows[y].values;
    for (int f : m_keyFields) {
        const int c = compareValues(a[f], b[f], m_def.fields[f].type, m_index->caseInsensitive);
        if (c)
            return c < 0;
    }
    return m_rows[x].id < m_rows[y].id;
}

void Table::insertOrdered(int row)
{
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row,
                                    [this](int a, int b) { return orderedBefore(a, b); }),
                   row);
}

void Table::removeOrdered(int row)
{
    const auto it = std::lower_bound(m_order.begin(), m_order.end(), row,
                                     [this](int a, int b) { return orderedBefore(a, b); });
    if (it != m_order.end() && *it == row)
        m_order.erase(it);
    else
        m_order.erase(std::find(m_order.begin(), m_order.end(), row));
}

int Table::compareToKey(const QVector<QVariant> &row, const QVariantList &key) const
{
    const int count = std::min<int>(int(key.size()), int(m_keyFields.size()));
    for (int i = 0; i < count; ++i) {
        const int f = m_keyFields[i];
        const int c = compareValues(row[f], convert(f, key[i]), m_def.fields[f].type, m_index->caseInsensitive);
        if (c)
            return c;
    }
    return 0;
}

void Table::rebuildOrder()
{
    m_order.resize(m_rows.size());
    m_byId.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_order[i] = int(i);
        m_byId.insert(m_rows[i].id, int(i));
    }
    std::sort(m_order.begin(), m_order.end(), [this](int x, int y) { return orderedBefore(x, y); });
    rebuildDetailIndex();
}

void Table::rebuildDetailIndex()
{
    m_detailIndex.clear();
    if (!m_master)
        return;
    for (const Row &r : m_rows)
        m_detailIndex[detailKey(r.values)].append(r.id);
}

void Table::indexDetail(qint64 id, const QVector<QVariant> &values)
{
    if (m_master)
        m_detailIndex[detailKey(values)].append(id);
}

void Table::unindexDetail(qint64 id, const QVector<QVariant> &values)
{
    if (!m_master)
        return;
    const auto it = m_detailIndex.find(detailKey(values));
    if (it == m_detailIndex.end())
        return;
    it->removeOne(id);
    if (it->isEmpty())
        m_detailIndex.erase(it);
}

bool Table::visible(const Row &row) const
{
    if (m_master) {
        const QVector<QVariant> *mv = m_master->currentValues();
        if (!mv)
            return false;
        const QVariant &key = (*mv)[m_masterField];
        if (key.isNull() || !key.isValid() || row.values[m_detailField].toLongLong() != key.toLongLong())
            return false;
    }
    if (m_range && (compareToKey(row.values, m_range->from) < 0 || compareToKey(row.values, m_range->to) > 0))
        return false;
    if (m_filtered && m_filter && !m_filter->matches(row.values))
        return false;
    return true;
}

void Table::rebuildView(qint64 keepId)
{
    const int keepRow = keepId ? m_byId.value(keepId, -1) : -1;
    if (!m_master && !m_range && !(m_filtered && m_filter)) {
        m_view = m_order; // the cursor sees every row
    } else if (m_master) {
        // The rows of the master's key, from the detail index, in index order.
        m_view.clear();
        const QVector<QVariant> *mv = m_master->currentValues();
        const QVariant key = mv ? (*mv)[m_masterField] : QVariant();
        if (!key.isNull() && key.isValid()) {
            for (qint64 id : m_detailIndex.value(key.toLongLong())) {
                const int row = m_byId.value(id, -1);
                if (row >= 0 && visible(m_rows[row]))
                    m_view.push_back(row);
            }
            std::sort(m_view.begin(), m_view.end(), [this](int x, int y) { return orderedBefore(x, y); });
        }
    } else {
        // A range is a stretch of the index order: found by binary search.
        auto from = m_order.begin(), to = m_order.end();
        if (m_range) {
            from = std::lower_bound(m_order.begin(), m_order.end(), 0, [this](int row, int) {
                return compareToKey(m_rows[row].values, m_range->from) < 0;
            });
            to = std::upper_bound(from, m_order.end(), 0, [this](int, int row) {
                return compareToKey(m_rows[row].values, m_range->to) > 0;
            });
        }
        m_view.clear();
        for (auto it = from; it != to; ++it)
            if (visible(m_rows[*it]))
                m_view.push_back(*it);
    }
    const auto found = keepRow < 0 ? m_view.end() : std::find(m_view.begin(), m_view.end(), keepRow);
    if (found != m_view.end())
        m_pos = int(found - m_view.begin());
    else
        m_pos = std::clamp(m_pos, 0, std::max(0, int(m_view.size()) - 1));
    if (m_view.empty())
        m_bof = m_eof = true;
}

qint64 Table::currentId() const
{
    return m_view.empty() ? 0 : m_rows[m_view[m_pos]].id;
}

const QVector<QVariant> *Table::currentValues() const
{
    if (isEditing())
        return &m_buffer;
    if (m_view.empty())
        return nullptr;
    return &m_rows[m_view[m_pos]].values;
}

void Table::scrolled()
{
    // Detail tables follow before anyone hears of the move.
    for (Table *t : m_set.detailsOf(this))
        t->masterScrolled();
    emit afterScroll();
}

void Table::masterScrolled()
{
    if (!isOpen())
        return;
    if (isEditing())
        post();
    rebuildView(0);
    m_pos = 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

// ---------------------------------------------------------------- navigation

void Table::first()
{
    checkBrowseMode();
    m_pos = 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

void Table::last()
{
    checkBrowseMode();
    m_pos = std::max(0, int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
    scrolled();
}

bool Table::next()
{
    checkBrowseMode();
    if (m_pos + 1 < int(m_view.size())) {
        ++m_pos;
        m_bof = m_eof = false;
        scrolled();
        return true;
    }
    m_eof = true;
    return false;
}

bool Table::prior()
{
    checkBrowseMode();
    if (m_pos > 0 && !m_view.empty()) {
        --m_pos;
        m_bof = m_eof = false;
        scrolled();
        return true;
    }
    m_bof = true;
    return false;
}

bool Table::moveTo(int recNo)
{
    checkBrowseMode();
    if (recNo < 0 || recNo >= int(m_view.size()))
        return false;
    m_pos = recNo;
    m_bof = m_eof = false;
    scrolled();
    return true;
}

// ------------------------------------------------------------------- indexes

void Table::setIndexName(const QString &name)
{
    checkBrowseMode();
    const IndexDef *ix = m_def.index(name);
    if (!ix)
        fail(QStringLiteral("Den Index „%1“ gibt es nicht.").arg(name));
    if (ix == m_index)
        return;
    const qint64 id = currentId();
    selectIndex(ix);
    m_range.reset();
    rebuildOrder();
    rebuildView(id);
    scrolled();
}

bool Table::findKey(const QVariantList &key)
{
    checkBrowseMode();
    const auto it = std::lower_bound(m_view.begin(), m_view.end(), 0,
                                     [&](int row, int) { return compareToKey(m_rows[row].values, key) < 0; });
    if (it == m_view.end() || compareToKey(m_rows[*it].values, key) != 0)
        return false;
    m_pos = int(it - m_view.begin());
    m_bof = m_eof = false;
    scrolled();
    return true;
}

void Table::findNearest(const QVariantList &key)
{
    checkBrowseMode();
    if (m_view.empty())
        return;
    const auto it = std::lower_bound(m_view.begin(), m_view.end(), 0,
                                     [&](int row, int) { return compareToKey(m_rows[row].values, key) < 0; });
    m_pos = std::min(int(it - m_view.begin()), int(m_view.size()) - 1);
    m_bof = m_eof = false;
    scrolled();
}

void Table::setRange(const QVariantList &from, const QVariantList &to)
{
    checkBrowseMode();
    m_range = Range{from, to};
    rebuildView(0);
    first();
}

void Table::cancelRange()
{
    checkBrowseMode();
    if (!m_range)
        return;
    const qint64 id = currentId();
    m_range.reset();
    rebuildView(id);
    scrolled();
}

void Table::setFilter(const QString &expression)
{
    if (isOpen())
        checkBrowseMode();
    if (expression.trimmed().isEmpty())
        m_filter.reset();
    else
        m_filter.emplace(expression, m_def);
    m_filterText = expression;
    if (m_filtered && isOpen()) {
        rebuildView(0);
        first();
    }
}

void Table::setFiltered(bool on)
{
    if (isOpen())
        checkBrowseMode();
    if (on == m_filtered)
        return;
    const qint64 id = currentId();
    m_filtered = on;
    if (!isOpen())
        return;
    rebuildView(id);
    if (on)
        first();
    else
        scrolled();
}

// ----------------------------------------------------------------- bookmarks

Table::Bookmark Table::bookmark() const
{
    return currentId();
}

bool Table::bookmarkValid(Bookmark bm) const
{
    return bm && std::any_of(m_view.begin(), m_view.end(), [&](int i) { return m_rows[i].id == bm; });
}

bool Table::gotoBookmark(Bookmark bm)
{
    checkBrowseMode();
    for (int i = 0; i < int(m_view.size()); ++i) {
        if (m_rows[m_view[i]].id == bm) {
            m_pos = i;
            m_bof = m_eof = false;
            scrolled();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------- view

Table::View Table::view() const
{
    View v;
    v.index = m_index ? m_index->name : QString();
    if (m_range) {
        v.ranged = true;
        v.rangeFrom = m_range->from;
        v.rangeTo = m_range->to;
    }
    v.filter = m_filterText;
    v.filtered = m_filtered;
    v.row = currentId();
    v.recNo = std::max(0, recNo());
    return v;
}

void Table::setView(const View &v)
{
    checkBrowseMode();
    const IndexDef *ix = m_def.index(v.index);
    if (!ix)
        fail(QStringLiteral("Den Index „%1“ gibt es nicht.").arg(v.index));
    // Everything is set before the rows are sorted and selected once.
    std::optional<Filter> filter;
    if (!v.filter.trimmed().isEmpty())
        filter.emplace(v.filter, m_def);
    if (ix != m_index) {
        selectIndex(ix);
        rebuildOrder();
    }
    if (v.ranged)
        m_range = Range{v.rangeFrom, v.rangeTo};
    else
        m_range.reset();
    m_filter = std::move(filter);
    m_filterText = v.filter;
    m_filtered = v.filtered;
    m_pos = v.recNo;
    rebuildView(v.row);
    m_bof = m_eof = m_view.empty();
    scrolled();
}

// ------------------------------------------------------------- master-detail

void Table::setMaster(Table *master, const QString &masterField, const QString &detailField)
{
    m_master = master;
    m_masterField = master ? master->field(masterField) : -1;
    m_detailField = master ? field(detailField) : -1;
    rebuildDetailIndex();
    m_set.linkDetail(this, master);
    if (isOpen())
        masterScrolled();
}

} // namespace store
