#include "schema.h"

#include <QDate>
#include <QRegularExpression>

#include "storeerror.h"

namespace store {

QDate dateFromText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2}|\\d{4})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    const QString year = m.captured(3);
    return QDate(year.size() == 2 ? 2000 + year.toInt() : year.toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}


namespace {

FieldDef f(const char *name, FieldType type, int size = 0, bool required = false)
{
    return FieldDef{QString::fromLatin1(name), type, size, required};
}

IndexDef primary(const char *name, QStringList fields, bool unique)
{
    return IndexDef{QString::fromLatin1(name), std::move(fields), unique, false, true};
}

IndexDef secondary(const char *name, QStringList fields)
{
    return IndexDef{QString::fromLatin1(name), std::move(fields), true, true, false};
}

using T = FieldType;

QVector<FieldDef> smallints(std::initializer_list<const char *> names)
{
    QVector<FieldDef> out;
    for (const char *n : names)
        out.append(f(n, T::SmallInt));
    return out;
}

// The composition and the detail rows share one field list, in two orders.
QVector<FieldDef> compositionFields()
{
    QVector<FieldDef> v{f("Lfdnr", T::SmallInt), f("Text", T::String, 255), f("Headertext", T::String, 255),
                        f("Alltext", T::Memo), f("GroupId", T::SmallInt), f("LfdfTag", T::Integer),
                        f("Isheader", T::Boolean), f("UELU", T::Boolean), f("NoChild", T::Boolean)};
    v += smallints({"GroupCnt", "ThemaCnt", "L1", "L2a", "L2b", "L3", "L1cnt", "L2acnt", "L2bcnt", "L3cnt"});
    v += {f("BA", T::Boolean), f("Hintid", T::SmallInt), f("Masterlfd", T::Integer), f("Kopieren", T::Boolean),
          f("Verschieben", T::Boolean)};
    return v;
}

QVector<FieldDef> detailFields()
{
    QVector<FieldDef> v{f("Masterlfd", T::Integer), f("Lfdnr", T::SmallInt), f("Text", T::String, 255),
                        f("GroupId", T::SmallInt),  f("LfdfTag", T::Integer), f("Alltext", T::Memo),
                        f("Isheader", T::Boolean),  f("NoChild", T::Boolean)};
    v += smallints({"GroupCnt", "ThemaCnt"});
    v += f("Headertext", T::String, 255);
    v += smallints({"L1", "L2a", "L2b", "L3", "L1cnt", "L2acnt", "L2bcnt", "L3cnt"});
    v += {f("BA", T::Boolean), f("UELU", T::Boolean), f("Hintid", T::SmallInt), f("Kopieren", T::Boolean),
          f("Verschieben", T::Boolean)};
    return v;
}

QVector<TableDef> makeDefs()
{
    QVector<TableDef> defs;

    TableDef plan{QStringLiteral("thetable.DB"), QStringLiteral("thetable"), QStringLiteral("Table1"), {}, {}};
    plan.fields = {f("Lfdnr", T::SmallInt), f("Text", T::String, 255), f("GroupId", T::SmallInt),
                   f("LfdfTag", T::AutoInc), f("Isheader", T::Boolean), f("NoChild", T::Boolean)};
    plan.fields += smallints({"GroupCnt", "ThemaCnt", "L1", "L2a", "L2b", "L3", "L1cnt", "L2acnt", "L2bcnt",
                              "L3cnt", "Cnt", "Hintid"});
    plan.indexes = {primary("Table1Index1", {"Lfdnr", "Text", "GroupId", "LfdfTag"}, true),
                    secondary("_lfdugroup", {"Lfdnr", "GroupId", "LfdfTag"}),
                    secondary("_lfdftag", {"LfdfTag"})};
    defs.append(plan);

    TableDef comp{QStringLiteral("tmptable.DB"), QStringLiteral("tmptable"), QStringLiteral("temptable"),
                  compositionFields(), {}};
    comp.indexes = {primary("", {}, false)}; // order of entry
    defs.append(comp);

    TableDef rep{QStringLiteral("bericht.db"), QStringLiteral("bericht"), QStringLiteral("berichttable"), {}, {}};
    rep.fields = {f("AJahr", T::SmallInt),  f("Nummer", T::Integer, 0, true), f("Blatt", T::SmallInt),
                  f("WocheVom", T::Date),   f("BerLfd", T::AutoInc),           f("WocheBis", T::Date),
                  f("Datum", T::Date),      f("Gedruckt", T::Date),            f("Thema", T::String, 255),
                  f("Taetigkeit", T::RichMemo), f("Vermerke", T::RichMemo),    f("Darstellung", T::RichMemo)};
    for (const char *n : {"TDAB1", "TDAB2", "TDAB3", "TDAB4", "TDAB5", "Tdab6", "Tdab7", "Tdab8", "Tdab9", "Tdab10"})
        rep.fields.append(f(n, T::String, 2));
    rep.fields += {f("Bild1", T::Picture), f("Zoom1", T::SmallInt), f("Bild2", T::Picture), f("Zoom2", T::Integer)};
    rep.indexes = {primary("", {"AJahr", "Nummer", "Blatt"}, true)};
    defs.append(rep);

    TableDef det{QStringLiteral("berdet.DB"), QStringLiteral("berdet"), QStringLiteral("berichtdetailtable"),
                 detailFields(), {}};
    det.indexes = {primary("", {"Masterlfd"}, false)};
    defs.append(det);

    TableDef hints{QStringLiteral("hints.db"), QStringLiteral("hints"), QStringLiteral("hinttable"), {}, {}};
    hints.fields = {f("Tdb", T::Integer), f("Gruppe", T::Integer), f("Text", T::RichMemo)};
    hints.indexes = {primary("", {"Tdb", "Gruppe"}, true)};
    defs.append(hints);

    TableDef ov{QStringLiteral("uebersB.DB"), QStringLiteral("uebersB"), QStringLiteral("uebersichttable"), {}, {}};
    ov.fields = {f("Lj", T::SmallInt, 0, true), f("Auto", T::AutoInc), f("Bs", T::String, 25),
                 f("Uelu", T::String, 25), f("Urlaub", T::String, 25), f("Krank", T::String, 25)};
    ov.indexes = {primary("uebersichttableIndex1", {"Lj", "Auto"}, true)};
    defs.append(ov);

    return defs;
}

TableDef makeMarksDef()
{
    // One row per marked week (Woche set, Blattlfd 0) or per sheet the
    // trainer has seen or that was changed after being seen (Blattlfd set).
    TableDef marks{QStringLiteral("marken.db"), QStringLiteral("marken"), QStringLiteral("markentable"), {}, {}};
    marks.fields = {f("Woche", T::Date),        f("Grund", T::String, 40),    f("Notiz", T::String, 255),
                    f("Blattlfd", T::Integer), f("Gesehen", T::Date),        f("Pruefer", T::String, 255),
                    f("Geaendert", T::Date)};
    marks.indexes = {primary("", {}, false)}; // order of entry
    return marks;
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

const char *sqlType(FieldType t)
{
    switch (t) {
    case T::String:
    case T::Date:
    case T::Memo:
    case T::RichMemo:
        return "TEXT";
    case T::Picture:
        return "BLOB";
    default:
        return "INTEGER";
    }
}

} // namespace

int TableDef::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TableDef::autoIncField() const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].type == FieldType::AutoInc)
            return i;
    return -1;
}

