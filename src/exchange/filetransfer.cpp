#include "filetransfer.h"

#include "store/settings.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>

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

// Copies one regular file; the reason it failed, or empty.
QString copyOne(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    std::unique_ptr<QIODevice> in = openSource(from);
    if (!in->open(QIODevice::ReadOnly))
        return QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(in->errorString());
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("Die Datei kann am Ziel nicht angelegt werden (%1).").arg(out.errorString());
    QByteArray chunk;
    for (;;) {
        chunk = in->read(1 << 20);
        if (chunk.isEmpty()) {
            // Short of the end: a read error.
            if (!in->atEnd())
                return QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(in->errorString());
            break;
        }
        if (out.write(chunk) != chunk.size())
            return QStringLiteral("Die Datei kann am Ziel nicht geschrieben werden (%1).").arg(out.errorString());
    }
    if (auto *file = qobject_cast<QFile *>(in.get()); file && file->error() != QFileDevice::NoError)
        return QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(file->errorString());
    if (!out.commit())
        return QStringLiteral("Die Datei kann am Ziel nicht geschrieben werden (%1).").arg(out.errorString());
    // The copy keeps the file's time and permissions.
    QFile copied(to);
    if (copied.open(QIODevice::ReadWrite)) {
        copied.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
        copied.close();
    }
    QFile::setPermissions(to, source.permissions());
    return {};
}

const QString notWritable = QStringLiteral("Im Verzeichnis kann nichts angelegt werden.");

// Moves the named files of `staging` into `dir`. A file of `dir` that one of
// them replaces is kept in a directory made from `asideTemplate` until all
// are in. The file list goes aside first and comes in last, so that at no
// moment a list stands beside a half set. On a failure everything moved is
// put back; what cannot be put back stays where it was kept, and the
// failure says where.
std::optional<Failure> moveIntoPlace(const QString &staging, const QStringList &names, const QString &dir,
                                     const QString &asideTemplate)
{
    QTemporaryDir aside(asideTemplate);
    if (!aside.isValid())
        return Failure{QFileInfo(asideTemplate).absolutePath(), notWritable};
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
        aside.setAutoRemove(false);
        Failure failure{file, reason
                                  + QStringLiteral(" Die bisherigen Dateien konnten nicht alle zurückgelegt werden; "
                                                   "sie liegen in „%1“.")
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
        if (entry.isFile() && !entry.isSymLink() && !entry.isHidden())
            names << entry.fileName();
    sortNames(names);
    return names;
}

std::optional<Failure> writeFileList(const QString &dir, const QStringList &names)
{
    QByteArray bytes;
    for (const QString &name : names) {
        if (const QString c = store::unstorableCharacter(name); !c.isEmpty())
            return Failure{QDir(dir).filePath(name),
                           QStringLiteral("Der Name enthält das Zeichen %1, das die Dateiliste nicht aufnehmen kann. "
                                          "Bitte benennen Sie die Datei um oder entfernen Sie sie aus dem Ordner.")
                               .arg(store::describeCharacter(c))};
        bytes += store::toWindows1252(name) + "\r\n";
    }
    QSaveFile file(QDir(dir).filePath(fileListName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failure{file.fileName(), QStringLiteral("Die Dateiliste kann nicht geschrieben werden (%1).")
                                            .arg(file.errorString())};
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
    for (const QString &name : QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (!name.startsWith(QLatin1Char('.')))
            names << name;
    sortNames(names);
    return names;
}

std::optional<Failure> copyFiles(const QString &from, const QStringList &names, const QString &to,
                                 const CopyHooks &hooks, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names[i];
        if (hooks.progress && !hooks.progress(i, int(names.size()), name)) {
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
        if (const QString why = copyOne(source, target); !why.isEmpty())
            return Failure{source, why};
    }
    if (hooks.progress)
        hooks.progress(int(names.size()), int(names.size()), QString());
    return std::nullopt;
}

BackupResult backupDataDirectory(const QString &dataDir, const QString &root, const QDateTime &at)
{
    BackupResult result;
    QDateTime when = at;
    while (QFileInfo::exists(QDir(root).filePath(backupName(when)))
           || QFileInfo(QDir(root).filePath(backupName(when))).isSymLink())
        when = when.addSecs(1);
    result.name = backupName(when);
    const QString dir = QDir(root).filePath(result.name);
    if (!QDir().mkpath(dir)) {
        result.failure = Failure{dir, QStringLiteral("Das Verzeichnis kann nicht erstellt werden.")};
        return result;
    }
    const QStringList before = fileSet(dataDir);
    if (auto failure = writeFileList(dataDir, before)) {
        QDir(dir).removeRecursively();
        result.failure = failure;
        return result;
    }
    result.failure = exportFiles(dataDir, fileSet(dataDir), dir);
    if (result.failure)
        QDir(dir).removeRecursively();
    return result;
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
                                                  "Dateien entsteht.")};
        default:
            if (cancelled)
                *cancelled = true;
            return std::nullopt;
        }
    }
    // The new set is written beside the old one, in the same directory so
    // that it can be renamed into place.
    QTemporaryDir staging(QDir(to).filePath(QStringLiteral(".lernora-neu-XXXXXX")));
    if (!staging.isValid())
        return Failure{to, notWritable};
    CopyHooks copyHooks;
    copyHooks.progress = hooks.progress;
    bool stopped = false;
    if (auto failure = copyFiles(from, names, staging.path(), copyHooks, &stopped))
        return failure;
    if (stopped) {
        if (cancelled)
            *cancelled = true;
        return std::nullopt;
    }
    return moveIntoPlace(staging.path(), names, to, QDir(to).filePath(QStringLiteral(".lernora-alt-XXXXXX")));
}

