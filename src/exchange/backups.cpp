// Backups of the data directory: their names, writing one as a whole,
// deleting them, and what a crash left behind at the start.

#include "filetransfer.h"
#include "filetransferinternal.h"

#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace exchange {

using namespace detail;

namespace detail {

// The name of a new backup made at `at`: the next free second.
QString freeBackupName(const QString &root, const QDateTime &at)
{
    QDateTime when = at;
    while (QFileInfo::exists(QDir(root).filePath(backupName(when)))
           || QFileInfo(QDir(root).filePath(backupName(when))).isSymLink())
        when = when.addSecs(1);
    return backupName(when);
}

} // namespace detail

QString backupName(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

bool isBackupName(const QString &name)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d$"));
    return form.match(name).hasMatch();
}

QStringList backupList(const QString &root)
{
    QStringList names;
    for (const QFileInfo &entry : QDir(root).entryInfoList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot))
        if (!entry.fileName().startsWith(QLatin1Char('.')) && isRealFolder(entry.filePath()))
            names << entry.fileName();
    sortNames(names);
    return names;
}

std::optional<Failure> writeBackup(const QString &dataDir, const QStringList &names, const QString &root,
                                   const QString &name, const CopyHooks &hooks, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    const QString target = QDir(root).filePath(name);
    const QFileInfo existing(target);
    // Two backups in one second share the first one's directory, which is
    // whole already: the new set replaces it as a whole.
    if (existing.exists() || existing.isSymLink()) {
        if (!isRealFolder(target))
            return Failure{target, QStringLiteral("An dieser Stelle steht kein Verzeichnis, sondern eine Datei oder "
                                                  "eine Verknüpfung.")};
        return exportFiles(dataDir, names, target, hooks, cancelled);
    }
    QTemporaryDir building(QDir(root).filePath(backupPrefix + QStringLiteral("XXXXXX")));
    if (!building.isValid())
        return Failure{target, QStringLiteral("Das Verzeichnis kann nicht erstellt werden.")};
    if (auto failure = copyInto(dataDir, names, building.path(), hooks, cancelled); failure || (cancelled && *cancelled))
        return failure;
    // Complete: every file as long as the one it copies.
    for (const QString &file : names)
        if (QFileInfo(building.filePath(file)).size() != QFileInfo(QDir(dataDir).filePath(file)).size())
            return Failure{QDir(dataDir).filePath(file),
                           QStringLiteral("Die Kopie ist nicht so lang wie die Datei; die Sicherung ist unvollständig.")};
    if (!QDir().rename(building.path(), target))
        return Failure{target, QStringLiteral("Die fertige Sicherung kann nicht unter diesem Namen abgelegt werden.")};
    building.setAutoRemove(false);
    // A temporary directory is private; a backup is as open as the others.
    QFile::setPermissions(target, QFileInfo(root).permissions());
    return std::nullopt;
}

BackupResult backupDataDirectory(const QString &dataDir, const QString &root, const QDateTime &at)
{
    BackupResult result;
    result.name = freeBackupName(root, at);
    if (!QDir().mkpath(root)) {
        result.failure =
            Failure{QDir(root).filePath(result.name), QStringLiteral("Das Verzeichnis kann nicht erstellt werden.")};
        return result;
    }
    if (auto failure = writeFileList(dataDir, fileSet(dataDir))) {
        result.failure = failure;
        return result;
    }
    result.failure = writeBackup(dataDir, fileSet(dataDir), root, result.name);
    return result;
}

int removeLeftovers(const QString &programDir)
{
    int removed = 0;
    const QDir program(programDir);
    const QString data = program.filePath(QStringLiteral("daten"));
    const QDir backups(program.filePath(QStringLiteral("sicherung")));
    removed += store::removeFinishedJournals(data);
    // An import that ended on its way: while files of the new set are still
    // waiting in its staging directory, the ones they replaced go back, from
    // the staging directory or from the safety backup they were moved into.
    for (const QFileInfo &staging :
         program.entryInfoList({stagingPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        const QDir dir(staging.filePath());
        const bool waiting = !dir.entryList(QDir::Files | QDir::Hidden).isEmpty();
        const QString safety =
            backups.filePath(safetyPrefix + staging.fileName().mid(stagingPrefix.size()));
        QStringList asides;
        if (waiting) {
            for (const QFileInfo &aside :
                 dir.entryInfoList({asidePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
                asides << aside.filePath();
            if (isRealFolder(safety))
                asides << safety;
        }
        bool whole = true;
        for (const QString &aside : std::as_const(asides))
            for (const QString &name : QDir(aside).entryList(QDir::Files | QDir::Hidden)) {
                const QString target = QDir(data).filePath(name);
                QFile::remove(target);
                whole = renameFile(QDir(aside).filePath(name), target) && whole;
            }
        // Old files that could not go back stay where they are.
        if (whole && waiting && isRealFolder(safety))
            QDir(safety).removeRecursively();
        if (whole && QDir(staging.filePath()).removeRecursively())
            ++removed;
    }
    // The safety backup of an import that had all its new files in place
    // holds the old data whole: it gets its name, after the time it was
    // made.
    for (const QFileInfo &safety :
         backups.entryInfoList({safetyPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        if (program.exists(stagingPrefix + safety.fileName().mid(safetyPrefix.size())))
            continue; // old files that could not go back
        QStringList kept = fileSet(safety.filePath());
        if (!kept.contains(fileListName))
            kept << fileListName;
        sortNames(kept);
        if (!writeFileList(safety.filePath(), kept)
            && QDir().rename(safety.filePath(), backups.filePath(freeBackupName(backups.path(), safety.lastModified()))))
            ++removed;
    }
    // A backup that was still being written, and the staging of a second
    // backup in the same second.
    for (const QFileInfo &half :
         backups.entryInfoList({backupPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        removed += QDir(half.filePath()).removeRecursively() ? 1 : 0;
    for (const QString &backup : backupList(backups.path()))
        for (const QFileInfo &staging : QDir(backups.filePath(backup))
                                            .entryInfoList({exportPrefix + QLatin1Char('*')},
                                                           QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
            removed += QDir(staging.filePath()).removeRecursively() ? 1 : 0;
    return removed;
}

BackupDeletion deleteBackups(const QString &root, const QStringList &names)
{
    BackupDeletion result;
    const QString rootPath = QFileInfo(root).canonicalFilePath();
    for (const QString &name : names) {
        const QFileInfo entry(QDir(root).filePath(name));
        const bool inside = !rootPath.isEmpty() && unsafeName(name).isEmpty()
                            && QFileInfo(entry.absolutePath()).canonicalFilePath() == rootPath;
        if (!isBackupName(name) || !inside || entry.isSymLink() || !entry.isDir())
            result.refused << name;
        else if (!QDir(entry.absoluteFilePath()).removeRecursively())
            result.failed << name;
    }
    return result;
}

} // namespace exchange
