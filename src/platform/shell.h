#pragma once

#include <QDateTime>
#include <QUrl>

#include "platform/hook.h"

#include <functional>

namespace platform {

// Opens a web address, or a new message for a "mailto:" address, with the
// desktop's default program. False when no program could be started.
bool openUrl(const QUrl &url);
// The desktop unless a test installed another opener.
Hook<std::function<bool(const QUrl &)>> &urlOpenerHook();

// Replaces the desktop for tests: openUrl hands its address to `opener`
// instead; an empty function restores the desktop.
void setUrlOpener(std::function<bool(const QUrl &)> opener);

// The time the program's own executable file was last modified; invalid
// when the file cannot be found.
QDateTime programFileTime();

// The per-user directory an installed program keeps its data in:
// "lernora" in the desktop's data directory ($XDG_DATA_HOME, usually
// ~/.local/share, on Linux; the local application data on Windows).
QString userDataDirectory();

} // namespace platform
