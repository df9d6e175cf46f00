#pragma once

// The data directory as a set of files: listing it, its file list
// "filelist.txt", copying it out, and bringing a set of files in so that the
// data directory is either wholly replaced or left exactly as it was.
// Nothing here shows anything; failures come back as German texts naming
// the file.

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace exchange {

inline constexpr QLatin1String fileListName{"filelist.txt"};

// The file set of a directory: the regular files directly in it, neither
// hidden nor links nor journals of a table, in case-insensitive order of
// name.
QStringList fileSet(const QString &dir);

// The names of a directory's "filelist.txt". `unreadable` when there is no
// such file or it cannot be read; otherwise `refusal` says why the list is
// not to be trusted (a line that is no plain file name), or is empty.
struct FileList
{
    bool unreadable = false;
    QString refusal;
    QStringList names;
};
FileList readFileList(const QString &dir);

// Why a line of a file list is not a plain file name (a path, "..", a
// drive, control characters, nothing at all); empty when it is one.
QString unsafeName(const QString &name);

// The size of everything directly in a directory, hidden entries included;
// directories count 0.
qint64 totalSize(const QString &dir);

// A backup's name: its time as yyyy-MM-dd_hh-mm-ss, which sorts by time.
QString backupName(const QDateTime &at);
bool isBackupName(const QString &name);
// The folders of the backup root, neither hidden nor beginning with ".",
// sorted; a link or a file there is no backup.
QStringList backupList(const QString &root);
// A directory itself, not a link to one.
bool isRealFolder(const QString &path);

// A failed step: the file concerned and what happened to it.
struct Failure
{
    QString file;
    QString reason;
    // The files could not all be put back as they were; `reason` says
    // where the old ones are kept.
    bool leftChanged = false;
    // Technical words behind `reason` (what SQLite said), for the detail of
    // the message; empty when none.
    QString detail = {};
    QString text() const;
};

// Writes `names` as the directory's "filelist.txt": Windows-1252, one name a
// line, each line ended by CR LF. A name the list cannot hold (a character
// outside Windows-1252) is refused, never written as another name; so is a
// list that cannot be written.
std::optional<Failure> writeFileList(const QString &dir, const QStringList &names);

// What a copy asks on its way.
struct CopyHooks
{
    // A file of this name is in the target already: replace it? Yes,
    // YesToAll, No (keep it, go on), Cancel (stop). Without a hook every
    // file is replaced.
    std::function<int(const QString &name)> askReplace;
    // On the way: the bytes done of all to copy, and the file being copied
    // (empty while the copied tables are checked). False stops the step; it
    // is asked at least every few megabytes, so that a stop comes at once.
    std::function<bool(qint64 done, qint64 total, const QString &name)> progress;
};
// Answers of askReplace (platform::Answer is not used here, so that the
// copy does not depend on the message service).
enum ReplaceAnswer { ReplaceYes, ReplaceAll, ReplaceNo, ReplaceCancel };

// Copies the named files of `from` into `to`, keeping their permissions and
// times: a directory of the caller's own that nobody reads until the copy is
// complete (a file that failed is removed again). Each file is written in
// one pass by the system's own copy where there is one. Only regular files
// are copied: a link or a directory of that name is refused. A file already
// in `to` is replaced (exportFiles asks first). nullopt when every file was
// copied; `cancelled` says the user stopped it (`hooks.progress`).
std::optional<Failure> copyFiles(const QString &from, const QStringList &names, const QString &to,
                                 const CopyHooks &hooks = {}, bool *cancelled = nullptr);

// Writes the named files of `from` into `to` as one set, so that `to` holds
// either all of them or, after a failure or a cancel, exactly what it held
// before: they are copied into a hidden directory inside `to` and renamed
// into place only when every one is complete, the file list last. Whether a
// file there is replaced is asked of every such file before anything is
// written; "No" keeps the old set as a whole and comes back as a failure
// that says so. `cancelled` says the user stopped it.
std::optional<Failure> exportFiles(const QString &from, const QStringList &names, const QString &to,
                                   const CopyHooks &hooks = {}, bool *cancelled = nullptr);

// Copies the named files of the data directory into the backup `name`
// below `root`. A new backup is written into a hidden directory of `root`
// and gets its name only when every file is complete, so that no list
// shows half a backup; an existing one (a second backup in the same second)
// is replaced as a whole as exportFiles does it. `cancelled` says the user
// stopped it; nothing is left then.
std::optional<Failure> writeBackup(const QString &dataDir, const QStringList &names, const QString &root,
                                   const QString &name, const CopyHooks &hooks = {}, bool *cancelled = nullptr);

// Copies the data directory's file set into a new backup below `root`,
// named after `at` (the next free second when that name is taken), after
// writing its "filelist.txt". Returns the backup's name, or the failure;
// a failed backup leaves nothing behind.
struct BackupResult
{
    QString name;
    std::optional<Failure> failure;
};
BackupResult backupDataDirectory(const QString &dataDir, const QString &root, const QDateTime &at);

// Brings the named files of `source` into `dataDir` as a whole: they are
// copied into a staging directory beside `dataDir`, every table file among
// them is checked (its length, SQLite's quick check, a real table with the
// table's fields and nothing else), then the tables as they will be used
// together (the staged ones with the unnamed ones of `dataDir`); only then
// the files are moved into place. Any failure or a cancel leaves `dataDir`
// exactly as it was. Files of `dataDir` the list does not name stay. A
// named file missing in `source` is refused before anything is copied.
// Journals of tables are never copied: one that could still change its
// table (named or beside a named table) refuses the import, one SQLite is
// done with is passed over. Read-only files in `dataDir` are made writable
// afterwards.
//
// With a `backupRoot`, the data as they were become the backup named after
// `at` (the next free second) there: on the same disk the files replaced are
// moved into it rather than copied (the others are copied), elsewhere all
// are copied first. A failed import puts the moved files back.
struct ImportResult
{
    std::optional<Failure> failure;
    bool cancelled = false;
    QString safety; // the name of the backup of the data as they were
};
ImportResult importFiles(const QString &source, const QStringList &names, const QString &dataDir,
                         const QString &backupRoot = {}, const QDateTime &at = {}, const CopyHooks &hooks = {});

// Two paths on the same file system, so that a file moves from one to the
// other by renaming it.
bool onSameDisk(const QString &a, const QString &b);

// What a crash left in the program directory `programDir`, removed at a
// start while no other instance runs: journals SQLite is done with beside
// the tables, the staging directory of an import (an import stopped while
// moving its files into place is undone first: the files it replaced go
// back, also from its safety backup), backups that were still being
// written. The safety backup of an import that was stopped after all its
// files were in place is whole: it gets its name. Returns how many went.
int removeLeftovers(const QString &programDir);

// Deletes the named backups of `root` with everything in them. Only
// directories directly in `root` whose names have the backup form are
// deleted, and a link is never followed.
struct BackupDeletion
{
    QStringList refused; // not backups of the program: left alone
    QStringList failed;  // backups that could not be deleted (wholly)
};
BackupDeletion deleteBackups(const QString &root, const QStringList &names);

// Tests: every copy opens its source files through this (a device failing
// after some bytes shows a copy interrupted by a read error). An empty
// function restores plain files.
void setSourceOpener(std::function<std::unique_ptr<QIODevice>(const QString &path)> opener);
// Tests: every rename that moves a file into place, aside or back goes
// through this (false: the rename failed). An empty function restores
// plain renames.
void setRenamer(std::function<bool(const QString &from, const QString &to)> renamer);

} // namespace exchange
