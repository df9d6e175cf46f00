#pragma once

#include "filter.h"
#include "schema.h"
#include "sqlitehandle.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QVariant>
#include <QVector>
#include <optional>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

namespace store {

class TableSet;
namespace detail {
class Stmt;
}

enum class TableState { Inactive, Browse, Edit, Insert };

// A cursor over one table file of the data directory. The rows are held in
// memory in the order of the selected index; ranges, filters and the
// master-detail link narrow the rows the cursor sees. Every post is written
// through to the file before post() returns (inside a transaction of the
// table set: when the transaction commits).
//
// Errors are thrown as StoreError with a German message naming the file.
// Moving the cursor, changing the index, range or filter first posts a
// pending edit, as a user expects of a table that "stores when it moves".
class Table : public QObject
{
    Q_OBJECT
public:
    using Bookmark = qint64;

    Table(TableSet &set, const TableDef &def);
    ~Table() override;

    const TableDef &def() const { return m_def; }
    const QString &fileName() const { return m_def.fileName; }
    QString filePath() const;

    // Opening and closing
    void open();
    void close();
    bool isOpen() const { return m_state != TableState::Inactive; }
    TableState state() const { return m_state; }
    bool isEditing() const { return m_state == TableState::Edit || m_state == TableState::Insert; }
    // Deletes every row; works whether the table is open or closed.
    void emptyTable();
    // Reads the rows from the file again (after SQL statements ran on it).
    void refresh();

    // Navigation over the rows the cursor sees
    int recordCount() const { return int(m_view.size()); }
    bool isEmpty() const { return m_view.empty(); }
    int recNo() const { return m_view.empty() ? -1 : m_pos; } // 0-based
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    void first();
    void last();
    bool next();  // false (and eof) at the last row
    bool prior(); // false (and bof) at the first row
    bool moveTo(int recNo);

    // Fields of the current row (of the edit buffer while editing)
    QVariant value(const QString &field) const; // invalid QVariant when empty
    // A field of any row the cursor sees, without moving the cursor; the
    // current row reads from the edit buffer while it is being edited.
    QVariant valueAt(int recNo, const QString &field) const;
    bool isNull(const QString &field) const;
    QString asString(const QString &field) const;
    int asInt(const QString &field) const;
    bool asBool(const QString &field) const;
    QDate asDate(const QString &field) const;
    QByteArray asBytes(const QString &field) const;
    // The length of the field's bytes; a picture left in the file is not
    // read for it.
    qint64 byteSize(const QString &field) const;
    // The first `count` bytes of the field (a picture's header), read
    // without the rest.
    QByteArray leadingBytes(const QString &field, int count) const;
    // Needs edit or insert state; converts to the field's type.
    void setValue(const QString &field, const QVariant &value);
    void clearValue(const QString &field);

    // Editing
    void append(); // insert state with an empty buffer (the link field preset)
    void edit();
    void post();
    void cancel();
    void remove(); // deletes the current row; the cursor moves to the next one

    // Before-images: while they are kept, each row is noted as it stands in
    // the file before this table first changes it (a post that writes, a
    // deletion, a new row), so that putBackBeforeImages() can return every
    // row to the state it had when keeping began. Starting again forgets
    // what was noted: the stored state is then the one to return to.
    void keepBeforeImages();
    void dropBeforeImages(); // stops keeping them
    bool keepsBeforeImages() const { return m_keepBefore; }
    bool hasBeforeImages() const { return !m_before.isEmpty(); }
    // Writes the noted rows back, removes the new ones and reloads the rows;
    // the notes stay until dropped. Inside a transaction of the table set it
    // is part of it, so a failure leaves every table as it was.
    void putBackBeforeImages();

    // Indexes: "" is the primary index, the default order
    QString indexName() const { return m_index->name; }
    void setIndexName(const QString &name);
    // Exact lookup on the leading fields of the current index; the cursor
    // stays where it was when no row matches.
    bool findKey(const QVariantList &key);
    // Moves to the first row whose key is not below the given leading key.
    void findNearest(const QVariantList &key);

    // Ranges on the leading fields of the current index
    void setRange(const QVariantList &from, const QVariantList &to);
    void cancelRange();

    // Filters
    void setFilter(const QString &expression); // applies when filtered
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Bookmarks: the identity of a row, valid as long as the row exists
    Bookmark bookmark() const;
    bool gotoBookmark(Bookmark bm);
    bool bookmarkValid(Bookmark bm) const;

    // What narrows and orders the rows the cursor sees (index, range,
    // filter) and the row it stands on. Setting a view back returns to the
    // remembered row, or to the same position when that row is gone.
    struct View
    {
        QString index;
        bool ranged = false;
        QVariantList rangeFrom, rangeTo;
        QString filter;
        bool filtered = false;
        Bookmark row = 0;
        int recNo = 0;
    };
    View view() const;
    void setView(const View &view);

