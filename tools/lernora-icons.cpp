// lernora-icons DIR: writes the program's icon as DIR/lernora-<size>.png in
// the sizes a desktop entry takes (16 to 256 pixels) and as DIR/lernora.svg,
// the scalable icon drawn by the same code at its full 256-pixel detail.

#include "app/programicon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

namespace {

bool writeSvg(const QString &path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Lernora"));
    svg.setDescription(QStringLiteral("Programmsymbol von Lernora"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    lernora::paintProgramIcon(painter, 256);
    return painter.end();
}

} // namespace

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
               "Schreibt das Programmsymbol als VERZEICHNIS/lernora-16.png … lernora-256.png und lernora.svg.\n";
        return 2;
    }
    if (!lernora::writeProgramIconFiles(args[1]) || !writeSvg(QDir(args[1]).filePath(QStringLiteral("lernora.svg")))) {
        err << "Die Symboldateien konnten nicht in " << args[1] << " geschrieben werden.\n";
        return 1;
    }
    return 0;
}
