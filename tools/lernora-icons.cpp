// lernora-icons DIR: writes the program's icon as DIR/lernora-<size>.png in
// the sizes a desktop entry takes (16 to 256 pixels).

#include "app/programicon.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "Aufruf: lernora-icons VERZEICHNIS\n"
               "Schreibt das Programmsymbol als VERZEICHNIS/lernora-16.png … lernora-256.png.\n";
        return 2;
    }
    if (!lernora::writeProgramIconFiles(args[1])) {
        err << "Die Symboldateien konnten nicht in " << args[1] << " geschrieben werden.\n";
        return 1;
    }
    return 0;
}
