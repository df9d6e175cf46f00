#include "places.h"

#include <QDir>

namespace store {

Places::Places() : Places(QDir::currentPath())
{
}

Places::Places(const QString &programDir) : m_programDir(QDir::cleanPath(QDir(programDir).absolutePath()))
{
}

Places Places::ofDataDir(const QString &dataDir)
{
    return Places(QDir(dataDir).absoluteFilePath(QStringLiteral("..")));
}

QString Places::file(const QString &name) const
{
    return QDir(m_programDir).filePath(name);
}

QString Places::dataDir() const
{
    return file(QStringLiteral("daten"));
}

QString Places::settingsFile() const
{
    return file(QStringLiteral("Ruririd.ini"));
}

QString Places::backupRoot() const
{
    return file(QStringLiteral("sicherung"));
}

QString Places::printDir() const
{
    return file(QStringLiteral("qrp"));
}

QString Places::recoveryFile() const
{
    return file(QStringLiteral("bericht-wiederherstellung.json"));
}

QString Places::displayPath(const QString &path) const
{
    const QString rel = QDir(m_programDir).relativeFilePath(path);
    return QDir::toNativeSeparators(rel.startsWith(QLatin1String("..")) ? path : rel);
}

} // namespace store
