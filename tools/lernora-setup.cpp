// lernora-setup DIR: makes DIR/daten, the data directory of a new installation.

#include "store/install.h"
#include "store/storeerror.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "Aufruf: lernora-setup VERZEICHNIS\n"
               "Legt VERZEICHNIS/daten mit den Tabellendateien der Lernora-Auslieferung an.\n";
        return 2;
    }
    try {
        store::installDataDirectory(args[1]);
    } catch (const store::StoreError &e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
