#pragma once

// Recovery of the texts typed into the report editor: while the editor has
// unsaved changes it keeps the typed texts of its sheet in a recovery file
// beside the data directory; the file goes when the editor closes normally.
// A file found at start is what a crash left behind: the apprentice decides
// whether its texts go back into the report they belong to.

#include <QString>
#include <QVariant>

#include <optional>

namespace store {
class TableSet;
}

namespace recovery {

// The sheet the texts were typed into and the texts themselves.
struct Sheet
{
    // A report sheet stored before the editor opened: its row key and its
    // year, number and sheet. A new report (never stored) has none of them
    // but its training year.
    bool stored = false;
    qint64 berLfd = 0;
    int year = 0;
    int number = 0;
    int sheet = 0;
    // Field name -> value as the field stores it: the week dates as dates,
    // the rich-text fields as RTF, an empty field as an invalid QVariant.
    QVariantMap texts;

    bool operator==(const Sheet &) const = default;
};

// The fields a recovery file holds, in the report table.
const QStringList &textFields();

// The recovery file in the working directory, beside "daten".
QString filePath();

QByteArray encode(const Sheet &sheet);
// Nothing for a file that is damaged or not a recovery file of this
// program (wrong marker, a field it does not know, a value of the wrong
// kind): such a file is never applied.
std::optional<Sheet> decode(const QByteArray &bytes);

// Writes the file atomically: the old file or the new one, never half.
bool write(const Sheet &sheet, const QString &path = filePath());
void remove(const QString &path = filePath());

// Writes the texts into the report sheet they belong to, in one
// transaction. When that sheet is no longer there (or was never stored)
// they become a new report of their training year with the next free
// number. Returns the new or changed row's BerLfd.
qint64 restore(store::TableSet &tables, const Sheet &sheet);

// At start, after the tables are open and the main window is shown: when a
// recovery file is there, asks whether to restore it. Yes restores it and
// removes the file, No removes the file. A damaged or foreign file is
// refused with a message and removed, so that it does not ask again at
// every start; the table files stay untouched. True when texts were
// restored.
bool offerAtStart(store::TableSet &tables, const QString &path = filePath());

} // namespace recovery
