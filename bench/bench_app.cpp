// Start-up: the table set opened and the main window created and shown, as
// the program does before its message loop runs. The print of the
// training-time overview over 300 rows in three years.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "print/engine/report.h"
#include "print/trainingtimeprint.h"
#include "store/install.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace bench {

void appBenchmarks()
{
    QTemporaryDir dir;
    store::installDataDirectory(dir.path());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const int runs = 20;
    report("start: tables opened, main window shown", runs, measure(runs, [] {
               lernora::Application program;
               program.mainForm()->show();
               QApplication::processEvents();
               program.mainForm()->hide();
           }));
    {
        lernora::Application program;
        program.tables().exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
            "INSERT INTO uebersB (Lj, Bs, Uelu, Urlaub, Krank) SELECT 1 + i % 3, 'Block ' || i, 'ÜLU ' || i, "
            "'01.08.-14.08.2025', i || ' Tage' FROM n"));
        program.tables().uebersichttable().refresh();
        engine::Document doc;
        report("training-time print: 300 rows", 10,
               measure(10, [&] { doc = program.qruebersichtform().report().render(); }));
        std::printf("    (%d pages)\n", doc.pageCount());
    }
    QDir::setCurrent(previous);
}

} // namespace bench
