#pragma once

#include <QString>

namespace store {

// Where the program keeps its files: everything lives in the program's
// directory, chosen once at start. Whoever reads or writes one of these
// files asks this value, never the process's working directory.
class Places
{
public:
    // The working directory at the moment of the call.
    Places();
    explicit Places(const QString &programDir);
    // The program directory whose data directory is `dataDir`.
    static Places ofDataDir(const QString &dataDir);

    QString programDir() const { return m_programDir; }
    QString dataDir() const;      // "daten": the six table files
    QString settingsFile() const; // "Ruririd.ini"
    QString backupRoot() const;   // "sicherung": the dated backups
    QString printDir() const;     // "qrp": the saved report files of the bulk print
    QString recoveryFile() const; // the report editor's unsaved texts
    // A file of the program directory ("importexport.rtf").
    QString file(const QString &name) const;
    // A path as the user should read it: below the program directory
    // relative to it, elsewhere in full.
    QString displayPath(const QString &path) const;

    friend bool operator==(const Places &, const Places &) = default;

private:
    QString m_programDir;
};

} // namespace store
