#pragma once

// The start of the program up to its shown main window, as the command line
// asks: the place to work in, one instance only, the checks of the files it
// will write, the tables and the windows. Every refusal is told through the
// message service before the start ends.

#include <QString>
#include <QStringList>
#include <memory>

namespace platform {
class SingleInstance;
}

namespace lernora {

class Application;

struct Started
{
    // Held while the program runs: later starts come to this one.
    std::unique_ptr<platform::SingleInstance> guard;
    // The running program with its main window shown; null when the start
    // ended, with exitCode as the process's result.
    std::unique_ptr<Application> program;
    int exitCode = 0;

    Started();
    Started(Started &&) noexcept;
    ~Started();
};

// arguments: the command line without the program's name; userDir: the
// per-user data directory of this platform.
Started start(const QStringList &arguments, const QString &userDir);

} // namespace lernora
