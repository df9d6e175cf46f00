// Helper of test_killsafety: writes through the store until it is killed.
//   killwriter DATADIR FIRSTKEY
// Odd keys are plain posts (a row of uebersB.DB with Bs "k<key>"), even keys
// whole report creations in one transaction over three files: the report
// (Nummer = key), three detail rows and the first plan row's GroupCnt + 1.
// Each key is printed ("P key" / "T key") only after its commit returned.

#include "store/fields.h"
#include "store/storeerror.h"
#include "store/tableset.h"

#include <QCoreApplication>
#include <cstdio>

namespace field = store::field;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    try {
        store::TableSet tables(QString::fromLocal8Bit(argv[1]));
        tables.openAtStart();
        store::Table &plan = tables.table1();
        store::Table &reports = tables.berichttable();
        store::Table &details = tables.berichtdetailtable();
        store::Table &overview = tables.uebersichttable();
        for (int key = atoi(argv[2]);; ++key) {
            const QString text = QStringLiteral("k%1").arg(key);
            if (key % 2) {
                overview.append();
                overview.setValue(field::Lj, 1);
                overview.setValue(field::Bs, text);
                overview.post();
                std::printf("P %d\n", key);
            } else {
                store::Transaction transaction(tables);
                reports.append();
                reports.setValue(field::AJahr, 1);
                reports.setValue(field::Nummer, key);
                reports.setValue(field::Blatt, 1);
                reports.setValue(field::Thema, text);
                reports.post();
                const QVariant master = reports.value(field::BerLfd);
                for (int i = 1; i <= 3; ++i) {
                    details.append();
                    details.setValue(field::Masterlfd, master);
                    details.setValue(field::Lfdnr, i);
                    details.setValue(field::Text, text);
                    details.post();
                }
                plan.first();
                plan.edit();
                plan.setValue(field::GroupCnt, plan.asInt(field::GroupCnt) + 1);
                plan.post();
                transaction.commit();
                std::printf("T %d\n", key);
            }
            std::fflush(stdout);
        }
    } catch (const store::StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
