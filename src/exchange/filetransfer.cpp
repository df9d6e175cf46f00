#include "filetransfer.h"

#include "platform/volumes.h"
#include "store/diskspace.h"
#include "store/schema.h"
#include "store/settings.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>

#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace exchange {

namespace {

std::function<std::unique_ptr<QIODevice>(const QString &)> g_opener;
std::function<bool(const QString &, const QString &)> g_renamer;

std::unique_ptr<QIODevice> openSource(const QString &path)
{
    if (g_opener)
        return g_opener(path);
    return std::make_unique<QFile>(path);
}

bool renameFile(const QString &from, const QString &to)
{
    return g_renamer ? g_renamer(from, to) : QFile::rename(from, to);
}

void sortNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The system's own copy of at most `max` bytes from `in` to `out`, at their
// file positions: the bytes copied, 0 at the end of `in`, -1 on an error
// (errno says which), -2 where the system has no such copy for these files.
qint64 systemCopy(QFile &in, QFile &out, qint64 max)
{
#if defined(Q_OS_LINUX)
    const ssize_t n = ::copy_file_range(in.handle(), nullptr, out.handle(), nullptr, size_t(max), 0);
    if (n >= 0)
        return n;
    return errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ? -2 : -1;
#else
    Q_UNUSED(in);
    Q_UNUSED(out);
    Q_UNUSED(max);
    return -2;
#endif
}

// Writes what the system holds of the file to the disk.
bool syncToDisk(QFile &file)
{
#if defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return ::fdatasync(file.handle()) == 0;
#endif
}

// Bytes copied between two questions whether to go on.
constexpr qint64 slice = qint64(32) << 20;

// Copies one regular file in one pass; the reason it failed, or empty.
// `full` says the target's disk took no more; `stopped` that `step` (asked
// with the bytes done after every slice) said to stop. A file not complete
// is removed.
const QString unreadableText = QStringLiteral("Die Datei kann nicht gelesen werden. Bitte prüfen Sie, ob der "
                                              "Datenträger noch angeschlossen ist, und versuchen Sie es noch "
                                              "einmal.");

QString copyOne(const QString &from, const QString &to, bool *full, bool *stopped,
                const std::function<bool(qint64 done)> &step)
{
    *full = false;
    *stopped = false;
    const QFileInfo source(from);
    std::unique_ptr<QIODevice> in = openSource(from);
    if (!in->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return unreadableText;
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return QStringLiteral("Die Datei kann am Ziel nicht angelegt werden. Bitte prüfen Sie, ob Sie dort "
                              "schreiben dürfen und ob der Datenträger noch angeschlossen ist.");
    auto failed = [&](const QString &why) {
        out.close();
        out.remove();
        return why;
    };
    // A write refused by a full disk is said as such by the caller.
    auto writeFailed = [&](bool noSpace) {
        const qint64 free = platform::volumes().freeSpace(QFileInfo(to).absolutePath());
        *full = noSpace || (free >= 0 && free < source.size());
        return failed(QStringLiteral("Die Datei kann am Ziel nicht geschrieben werden. Bitte prüfen Sie, ob Sie "
                                     "dort schreiben dürfen und ob der Datenträger noch angeschlossen ist."));
    };
    auto readFailed = [&] { return failed(unreadableText); };
    qint64 done = 0;
    auto *file = qobject_cast<QFile *>(in.get());
    bool system = file != nullptr;
    while (system) {
        const qint64 n = systemCopy(*file, out, slice);
        if (n == -2 && done == 0) {
            system = false;
            break;
        }
        if (n < 0) {
            const int error = errno;
#ifdef Q_OS_UNIX
            if (error == ENOSPC || error == EDQUOT || error == EFBIG)
                return writeFailed(error == ENOSPC || error == EDQUOT);
#endif
            // Which side failed is not told; the source is read again to find out.
            return file->seek(done) && file->read(1).size() == 1 ? writeFailed(false) : readFailed();
        }
        if (n == 0)
            break;
        done += n;
        if (step && !step(done)) {
            *stopped = true;
            return failed(QString());
        }
    }
    if (!system) {
        QByteArray buffer(qint64(4) << 20, Qt::Uninitialized);
        qint64 sinceStep = 0;
        for (;;) {
            const qint64 n = in->read(buffer.data(), buffer.size());
            if (n < 0 || (n == 0 && !in->atEnd()))
                return readFailed();
            if (n == 0)
                break;
            if (out.write(buffer.constData(), n) != n)
                return writeFailed(out.error() == QFileDevice::ResourceError);
            done += n;
            sinceStep += n;
            if (sinceStep >= slice && step) {
                sinceStep = 0;
                if (!step(done)) {
                    *stopped = true;
                    return failed(QString());
                }
            }
        }
        if (file && file->error() != QFileDevice::NoError)
            return readFailed();
    }
    // The copy keeps the file's time and permissions, and is on the disk
    // before it is named in a backup or moved into the data: a power cut
    // afterwards leaves it whole.
    out.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
    out.setPermissions(source.permissions());
    if (!syncToDisk(out))
        return writeFailed(errno == ENOSPC);
    out.close();
    if (out.error() != QFileDevice::NoError)
        return writeFailed(out.error() == QFileDevice::ResourceError);
    return {};
}

const QString notWritable = QStringLiteral("Im Verzeichnis kann nichts angelegt werden.");

// Moves the named files of `staging` into `dir`. A file of `dir` that one of
// them replaces is moved into the directory `asidePath` (on the same disk).
// The file list goes aside first and comes in last, so that at no moment a
// list stands beside a half set. On a failure everything moved is put back;
// what cannot be put back stays where it was kept (`leftChanged`), and the
// failure says where.
std::optional<Failure> moveIntoPlace(const QString &staging, const QStringList &names, const QString &dir,
                                     const QString &asidePath)
{
    const QDir aside(asidePath);
    QStringList order = names;
    if (order.removeAll(fileListName) > 0)
        order << fileListName;
    struct Step
    {
        QString name;
        bool hadOld = false;
        bool placed = false;
    };
    std::vector<Step> steps;
    auto fail = [&](const QString &file, const QString &reason) -> std::optional<Failure> {
        bool whole = true;
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            const QString target = QDir(dir).filePath(it->name);
            if (it->placed && !QFile::remove(target))
                whole = false;
            if (it->hadOld && !renameFile(aside.filePath(it->name), target))
                whole = false;
        }
        if (whole)
            return Failure{file, reason};
        Failure failure{file, reason
                                  + QStringLiteral(" Die bisherigen Dateien konnten nicht alle zurückgelegt werden; "
                                                   "sie liegen in „%1“. Bitte kopieren Sie sie von dort zurück, bevor Sie "
                                                   "weiterarbeiten.")
                                        .arg(native(aside.path()))};
        failure.leftChanged = true;
        return failure;
    };
    // Takes the old file of that name aside, if there is one.
    auto takeAside = [&](const QString &name) -> std::optional<Failure> {
        const QString target = QDir(dir).filePath(name);
        const QFileInfo ti(target);
        Step step{name};
        step.hadOld = ti.exists() || ti.isSymLink();
        if (step.hadOld && ti.isDir() && !ti.isSymLink())
            return fail(target, QStringLiteral("An dieser Stelle steht ein Verzeichnis, keine Datei."));
        if (step.hadOld && !renameFile(target, aside.filePath(name)))
            return fail(target, QStringLiteral("Die Datei kann nicht ersetzt werden."));
        steps.push_back(step);
        return std::nullopt;
    };
    if (order.contains(fileListName))
        if (auto failure = takeAside(fileListName))
            return failure;
    for (const QString &name : order) {
        if (name != fileListName)
            if (auto failure = takeAside(name))
                return failure;
        auto step = std::find_if(steps.begin(), steps.end(), [&](const Step &s) { return s.name == name; });
        const QString target = QDir(dir).filePath(name);
        if (!renameFile(QDir(staging).filePath(name), target))
            return fail(target, QStringLiteral("Die Datei kann nicht ersetzt werden."));
        step->placed = true;
    }
    return std::nullopt;
}

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

// The directories an import stages its files in, beside the data
// directory, and the one inside it that keeps the replaced files.
const QString stagingPrefix = QStringLiteral(".daten-neu-");
const QString asidePrefix = QStringLiteral(".alt-");
// A backup is written under a hidden name in the backup root first.
const QString backupPrefix = QStringLiteral(".sicherung-neu-");
// The safety backup of an import: the files it replaces are moved into this
// directory of the backup root (its name ends like the staging directory's)
// and it gets its backup name when the new files are all in place.
const QString safetyPrefix = QStringLiteral(".sicherung-alt-");
// An export writes its new set into this directory inside the target.
const QString exportPrefix = QStringLiteral(".lernora-neu-");

// Copies into a directory of the copy's own: with the caller's progress,
// without questions (nothing is there to replace).
std::optional<Failure> copyInto(const QString &from, const QStringList &names, const QString &to,
                                const CopyHooks &hooks, bool *cancelled)
{
    CopyHooks copyHooks;
    copyHooks.progress = hooks.progress;
    return copyFiles(from, names, to, copyHooks, cancelled);
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

QString Failure::text() const
{
    if (file.isEmpty())
        return reason;
    return native(file) + QStringLiteral(":\r\n") + reason;
}

QStringList fileSet(const QString &dir)
{
    QStringList names;
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        if (entry.isFile() && !entry.isSymLink() && !entry.isHidden() && !store::isJournalName(entry.fileName()))
            names << entry.fileName();
    sortNames(names);
    return names;
}

namespace {

// A name of `names` the file list of `dir` cannot hold.
std::optional<Failure> unlistable(const QString &dir, const QStringList &names)
{
    for (const QString &name : names)
        if (const QString c = store::unstorableCharacter(name); !c.isEmpty())
            return Failure{QDir(dir).filePath(name),
                           QStringLiteral("Der Name enthält das Zeichen %1, das die Dateiliste nicht aufnehmen kann. "
                                          "Bitte benennen Sie die Datei um oder entfernen Sie sie aus dem Ordner.")
                               .arg(store::describeCharacter(c))};
    return std::nullopt;
}

// The name of a new backup made at `at`: the next free second.
QString freeBackupName(const QString &root, const QDateTime &at)
{
    QDateTime when = at;
    while (QFileInfo::exists(QDir(root).filePath(backupName(when)))
           || QFileInfo(QDir(root).filePath(backupName(when))).isSymLink())
        when = when.addSecs(1);
    return backupName(when);
}

} // namespace

std::optional<Failure> writeFileList(const QString &dir, const QStringList &names)
{
    if (auto failure = unlistable(dir, names))
        return failure;
    QByteArray bytes;
    for (const QString &name : names)
        bytes += store::toWindows1252(name) + "\r\n";
    QSaveFile file(QDir(dir).filePath(fileListName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failure{file.fileName(), QStringLiteral("Die Dateiliste kann nicht geschrieben werden. Bitte prüfen "
                                                       "Sie, ob Sie im Ordner schreiben dürfen und ob dort Platz "
                                                       "frei ist.")};
    return std::nullopt;
}

QString unsafeName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("eine leere Zeile");
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("ein Steuerzeichen");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("ein Pfad statt eines Dateinamens");
    if (name.contains(QLatin1Char(':')))
        return QStringLiteral("eine Laufwerksangabe");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("ein Verweis auf ein Verzeichnis");
    return {};
}

FileList readFileList(const QString &dir)
{
    FileList list;
    QFile file(QDir(dir).filePath(fileListName));
    const QFileInfo info(file.fileName());
    if (info.isSymLink() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
        list.unreadable = true;
        return list;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        list.unreadable = true;
        return list;
    }
    QStringList lines = store::fromWindows1252(bytes).split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast(); // the end of the last line
    for (int i = 0; i < lines.size(); ++i) {
        QString name = lines[i];
        if (name.endsWith(QLatin1Char('\r')))
            name.chop(1);
        if (const QString why = unsafeName(name); !why.isEmpty()) {
            list.refusal = QStringLiteral("Zeile %1 der Dateiliste „%2“ ist %3, kein einfacher Dateiname.")
                               .arg(i + 1)
                               .arg(name.left(80).replace(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")),
                                                          QStringLiteral("?")),
                                    why);
            list.names.clear();
            return list;
        }
        if (!list.names.contains(name))
            list.names << name;
    }
    return list;
}

qint64 totalSize(const QString &dir)
{
    qint64 total = 0;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        if (entry.isFile())
            total += entry.size();
    return total;
}

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

std::optional<Failure> copyFiles(const QString &from, const QStringList &names, const QString &to,
                                 const CopyHooks &hooks, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    qint64 total = 0;
    for (const QString &name : names)
        total += QFileInfo(QDir(from).filePath(name)).size();
    qint64 before = 0; // the bytes of the files copied already
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names[i];
        if (hooks.progress && !hooks.progress(before, total, name)) {
            if (cancelled)
                *cancelled = true;
            return std::nullopt;
        }
        const QString source = QDir(from).filePath(name);
        const QFileInfo si(source);
        if (si.isSymLink())
            return Failure{source, QStringLiteral("Die Datei ist eine Verknüpfung; sie wird nicht kopiert.")};
        if (!si.exists())
            return Failure{source, QStringLiteral("Die Datei wurde nicht gefunden.")};
        if (!si.isFile())
            return Failure{source, QStringLiteral("Das ist keine gewöhnliche Datei; sie wird nicht kopiert.")};
        const QString target = QDir(to).filePath(name);
        const QFileInfo ti(target);
        if (ti.exists() || ti.isSymLink()) {
            if (ti.isDir() && !ti.isSymLink())
                return Failure{target, QStringLiteral("Am Ziel steht ein Verzeichnis dieses Namens.")};
            // A link at the target is replaced, never written through.
            if (ti.isSymLink() && !QFile::remove(target))
                return Failure{target, QStringLiteral("Die Verknüpfung am Ziel kann nicht ersetzt werden.")};
        }
        bool full = false, stopped = false;
        const QString why = copyOne(source, target, &full, &stopped, [&](qint64 done) {
            return !hooks.progress || hooks.progress(before + done, total, name);
        });
        if (stopped) {
            if (cancelled)
                *cancelled = true;
            return std::nullopt;
        }
        if (!why.isEmpty()) {
            if (!full)
                return Failure{source, why};
            // What this copy still needed when the disk took no more.
            qint64 needed = 0;
            for (int j = i; j < names.size(); ++j)
                needed += QFileInfo(QDir(from).filePath(names[j])).size();
            return Failure{to, store::diskFullText(to, needed, platform::volumes().freeSpace(to))};
        }
        before += si.size();
    }
    if (hooks.progress)
        hooks.progress(total, total, QString());
    return std::nullopt;
}

bool isRealFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && !info.isJunction();
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

std::optional<Failure> exportFiles(const QString &from, const QStringList &names, const QString &to,
                                   const CopyHooks &hooks, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    // Every question is asked before anything is written.
    bool replaceAll = !hooks.askReplace;
    for (const QString &name : names) {
        const QString target = QDir(to).filePath(name);
        const QFileInfo ti(target);
        if (!ti.exists() && !ti.isSymLink())
            continue;
        if (ti.isDir() && !ti.isSymLink())
            return Failure{target, QStringLiteral("Am Ziel steht ein Verzeichnis dieses Namens.")};
        if (replaceAll)
            continue;
        switch (hooks.askReplace(name)) {
        case ReplaceYes:
            break;
        case ReplaceAll:
            replaceAll = true;
            break;
        case ReplaceNo:
            return Failure{target, QStringLiteral("Die Datei soll bleiben. Die Daten im Verzeichnis werden aber nur "
                                                  "als Ganzes ersetzt, damit dort keine Mischung aus alten und neuen "
                                                  "Dateien entsteht. Bitte wählen Sie ein anderes Verzeichnis oder lassen Sie die "
                                                  "Dateien ersetzen.")};
        default:
            if (cancelled)
                *cancelled = true;
            return std::nullopt;
        }
    }
    // The new set is written beside the old one, in the same directory so
    // that it can be renamed into place.
    QTemporaryDir staging(QDir(to).filePath(exportPrefix + QStringLiteral("XXXXXX")));
    if (!staging.isValid())
        return Failure{to, notWritable};
    if (auto failure = copyInto(from, names, staging.path(), hooks, cancelled); failure || (cancelled && *cancelled))
        return failure;
    QTemporaryDir aside(QDir(to).filePath(QStringLiteral(".lernora-alt-XXXXXX")));
    if (!aside.isValid())
        return Failure{to, notWritable};
    auto failure = moveIntoPlace(staging.path(), names, to, aside.path());
    if (failure && failure->leftChanged)
        aside.setAutoRemove(false);
    return failure;
}

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

bool onSameDisk(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat first, second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
#else
    const QStorageInfo first(a), second(b);
    return first.isValid() && second.isValid() && first.rootPath() == second.rootPath()
           && first.device() == second.device();
#endif
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

void setRenamer(std::function<bool(const QString &from, const QString &to)> renamer)
{
    g_renamer = std::move(renamer);
}

void setSourceOpener(std::function<std::unique_ptr<QIODevice>(const QString &path)> opener)
{
    g_opener = std::move(opener);
}

} // namespace exchange