const IndexDef *TableDef::index(const QString &name) const
{
    for (const IndexDef &ix : indexes)
        if ((name.isEmpty() && ix.primary) || (!name.isEmpty() && ix.name.compare(name, Qt::CaseInsensitive) == 0))
            return &ix;
    return nullptr;
}

QString TableDef::createStatements() const
{
    QStringList cols;
    for (const FieldDef &fd : fields) {
        QString col = quoted(fd.name) + QLatin1Char(' ') + QLatin1String(sqlType(fd.type));
        if (fd.type == FieldType::AutoInc)
            col += QLatin1String(" PRIMARY KEY AUTOINCREMENT");
        else if (fd.required)
            col += QLatin1String(" NOT NULL");
        cols << col;
    }
    QString sql = QStringLiteral("CREATE TABLE %1 (%2);\n").arg(quoted(tableName), cols.join(QLatin1String(", ")));
    int n = 0;
    for (const IndexDef &ix : indexes) {
        if (ix.fields.isEmpty())
            continue;
        QStringList parts;
        for (const QString &fn : ix.fields) {
            const FieldDef &fd = fields[fieldIndex(fn)];
            parts << quoted(fd.name)
                         + (ix.caseInsensitive && fd.type == FieldType::String ? QLatin1String(" COLLATE NOCASE")
                                                                                : QLatin1String(""));
        }
        const QString ixName = ix.name.isEmpty() ? QStringLiteral("%1_key%2").arg(tableName).arg(n) : ix.name;
        sql += QStringLiteral("CREATE %1INDEX %2 ON %3 (%4);\n")
                   .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), quoted(ixName), quoted(tableName),
                        parts.join(QLatin1String(", ")));
        ++n;
    }
    return sql;
}

const QVector<TableDef> &tableDefs()
{
    static const QVector<TableDef> defs = makeDefs();
    return defs;
}

const TableDef &marksTableDef()
{
    static const TableDef def = makeMarksDef();
    return def;
}

const TableDef &tableDef(const QString &fileName)
{
    for (const TableDef &d : tableDefs())
        if (d.fileName.compare(fileName, Qt::CaseInsensitive) == 0 || d.tableName.compare(fileName, Qt::CaseInsensitive) == 0)
            return d;
    throw StoreError(QStringLiteral("Unbekannte Tabelle %1.").arg(fileName));
}

} // namespace store
