// The data directory as a set of files: its file set and file list, sizes,
// where files are, and the test hooks every copy and rename goes through.
// Copying and exporting are in filecopy.cpp, backups in backups.cpp, the
// import in fileimport.cpp.

#include "filetransfer.h"
#include "filetransferinternal.h"

#include "store/settings.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <QStorageInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace exchange {

using namespace detail;

namespace {

std::function<std::unique_ptr<QIODevice>(const QString &)> g_opener;
std::function<bool(const QString &, const QString &)> g_renamer;

} // namespace

namespace detail {

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

} // namespace detail

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

bool isRealFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && !info.isJunction();
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

void setRenamer(std::function<bool(const QString &from, const QString &to)> renamer)
{
    g_renamer = std::move(renamer);
}

void setSourceOpener(std::function<std::unique_ptr<QIODevice>(const QString &path)> opener)
{
    g_opener = std::move(opener);
}

} // namespace exchange
