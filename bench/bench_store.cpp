// The table store: opening the table set at start, one post on the report
// table (each post is its own synced transaction), and 1,000 posts.

#include "bench.h"
#include "store/install.h"
#include "store/tableset.h"

#include <QTemporaryDir>

namespace bench {

void storeBenchmarks()
{
    QTemporaryDir dir;
    store::installDataDirectory(dir.path());
    const QString data = dir.filePath(QStringLiteral("daten"));

    const int openRuns = 50;
    report("open table set (5 files, plan loaded)", openRuns, measure(openRuns, [&] {
               store::TableSet set(data);
               set.openAtStart();
           }));

    store::TableSet set(data);
    set.openAtStart();
    store::Table &rep = set.berichttable();
    int number = 0;
    auto postOne = [&] {
        rep.append();
        rep.setValue(QStringLiteral("AJahr"), 1);
        rep.setValue(QStringLiteral("Nummer"), ++number);
        rep.setValue(QStringLiteral("Blatt"), 1);
        rep.post();
    };
    const int postRuns = 200;
    report("one post on bericht.db", postRuns, measure(postRuns, postOne));

    // each run starts from an empty report table
    auto empty = [&] {
        rep.emptyTable();
        number = 0;
    };
    const int bulkRuns = 7;
    report("1,000 posts on bericht.db", bulkRuns, measure(bulkRuns, [&] {
               for (int i = 0; i < 1000; ++i)
                   postOne();
           }, empty));
    report("1,000 posts in one transaction", bulkRuns, measure(bulkRuns, [&] {
               store::Transaction tx(set);
               for (int i = 0; i < 1000; ++i)
                   postOne();
               tx.commit();
           }, empty));
    report("scroll bericht.db first to last (detail follows)", 20, measure(20, [&] {
               for (rep.first(); !rep.eof(); rep.next()) {
               }
           }));
}

} // namespace bench
