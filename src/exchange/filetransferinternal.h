#pragma once

// What the parts of the file transfer share (filetransfer.cpp, filecopy.cpp,
// backups.cpp, fileimport.cpp); not for use outside this folder.

#include "filetransfer.h"

namespace exchange::detail {

// Every copy opens its source files through this, every rename that moves a
// file into place, aside or back goes through renameFile (see
// setSourceOpener, setRenamer).
std::unique_ptr<QIODevice> openSource(const QString &path);
bool renameFile(const QString &from, const QString &to);

// Case-insensitive order of names, then by case.
void sortNames(QStringList &names);
QString native(const QString &path);

inline const QString notWritable = QStringLiteral("Im Verzeichnis kann nichts angelegt werden.");

// The directories an import stages its files in, beside the data
// directory, and the one inside it that keeps the replaced files.
inline const QString stagingPrefix = QStringLiteral(".daten-neu-");
inline const QString asidePrefix = QStringLiteral(".alt-");
// A backup is written under a hidden name in the backup root first.
inline const QString backupPrefix = QStringLiteral(".sicherung-neu-");
// The safety backup of an import: the files it replaces are moved into this
// directory of the backup root (its name ends like the staging directory's)
// and it gets its backup name when the new files are all in place.
inline const QString safetyPrefix = QStringLiteral(".sicherung-alt-");
// An export writes its new set into this directory inside the target.
inline const QString exportPrefix = QStringLiteral(".lernora-neu-");

// A name of `names` the file list of `dir` cannot hold.
std::optional<Failure> unlistable(const QString &dir, const QStringList &names);

// The name of a new backup made at `at`: the next free second.
QString freeBackupName(const QString &root, const QDateTime &at);

// Copies into a directory of the copy's own: with the caller's progress,
// without questions (nothing is there to replace).
std::optional<Failure> copyInto(const QString &from, const QStringList &names, const QString &to,
                                const CopyHooks &hooks, bool *cancelled);

// Moves the named files of `staging` into `dir`. A file of `dir` that one of
// them replaces is moved into the directory `asidePath` (on the same disk).
// The file list goes aside first and comes in last, so that at no moment a
// list stands beside a half set. On a failure everything moved is put back;
// what cannot be put back stays where it was kept (`leftChanged`), and the
// failure says where.
std::optional<Failure> moveIntoPlace(const QString &staging, const QStringList &names, const QString &dir,
                                     const QString &asidePath);

} // namespace exchange::detail
