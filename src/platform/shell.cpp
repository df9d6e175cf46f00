#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

std::function<bool(const QUrl &)> &opener()
{
    static std::function<bool(const QUrl &)> installed;
    return installed;
}

} // namespace

bool openUrl(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

void setUrlOpener(std::function<bool(const QUrl &)> replacement)
{
    opener() = std::move(replacement);
}

QDateTime programFileTime()
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return program.exists() ? program.lastModified() : QDateTime();
}

QString userDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/lernora");
}

} // namespace platform