std::optional<Failure> importFiles(const QString &source, const QStringList &names, const QString &dataDir,
                                   const std::function<std::optional<Failure>()> &beforeReplace, const CopyHooks &hooks)
{
    const QString data = QDir(dataDir).absolutePath();
    const QString beside = QFileInfo(data).absolutePath();

    // A set that lacks a file its list names is not copied at all.
    for (const QString &name : names) {
        const QFileInfo si(QDir(source).filePath(name));
        if (!si.exists() && !si.isSymLink())
            return Failure{si.filePath(), QStringLiteral("Die Datei wurde nicht gefunden. Die Dateiliste nennt sie, "
                                                         "die Importdaten sind also unvollständig.")};
    }
    // The files come into a directory of their own first.
    QTemporaryDir staging(beside + QStringLiteral("/.daten-neu-XXXXXX"));
    if (!staging.isValid())
        return Failure{beside, notWritable};
    bool cancelled = false;
    CopyHooks copyHooks;
    copyHooks.progress = hooks.progress;
    if (auto failure = copyFiles(source, names, staging.path(), copyHooks, &cancelled))
        return failure;
    if (cancelled)
        return Failure{QString(), QStringLiteral("Der Import wurde abgebrochen.")};
    for (const QString &name : names)
        if (const store::TableDef *def = store::tableDefOfFile(name)) {
            QString why = cutShort(staging.filePath(name));
            if (why.isEmpty())
                why = store::checkTableFile(staging.filePath(name), *def);
            if (!why.isEmpty())
                return Failure{QDir(source).filePath(name), why};
        }

    if (beforeReplace)
        if (auto failure = beforeReplace())
            return failure;

    // Into place: each file replaced is kept aside until all are in.
    if (auto failure = moveIntoPlace(staging.path(), names, data, beside + QStringLiteral("/.daten-alt-XXXXXX")))
        return failure;

    // Files that came read-only can be written by the program.
    for (const QFileInfo &entry : QDir(data).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (!entry.isWritable())
            QFile::setPermissions(entry.filePath(),
                                  entry.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    return std::nullopt;
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
