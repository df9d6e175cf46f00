#include "install.h"

#include "refusal.h"
#include "schema.h"
#include "sqlitestmt.h"
#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace store {

using detail::Stmt;

QString deliveredPlanPath()
{
    return QStringLiteral(":/data/plan.tsv");
}

QString deliveredHintsDir()
{
    return QStringLiteral(":/data/hints");
}

namespace {

class Db
{
public:
    // A connection that failed to open is closed as the refusal leaves.
    explicit Db(const QString &path) : m_path(path)
    {
        int rc = SQLITE_OK;
        m_db = detail::openConnection(path.toUtf8(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &rc);
        if (rc != SQLITE_OK)
            refuse(m_db ? SqliteRefusal::of(m_db.get()) : SqliteRefusal::ofCode(rc));
    }
    void exec(const QString &sql)
    {
        char *err = nullptr;
        if (sqlite3_exec(m_db.get(), sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const SqliteRefusal refusal = SqliteRefusal::of(m_db.get(), sql, err);
            sqlite3_free(err);
            refuse(refusal);
        }
    }
    // A flaw of the delivered data, said in German.
    [[noreturn]] void fail(const QString &msg) const
    {
        throw StoreError(QStringLiteral("Die Tabellendatei %1 kann nicht angelegt werden (%2).")
                             .arg(QDir::toNativeSeparators(m_path), msg));
    }
    // SQLite refused to write the file.
    [[noreturn]] void refuse(const SqliteRefusal &refusal) const
    {
        const QString folder = QDir::toNativeSeparators(QFileInfo(m_path).absolutePath());
        throw refusalError({QStringLiteral("Tabelle %1").arg(QDir::toNativeSeparators(m_path)), m_path, folder, 0, {},
                            true},
                           QStringLiteral("Die Tabellendatei kann nicht angelegt werden."), refusal);
    }
    sqlite3 *handle() const { return m_db.get(); }

private:
    QString m_path;
    detail::Connection m_db;
};

QVariant parseCell(const FieldDef &fd, const QString &cell)
{
    if (cell.isEmpty())
        return {};
    switch (fd.type) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::RichMemo:
        return cell;
    case FieldType::Boolean:
        return cell == QLatin1String("1") || cell.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    default:
        return cell.toInt();
    }
}

void fillPlan(Db &db, const TableDef &def)
{
    QFile file(deliveredPlanPath());
    if (!file.open(QIODevice::ReadOnly))
        db.fail(QStringLiteral("die Plandaten fehlen"));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        db.fail(QStringLiteral("die Plandaten sind leer"));
    const QStringList header = lines.first().trimmed().split(QLatin1Char('\t'));
    QVector<int> fieldOf;
    QStringList cols, marks;
    for (const QString &h : header) {
        const int f = def.fieldIndex(h);
        if (f < 0)
            db.fail(QStringLiteral("unbekannte Spalte „%1“ in den Plandaten").arg(h));
        fieldOf << f;
        cols << QLatin1Char('"') + def.fields[f].name + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    Stmt st(db.handle(), QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                             .arg(def.tableName, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() != header.size())
            db.fail(QStringLiteral("Zeile %1 der Plandaten hat %2 statt %3 Spalten").arg(i + 1).arg(cells.size()).arg(header.size()));
        sqlite3_reset(st.handle());
        for (int c = 0; c < cells.size(); ++c)
            st.bind(c + 1, parseCell(def.fields[fieldOf[c]], cells[c]));
        if (st.step() != SQLITE_DONE)
            db.refuse(SqliteRefusal::of(db.handle(), QStringLiteral("Zeile %1 der Plandaten").arg(i + 1)));
    }
}

void fillHints(Db &db)
{
    static const QRegularExpression name(QStringLiteral("^(\\d+)_(\\d+)\\.rtf$"));
    Stmt st(db.handle(), QStringLiteral("INSERT INTO \"hints\" (\"Tdb\", \"Gruppe\", \"Text\") VALUES (?, ?, ?)"));
    const QDir dir(deliveredHintsDir());
    for (const QString &entry : dir.entryList(QDir::Files, QDir::Name)) {
        const auto m = name.match(entry);
        if (!m.hasMatch())
            continue;
        QFile file(dir.filePath(entry));
        if (!file.open(QIODevice::ReadOnly))
            db.fail(QStringLiteral("der Hinweis %1 kann nicht gelesen werden").arg(entry));
        sqlite3_reset(st.handle());
        st.bind(1, m.captured(1).toInt());
        st.bind(2, m.captured(2).toInt());
        st.bind(3, QString::fromLatin1(file.readAll())); // RTF is 7-bit text
        if (st.step() != SQLITE_DONE)
            db.refuse(SqliteRefusal::of(db.handle(), QStringLiteral("Hinweis %1").arg(entry)));
    }
}

} // namespace

void installDataDirectory(const QString &dir)
{
    const QString dataDir = QDir(dir).absoluteFilePath(QStringLiteral("daten"));
    for (const TableDef &def : tableDefs()) {
        if (QFileInfo::exists(dataDir + QLatin1Char('/') + def.fileName))
            throw StoreError(QStringLiteral("Im Datenverzeichnis %1 gibt es schon die Tabellendatei %2; es wird nichts "
                                            "überschrieben.")
                                 .arg(QDir::toNativeSeparators(dataDir), def.fileName));
    }
    if (!QDir().mkpath(dataDir))
        throw StoreError(QStringLiteral("Das Datenverzeichnis %1 kann nicht angelegt werden.").arg(QDir::toNativeSeparators(dataDir)));
    for (const TableDef &def : tableDefs()) {
        Db db(dataDir + QLatin1Char('/') + def.fileName);
        db.exec(QStringLiteral("PRAGMA journal_mode=DELETE; BEGIN;"));
        db.exec(def.createStatements());
        if (def.fileName == QLatin1String(tables::plan))
            fillPlan(db, def);
        else if (def.fileName == QLatin1String(tables::hints))
            fillHints(db);
        db.exec(QStringLiteral("COMMIT;"));
    }
}

} // namespace store
