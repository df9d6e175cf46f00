#pragma once

// Where a report reads its data: a cursor over records with a current one.
// Data texts, pictures and rich texts print a field of the current record;
// the detail band prints once per record. The forms hand the engine a
// source over a table of the store (print/tablesource.h); the engine knows
// nothing about where the records come from.

#include <QString>
#include <QVariant>

namespace engine {

class RecordSource
{
public:
    virtual ~RecordSource() = default;

    // Walking every record for the detail band: first() moves to the first
    // record, next() to the one after the current one; atEnd() is true after
    // the last one, and at once when there is none or the source cannot be
    // read.
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool atEnd() const = 0;

    // Whether there is a current record to read.
    virtual bool hasRecord() const = 0;
    // A field of the current record: its value (invalid or null when empty)
    // and the text the source shows for it.
    virtual QVariant value(const QString &field) const = 0;
    virtual QString text(const QString &field) const = 0;
    // Whether the field holds a long text (plain or RTF) that a rich-text
    // item prints; other fields leave a rich-text item empty.
    virtual bool isLongText(const QString &field) const = 0;
};

} // namespace engine
