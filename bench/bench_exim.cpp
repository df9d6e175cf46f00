// Local backup and restore at real sizes, each beside the floor it is
// measured against: a plain copy of the same files by the system's "cp",
// timed in the same run.

#include "bench.h"
#include "benchdata.h"
#include "exchange/filetransfer.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

namespace {

// The files of `from` copied by "cp" into the fresh directory `to`.
void plainCopy(const QString &from, const QStringList &names, const QString &to)
{
    QDir().mkpath(to);
    QStringList args{QStringLiteral("-p")};
    for (const QString &name : names)
        args << QDir(from).filePath(name);
    args << to;
    if (QProcess::execute(QStringLiteral("cp"), args) != 0)
        std::fprintf(stderr, "cp failed\n");
}

// The same copy, then written to the disk ("sync" of each copied file): what
// the backup and restore do, since a backup must survive a power cut.
void durableCopy(const QString &from, const QStringList &names, const QString &to)
{
    plainCopy(from, names, to);
    QStringList copies;
    for (const QString &name : names)
        copies << QDir(to).filePath(name);
    QProcess::execute(QStringLiteral("sync"), copies);
}

// Every run starts with nothing waiting to be written to the disk, so that
// none pays for the writes of the one before.
void settle()
{
    QProcess::execute(QStringLiteral("sync"), {});
}

Result medianOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

} // namespace

// A local backup and a restore of `years` training years: the backup with
// its file list; the restore with everything it does (the list read, the
// copy into a staging directory, the check of the tables, the safety backup,
// the files moved into place).
void backupAndRestore(int years, int runs)
{
    QTemporaryDir dir;
    makeDataDirectory(dir.path(), trainingYears(years));
    const QString daten = dir.filePath(QStringLiteral("daten"));
    const QString root = dir.filePath(QStringLiteral("sicherung"));
    const QString floorDir = dir.filePath(QStringLiteral("kopie"));
    exchange::writeFileList(daten, exchange::fileSet(daten));
    const QStringList names = exchange::fileSet(daten);
    const qint64 bytes = exchange::totalSize(daten);
    const QDateTime at(QDate(2026, 12, 9), QTime(8, 0));

    // The three take turns, so that whatever else the machine does falls
    // on each of them alike.
    std::vector<double> floors, durables, backups, restores;
    QString made; // the backup to restore; the safety backups of the restores go
    int hour = 0;
    for (int i = 0; i < runs; ++i) {
        const auto one = [](const std::function<void()> &body, const std::function<void()> &setup) {
            return measure(1, body, setup).median;
        };
        const double f = one([&] { plainCopy(daten, names, floorDir); },
                             [&] {
                                 QDir(floorDir).removeRecursively();
                                 settle();
                             });
        const double d = one([&] { durableCopy(daten, names, floorDir); },
                             [&] {
                                 QDir(floorDir).removeRecursively();
                                 settle();
                             });
        const double b = one(
            [&] {
                const exchange::BackupResult result = exchange::backupDataDirectory(daten, root, at);
                if (result.failure)
                    std::fprintf(stderr, "backup failed: %s\n", qPrintable(result.failure->text()));
                made = result.name;
            },
            [&] {
                QDir(root).removeRecursively();
                settle();
            });
        const QString source = QDir(root).filePath(made);
        const double r = one(
            [&] {
                const exchange::FileList list = exchange::readFileList(source);
                const exchange::ImportResult result =
                    exchange::importFiles(source, list.names, daten, root, at.addSecs(3600 * ++hour));
                if (result.failure)
                    std::fprintf(stderr, "restore failed: %s\n", qPrintable(result.failure->text()));
            },
            settle);
        floors.push_back(f);
        durables.push_back(d);
        backups.push_back(b);
        restores.push_back(r);
    }
    QDir(floorDir).removeRecursively();
    const Result floor = medianOf(floors), durable = medianOf(durables), backup = medianOf(backups),
                 restore = medianOf(restores);
    const QByteArray title = QStringLiteral("exim, %1 training years").arg(years).toLatin1();
    std::printf("%s (data directory %lld MB):\n", title.constData(), static_cast<long long>(bytes >> 20));
    report("  plain copy (cp) of the data", runs, floor);
    report("  the copy written to the disk (cp, sync)", runs, durable);
    report("  local backup", runs, backup);
    report("  restore of that backup", runs, restore);
    std::printf("    backup / copy %.2f, restore / copy %.2f; against the copy on the disk: %.2f, %.2f\n",
                backup.median / floor.median, restore.median / floor.median, backup.median / durable.median,
                restore.median / durable.median);
}

} // namespace bench
