#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

Hook<std::function<bool(const QUrl &)>> &urlOpenerHook()
{
    static Hook<std::function<bool(const QUrl &)>> hook([](const QUrl &url) { return QDesktopServices::openUrl(url); });
    return hook;
}

bool openUrl(const QUrl &url)
{
    return urlOpenerHook().get()(url);
}

void setUrlOpener(std::function<bool(const QUrl &)> replacement)
{
    urlOpenerHook().set(std::move(replacement));
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
