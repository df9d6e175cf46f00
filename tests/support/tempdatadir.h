#pragma once

// A fresh working directory with a data directory made from the delivered
// data; the process works inside it until the object goes away.

#include "store/install.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace testsupport {

class TempDataDir
{
public:
    TempDataDir() : m_previous(QDir::currentPath())
    {
        store::installDataDirectory(m_dir.path());
        QDir::setCurrent(m_dir.path());
    }
    ~TempDataDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString dataDir() const { return m_dir.filePath(QStringLiteral("daten")); }
    QString file(const QString &name) const { return dataDir() + QLatin1Char('/') + name; }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

} // namespace testsupport
