#include "tablesource.h"

#include "store/table.h"

namespace forms {

void TableSource::first()
{
    if (m_table.isOpen())
        m_table.first();
}

void TableSource::next()
{
    if (m_table.isOpen())
        m_table.next();
}

bool TableSource::atEnd() const
{
    return !m_table.isOpen() || m_table.eof();
}

bool TableSource::hasRecord() const
{
    return m_table.isOpen() && !m_table.isEmpty();
}

QVariant TableSource::value(const QString &field) const
{
    return m_table.value(field);
}

QString TableSource::text(const QString &field) const
{
    return m_table.asString(field);
}

bool TableSource::isLongText(const QString &field) const
{
    const int f = m_table.def().fieldIndex(field);
    if (f < 0)
        return false;
    const store::FieldType type = m_table.def().fields[f].type;
    return type == store::FieldType::Memo || type == store::FieldType::RichMemo;
}

} // namespace forms
