// Bringing a set of files into the data directory as a whole (importFiles):
// staged, checked, moved into place, the old data kept as a backup.

#include "filetransfer.h"
#include "filetransferinternal.h"

#include "controls/wordlist.h"
#include "store/schema.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

namespace exchange {

using namespace detail;

namespace {

// Why a table file is shorter than it says it is: an SQLite file holds as
// many pages as its header counts. Empty when it is whole, and when it is no
// SQLite file at all (the table check tells that).
QString cutShort(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(100);
    if (head.size() < 100 || !head.startsWith(QByteArray("SQLite format 3", 16)))
        return {};
    auto number = [&](int at, int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | quint8(head[at + i]);
        return value;
    };
    const qint64 pageSize = number(16, 2) == 1 ? 65536 : number(16, 2);
    // The page count is only valid while the change counter and its copy
    // agree.
    const qint64 pages = number(28, 4);
    if (pages == 0 || number(24, 4) != number(92, 4) || file.size() >= pages * pageSize)
        return {};
    return QStringLiteral("Die Tabellendatei ist abgeschnitten (%1 statt %2 Byte); die Importdaten sind also "
                          "unvollständig.")
        .arg(file.size())
        .arg(pages * pageSize);
}

// A journal of `source` that could still change a table the list names (or
// that the list names itself).
std::optional<Failure> liveJournalOf(const QString &source, const QStringList &names)
{
    auto named = [&](const QString &name) {
        return std::any_of(names.cbegin(), names.cend(),
                           [&](const QString &n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
    };
    static const QRegularExpression suffix(QStringLiteral("-(journal|wal|shm)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QDir dir(source);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!store::isJournalName(name) || !store::journalMayChangeTable(dir.filePath(name)))
            continue;
        const QString table = QString(name).remove(suffix);
        if (named(name) || named(table))
            return Failure{dir.filePath(name),
                           QStringLiteral("Das ist ein Änderungsjournal der Tabelle „%1“: Die Tabelle wurde gerade "
                                          "geändert, als diese Daten entstanden (etwa weil ein USB-Stick beim Kopieren "
                                          "abgezogen wurde), und ist ohne das Journal nicht in sich stimmig. Lernora "
                                          "übernimmt keine Journale. Bitte exportieren oder sichern Sie die Daten "
                                          "noch einmal.")
                               .arg(table)};
    }
    return std::nullopt;
}

} // namespace

ImportResult importFiles(const QString &source, const QStringList &listed, const QString &dataDir,
                         const QString &backupRoot, const QDateTime &at, const CopyHooks &hooks)
{
    ImportResult result;
    auto failed = [&](const Failure &failure) {
        result.failure = failure;
        return result;
    };
    const QString data = QDir(dataDir).absolutePath();
    const QString beside = QFileInfo(data).absolutePath();

    // A journal belongs to the table beside it: one that could still change
    // its table says the table was copied in the middle of a change; one
    // SQLite is done with is left where it is.
    if (auto failure = liveJournalOf(source, listed))
        return failed(*failure);
    QStringList names;
    for (const QString &name : listed)
        if (!store::isJournalName(name))
            names << name;

    // A set that lacks a file its list names is not copied at all.
    for (const QString &name : std::as_const(names)) {
        const QFileInfo si(QDir(source).filePath(name));
        if (!si.exists() && !si.isSymLink())
            return failed({si.filePath(), QStringLiteral("Die Datei wurde nicht gefunden. Die Dateiliste nennt sie, "
                                                         "die Importdaten sind also unvollständig.")});
    }
    // The files come into a directory of their own first.
    QTemporaryDir staging(beside + QLatin1Char('/') + stagingPrefix + QStringLiteral("XXXXXX"));
    if (!staging.isValid())
        return failed({beside, notWritable});
    if (auto failure = copyInto(source, names, staging.path(), hooks, &result.cancelled))
        return failed(*failure);
    if (result.cancelled)
        return result;
    // The apprentice's own words are not given up for older ones: the list
    // that comes is merged with the one there is.
    for (const QString &name : std::as_const(names))
        if (name.compare(controls::personalWordsFile, Qt::CaseInsensitive) == 0
            && QFileInfo::exists(QDir(data).filePath(controls::personalWordsFile))
            && !controls::mergeWordList(staging.filePath(name), QDir(data).filePath(controls::personalWordsFile)))
            return failed({QDir(source).filePath(name), notWritable});
    // The marks name report sheets by their key: reports that come without
    // them (data from before the marks) come with no marks, not with those
    // of the reports they replace.
    auto listedName = [&](const char *fileName) {
        return std::any_of(names.cbegin(), names.cend(), [&](const QString &n) {
            return n.compare(QLatin1String(fileName), Qt::CaseInsensitive) == 0;
        });
    };
    if (listedName(store::tables::reports) && !listedName(store::tables::marks)) {
        const QString marks = QString::fromLatin1(store::tables::marks);
        QString detail;
        if (const QString why = store::createTableFile(staging.filePath(marks), store::marksTableDef(), &detail);
            !why.isEmpty())
            return failed({staging.filePath(marks), why, false, detail});
        names << marks;
    }
    // Each staged table on its own, then the tables as they will be used
    // together: the staged ones with those of the data directory that the
    // list does not name.
    QHash<QString, QString> staged;
    for (const QString &name : std::as_const(names))
        if (const store::TableDef *def = store::tableDefOfFile(name)) {
            if (hooks.progress && !hooks.progress(1, 1, QString())) {
                result.cancelled = true;
                return result;
            }
            QString why = cutShort(staging.filePath(name)), detail;
            if (why.isEmpty())
                why = store::checkTableFile(staging.filePath(name), *def, &detail);
            if (!why.isEmpty())
                return failed({QDir(source).filePath(name), why, false, detail});
            staged.insert(def->fileName, staging.filePath(name));
        }
    QString misfitDetail;
    if (const QString misfit = store::checkTableSet([&](const QString &fileName) {
            return staged.value(fileName, QDir(data).filePath(fileName));
        }, &misfitDetail);
        !misfit.isEmpty())
        return failed({source, QStringLiteral("Die Tabellen passen nicht zusammen: %1. %2")
                                   .arg(misfit, staged.size() < int(store::tableDefs().size())
                                                    ? QStringLiteral("Die Dateiliste nennt nicht alle Tabellen; die "
                                                                     "übrigen bleiben, wie sie sind, und müssen zu den "
                                                                     "neuen passen.")
                                                    : QStringLiteral("Die Dateien stammen wohl aus verschiedenen "
                                                                     "Sicherungen.")),
                       false, misfitDetail});
    if (hooks.progress && !hooks.progress(1, 1, QString())) {
        result.cancelled = true;
        return result;
    }

    // Into place: each file replaced is kept aside until all are in; a
    // start after a crash on the way finds the staging directory with files
    // still waiting and puts the old files back. The old files are kept in
    // the safety backup when it is on the same disk, else beside the new
    // ones in the staging directory, after a copy of all of them became the
    // safety backup.
    auto safetyFailed = [&](const Failure &failure) {
        return failed({failure.file, QStringLiteral("Die bisherigen Daten konnten nicht gesichert werden: ")
                                         + failure.reason});
    };
    const QString root = backupRoot.isEmpty() ? QString() : QDir(backupRoot).absolutePath();
    if (!root.isEmpty() && !QDir().mkpath(root))
        return safetyFailed({root, QStringLiteral("Das Verzeichnis kann nicht erstellt werden.")});
    QStringList old = fileSet(data);
    old.removeAll(fileListName);
    if (auto failure = unlistable(data, old))
        return safetyFailed(*failure);
    const QString safetyName = root.isEmpty() ? QString() : freeBackupName(root, at);
    const bool moveAside = !root.isEmpty() && onSameDisk(data, root);
    QString asidePath;
    if (moveAside) {
        asidePath = QDir(root).filePath(safetyPrefix + QFileInfo(staging.path()).fileName().mid(stagingPrefix.size()));
        if (!QDir().mkdir(asidePath))
            return safetyFailed({asidePath, QStringLiteral("Das Verzeichnis kann nicht erstellt werden.")});
        // The files the import leaves are copied, into a directory of their
        // own first, so that the safety backup never holds half a file.
        QStringList kept;
        for (const QString &name : std::as_const(old))
            if (!names.contains(name))
                kept << name;
        if (!kept.isEmpty()) {
            QTemporaryDir copies(QDir(root).filePath(backupPrefix + QStringLiteral("XXXXXX")));
            std::optional<Failure> failure;
            if (!copies.isValid())
                failure = Failure{root, notWritable};
            if (!failure)
                failure = copyFiles(data, kept, copies.path());
            for (int i = 0; !failure && i < kept.size(); ++i)
                if (!QFile::rename(copies.filePath(kept[i]), QDir(asidePath).filePath(kept[i])))
                    failure = Failure{QDir(asidePath).filePath(kept[i]),
                                      QStringLiteral("Die Kopie kann nicht in die Sicherung gelegt werden.")};
            if (failure) {
                QDir(asidePath).removeRecursively();
                return safetyFailed(*failure);
            }
        }
    } else {
        if (!safetyName.isEmpty()) {
            if (auto failure = writeFileList(data, fileSet(data)))
                return safetyFailed(*failure);
            if (auto failure = writeBackup(data, fileSet(data), root, safetyName))
                return safetyFailed(*failure);
        }
        asidePath = staging.filePath(asidePrefix + QStringLiteral("alt"));
        if (!QDir().mkdir(asidePath))
            return failed({staging.path(), notWritable});
    }
    if (auto failure = moveIntoPlace(staging.path(), names, data, asidePath)) {
        if (failure->leftChanged)
            staging.setAutoRemove(false);
        else if (moveAside)
            QDir(asidePath).removeRecursively();
        if (!moveAside)
            result.safety = safetyName;
        return failed(*failure);
    }
    if (moveAside) {
        // The old files as one backup, with a list of its own naming them.
        QStringList kept = fileSet(asidePath);
        if (!kept.contains(fileListName))
            kept << fileListName;
        sortNames(kept);
        const auto listed = writeFileList(asidePath, kept);
        if (listed || !QDir().rename(asidePath, QDir(root).filePath(safetyName))) {
            staging.setAutoRemove(false);
            Failure failure{asidePath, QStringLiteral("Die Daten wurden importiert, aber die Sicherung der bisherigen "
                                                      "Daten kann nicht unter ihrem Namen abgelegt werden; sie liegen "
                                                      "in „%1“.")
                                           .arg(native(asidePath))};
            failure.leftChanged = true;
            return failed(failure);
        }
        QFile::setPermissions(QDir(root).filePath(safetyName), QFileInfo(root).permissions());
    }
    result.safety = safetyName;

    // Files that came read-only can be written by the program.
    for (const QFileInfo &entry : QDir(data).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (!entry.isWritable())
            QFile::setPermissions(entry.filePath(),
                                  entry.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    return result;
}

} // namespace exchange
