#include "creation.h"

#include "domain/coveredparts.h"
#include "domain/creation.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/storeerror.h"
#include "store/tableset.h"

#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace field = store::field;

namespace plan {

void appendReport(store::TableSet &tables, int year, const QDate &today, const std::optional<QString> &activities)
{
    store::Table &reports = tables.berichttable();
    store::Table &composition = tables.temptable();
    if (composition.isEditing())
        composition.post();
    const domain::NewReport values = domain::newReport(tables, year);
    reports.append();
    reports.setValue(field::Datum, today);
    reports.setValue(field::Nummer, values.number);
    reports.setValue(field::AJahr, year);
    // A new report is its own first sheet; further sheets count on from it.
    reports.setValue(field::Blatt, 1);
    const QString text = activities.value_or(values.activities);
    if (!text.isEmpty())
        reports.setValue(field::Taetigkeit, text);
    domain::writeCoveredParts(reports, values.parts);
}

bool createReport(store::TableSet &tables, int year, const QDate &today, const std::function<bool()> &editReport,
                  const std::optional<QString> &activities)
{
    store::Table &reports = tables.berichttable();
    // The new report, its items and the counts are stored together or not
    // at all: a cancelled dialog leaves no report behind, also when the
    // report row was stored while the dialog was open.
    store::Transaction transaction(tables);
    // Whatever ends the creation, no unstored row is left behind.
    const auto discard = qScopeGuard([&] {
        reports.cancel();
        tables.temptable().cancel();
    });
    appendReport(tables, year, today, activities);

    // The new row's key, as soon as it is stored: the items belong to this
    // report and to no other row the cursor may stand on afterwards.
    QVariant created;
    bool inserting = false;
    const QMetaObject::Connection before = QObject::connect(
        &reports, &store::Table::beforePost, [&] { inserting = reports.state() == store::TableState::Insert; });
    const QMetaObject::Connection after = QObject::connect(&reports, &store::Table::afterPost, [&] {
        if (inserting && !created.isValid())
            created = reports.value(field::BerLfd);
    });
    const auto disconnect = qScopeGuard([&] {
        QObject::disconnect(before);
        QObject::disconnect(after);
    });
    if (!editReport())
        return false;
    if (reports.state() == store::TableState::Insert)
        reports.post();
    if (!created.isValid())
        throw store::StoreError(QStringLiteral("Der neue Bericht wurde nicht gespeichert; es wurde nichts abgelegt."));
    if (tables.temptable().isEditing())
        tables.temptable().post();
    domain::storeReportItems(tables, created.toLongLong());
    transaction.commit();
    return true;
}

QString joinedActivities(const QStringList &sheets)
{
    if (sheets.size() <= 1)
        return sheets.value(0);
    QTextDocument joined;
    QTextCursor end(&joined);
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        QTextDocument sheet;
        richtext::load(sheet, sheets[i]);
        if (i > 0)
            end.insertBlock();
        end.insertFragment(QTextDocumentFragment(&sheet));
    }
    return QString::fromLatin1(richtext::writeRtf(joined));
}

} // namespace plan
