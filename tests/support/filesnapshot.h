#pragma once

// Everything below a directory with its bytes, to show that a step wrote,
// created or removed nothing there.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

namespace testsupport {

// Every file and directory below root (hidden ones included), by its path
// relative to root: a file with its bytes ("<unlesbar>" when it cannot be
// read), a directory as "<Ordner>".
inline QMap<QString, QByteArray> fileSnapshot(const QString &root)
{
    const QDir dir(QDir(root).absolutePath());
    QMap<QString, QByteArray> out;
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        out.insert(dir.relativeFilePath(path), it.fileInfo().isDir()          ? QByteArray("<Ordner>")
                                               : file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                                : QByteArray("<unlesbar>"));
    }
    return out;
}

} // namespace testsupport
