// Copying files with progress (copyFiles) and writing a set of files into
// a directory as a whole (exportFiles, moveIntoPlace).

#include "filetransfer.h"
#include "filetransferinternal.h"

#include "platform/volumes.h"
#include "store/diskspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace exchange {

using namespace detail;

namespace {

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

} // namespace

namespace detail {

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

// Copies into a directory of the copy's own: with the caller's progress,
// without questions (nothing is there to replace).
std::optional<Failure> copyInto(const QString &from, const QStringList &names, const QString &to,
                                const CopyHooks &hooks, bool *cancelled)
{
    CopyHooks copyHooks;
    copyHooks.progress = hooks.progress;
    return copyFiles(from, names, to, copyHooks, cancelled);
}

} // namespace detail

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

} // namespace exchange
