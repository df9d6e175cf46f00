#include "diskspace.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

namespace store {

namespace {

const QString makeRoom = QStringLiteral("Bitte schaffen Sie Platz (etwa, indem Sie alte Sicherungen löschen oder auf "
                                        "einen anderen Datenträger verschieben) und versuchen Sie es dann noch "
                                        "einmal.");

} // namespace

QString makeRoomAdvice()
{
    return makeRoom;
}

QString diskName(const QString &path)
{
    QString dir = path;
    while (!dir.isEmpty() && !QFileInfo::exists(dir) && QFileInfo(dir).absolutePath() != dir)
        dir = QFileInfo(dir).absolutePath();
    const QStorageInfo info(dir);
    if (!info.isValid())
        return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    const QString root = QDir::toNativeSeparators(info.rootPath());
    const QString label = info.name();
    return label.isEmpty() || root.endsWith(label) ? root : QStringLiteral("%1 (%2)").arg(root, label);
}

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::German).formattedDataSize(bytes, bytes < 1024 * 1024 ? 0 : 1,
                                                      QLocale::DataSizeTraditionalFormat);
}

QString diskFullText(const QString &path, qint64 needed, qint64 free)
{
    QString text = QStringLiteral("Auf dem Datenträger „%1“ ist nicht genug Platz frei: Gebraucht werden %2")
                       .arg(diskName(path), sizeText(needed));
    if (free >= 0)
        text += QStringLiteral(", frei sind nur %1").arg(sizeText(free));
    return text + QStringLiteral(". ") + makeRoom;
}

QString diskFullRefusal(const QString &path, qint64 needed)
{
    const QStorageInfo info(QFileInfo(path).absolutePath());
    return QStringLiteral("Der Datenträger „%1“ ist voll; die Änderung wurde nicht gespeichert. Lernora braucht dort "
                          "für sie bis zu %2 (so groß sind die geöffneten Tabellen), frei sind %3. ")
               .arg(diskName(path), sizeText(needed), sizeText(info.isValid() ? info.bytesAvailable() : 0))
           + makeRoom;
}

} // namespace store
