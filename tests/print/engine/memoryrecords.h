#pragma once

// Records held in memory, for tests of the report engine that need data
// without a data directory: each record maps field names to values. A
// field's text is its value's own text; a field holding a string is a long
// text.

#include "print/engine/recordsource.h"

#include <QVariantMap>
#include <QVector>

namespace testsupport {

class MemoryRecords : public engine::RecordSource
{
public:
    explicit MemoryRecords(QVector<QVariantMap> records = {}) : records(std::move(records)) {}

    QVector<QVariantMap> records;
    int current = 0; // the current record's index

    void first() override { current = 0; }
    void next() override { ++current; }
    bool atEnd() const override { return current >= records.size(); }
    bool hasRecord() const override { return current >= 0 && current < records.size(); }
    QVariant value(const QString &field) const override
    {
        return hasRecord() ? records[current].value(field) : QVariant();
    }
    QString text(const QString &field) const override { return value(field).toString(); }
    bool isLongText(const QString &field) const override { return value(field).typeId() == QMetaType::QString; }
};

} // namespace testsupport
