// Start-up: the table set opened and the main window created and shown, as
// the program does before its message loop runs.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "store/install.h"

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
    QDir::setCurrent(previous);
}

} // namespace bench
