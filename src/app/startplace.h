#pragma once

// Where the program works: the directory that holds the data directory
// "daten" and the settings file, chosen from the command line.
//
//   lernora                       the current directory, as `make run` does
//   lernora --benutzerdaten       the per-user directory (the desktop entry's way)
//   lernora --daten-ordner DIR    DIR (also "--daten-ordner=DIR")
//
// A chosen directory without "daten" gets one from the delivered data on
// its first start; the current directory never does, so a start in the
// wrong place creates nothing.

#include <QString>
#include <QStringList>

namespace lernora {

struct StartPlace
{
    enum class Kind { Current, UserData, Chosen, Invalid };
    Kind kind = Kind::Current;
    QString directory; // absolute
    QString problem;   // what is wrong with the command line (Kind::Invalid)
};

// arguments: the command line without the program's name.
StartPlace chooseStartPlace(const QStringList &arguments, const QString &currentDir, const QString &userDir);

// Makes the place the working directory, first creating it and its "daten"
// from the delivered data when it was chosen and has no "daten" yet. Throws
// store::StoreError when that fails.
void enterStartPlace(const StartPlace &place);

// What the message about missing data adds when the program was started
// without a place in a directory that has no "daten".
QString howToStart(const QString &userDir);

} // namespace lernora