    // Master-detail link: the cursor sees the rows whose detailField equals
    // masterField of the master's current row, and follows the master.
    void setMaster(Table *master, const QString &masterField, const QString &detailField);
    Table *master() const { return m_master; }

signals:
    void afterOpen();
    void beforeClose();
    void afterScroll();       // the current row changed (position or contents)
    void stateChanged();      // browse / edit / insert / inactive
    void fieldChanged(const QString &field);
    void beforePost();
    void afterPost();

private:
    friend class TableSet;
    struct Row
    {
        qint64 id = 0; // the SQLite rowid
        QVector<QVariant> values;
        // Fields read from the file when asked for (bit n for field n): the
        // pictures that hold a value, and the fields stored after the first
        // picture. Their entry in values is empty.
        quint64 onFile = 0;
    };
    struct Range
    {
        QVariantList from, to;
    };

    int field(const QString &name) const; // throws for unknown names
    const QVector<QVariant> *currentValues() const;
    // Field f of the row with values `values` and large fields `onFile`,
    // read from the file when it is not held in memory.
    QVariant fieldValue(qint64 id, const QVector<QVariant> &values, quint64 onFile, int f) const;
    QVariant readLarge(qint64 id, int f) const;
    // Moves the large values of a stored row out of memory.
    void leaveOnFile(Row &row) const;
    void forgetRead(qint64 id, quint64 fields);
    QVariant convert(int field, const QVariant &value) const;
    bool orderedBefore(int x, int y) const; // by the index's fields, then by identity
    void insertOrdered(int row);
    void removeOrdered(int row);
    void selectIndex(const IndexDef *index);
    int compareToKey(const QVector<QVariant> &row, const QVariantList &key) const;
    bool visible(const Row &row) const;
    void loadRows();
    void rebuildOrder();
    // The detail index: the rows of each value of the link field.
    void rebuildDetailIndex();
    qint64 detailKey(const QVector<QVariant> &values) const { return values[m_detailField].toLongLong(); }
    void indexDetail(qint64 id, const QVector<QVariant> &values);
    void unindexDetail(qint64 id, const QVector<QVariant> &values);
    void rebuildView(qint64 keepId);
    qint64 currentId() const;
    void setState(TableState s);
    void checkOpen() const;
    void checkBrowseMode();
    void scrolled();
    void masterScrolled();
    QString qualifiedName() const;
    std::pair<qint64, quint64> currentOnFile() const;
    // The most of the table's file SQLite keeps in memory, in KiB. An update
    // rewrites a whole row, pictures included, and reads each page of the
    // row twice (to build the new row and to compare it with the stored
    // one): with room for less than a row, both reads go to the file.
    void setPageCacheLimit(int kib);
    static constexpr int largeRowCacheKib = 16 * 1024;
    // The statement `sql` prepared once while the table is open (null when
    // it does not prepare); use it through a Stmt, which resets it.
    sqlite3_stmt *prepared(const QString &sql) const;
    // Before the file leaves the connection: the held statements go.
    void finalizeStatements();
    [[noreturn]] void fail(const QString &what, const QString &detail = {}) const;
    // A read or write SQLite refused: `action` says what did not happen,
    // the rest what went wrong and what the user can do (see refusal.h).
    [[noreturn]] void refuse(const QString &action, const detail::Stmt &st) const;
    // Notes row `id` as the file holds it, once, while before-images are kept.
    void noteBeforeImage(qint64 id, quint64 fields);
    quint64 allFields() const;

    TableSet &m_set;
    const TableDef &m_def;
    TableState m_state = TableState::Inactive;
    QString m_schema; // the name of the attached file in the table set's connection
    // The statements a table runs again and again (writing a row, deleting
    // one, reading a picture) by their text, prepared once while it is open.
    mutable std::unordered_map<QString, detail::Statement> m_statements;

    std::vector<Row> m_rows;
    std::vector<int> m_order; // indexes into m_rows, in index order
    std::vector<int> m_view;  // the part of m_order the cursor sees
    QHash<qint64, int> m_byId; // row identity -> position in m_rows
    int m_pos = 0;
    bool m_bof = true, m_eof = true;
    QVector<QVariant> m_buffer;
    quint64 m_bufferOnFile = 0; // large fields of the edited row not read, unchanged
    quint64 m_largeFields = 0;  // the pictures: read on demand, held only while edited
    quint64 m_deferredFields = 0; // read on demand: the pictures and the fields after the first
    // The value of each on-demand field read last (field -> row, value), as
    // a picture is asked for several times.
    mutable QHash<int, QPair<qint64, QVariant>> m_lastRead;
    qint64 m_editId = 0;       // row being edited
    qint64 m_beforeInsert = 0; // row current before append()

    const IndexDef *m_index = nullptr;
    std::vector<int> m_keyFields; // field numbers of the index's fields
    std::optional<Range> m_range;
    QString m_filterText;
    std::optional<Filter> m_filter;
    bool m_filtered = false;

    Table *m_master = nullptr;
    int m_masterField = -1, m_detailField = -1;
    // Of a detail table: link field value -> identities of its rows, so that
    // following the master does not scan every row.
    QHash<qint64, QVector<qint64>> m_detailIndex;

    bool m_keepBefore = false;
    // A row as stored when keeping began: the fields a post or a deletion
    // was about to change (known), each noted before its first change, so
    // that a changed text does not read the row's pictures; a row that did
    // not exist then is marked as new.
    struct BeforeImage
    {
        bool added = false;
        quint64 known = 0;
        QVector<QVariant> values;
    };
    QHash<qint64, BeforeImage> m_before;
};

} // namespace store
