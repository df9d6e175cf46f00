#pragma once

// The running program with the report overview: sheets written behind the
// program's back, the display choice, the delete button with its question.

#include "editorfixture.h"

#include "controls/dbgrid.h"
#include "controls/radiogroup.h"
#include "overviews/reportoverview.h"

#include <QRadioButton>

namespace testsupport {

class OverviewFixture : public EditorFixture
{
public:
    overviews::ReportOverviewTab &overview() const { return form()->overview(); }
    store::Table &reports() const { return tables().berichttable(); }

    // Clicks "alle Jahre" (0) or "aktuelles Jahr" (1).
    void choose(int item) { overview().uebersichtanzeigewahl()->findChildren<QRadioButton *>().at(item)->click(); }

    // A sheet written directly into the files, with detail rows for the
    // plan items; returns its BerLfd.
    int addSheet(int year, int number, int sheet, const QDate &week, const QList<int> &tags = {},
                 const QStringList &parts = {})
    {
        QString columns, values;
        for (int i = 0; i < parts.size(); ++i) {
            columns += QStringLiteral(", %1").arg(i < 5 ? QStringLiteral("TDAB%1").arg(i + 1)
                                                        : QStringLiteral("Tdab%1").arg(i + 1));
            values += QStringLiteral(", '%1'").arg(parts[i]);
        }
        tables().exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom, WocheBis%1) "
                                     "VALUES (%2, %3, %4, '%5', '%6'%7)")
                          .arg(columns)
                          .arg(year)
                          .arg(number)
                          .arg(sheet)
                          .arg(week.toString(Qt::ISODate), week.addDays(4).toString(Qt::ISODate), values));
        const int id = sql(QStringLiteral("SELECT max(BerLfd) FROM bericht")).toInt();
        for (int tag : tags)
            tables().exec(QStringLiteral("INSERT INTO berdet (Masterlfd, LfdfTag, Lfdnr, GroupId) "
                                         "SELECT %1, LfdfTag, Lfdnr, GroupId FROM thetable WHERE LfdfTag = %2")
                              .arg(id)
                              .arg(tag));
        return id;
    }

    // Moves the report cursor to a sheet the list shows.
    bool select(int year, int number, int sheet) const { return reports().findKey({year, number, sheet}); }

    // Presses "Bericht löschen" and answers its question.
    void pressDelete(platform::Answer answer)
    {
        messages().answer(answer);
        overview().loeschbtn()->click();
    }

    int plan(int tag, const char *field) const
    {
        return sql(QStringLiteral("SELECT %1 FROM thetable WHERE LfdfTag = %2").arg(QLatin1String(field)).arg(tag))
            .toInt();
    }

    // Everything the deletion may touch.
    QStringList files() const { return dump("bericht") + dump("berdet") + dump("thetable"); }
};

} // namespace testsupport
