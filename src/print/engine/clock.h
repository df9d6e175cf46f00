#pragma once

// The time the engine prints (the date and time items) and stamps saved
// report files with. The program hands the engine its own clock at start, so
// that a clock fixed for a test holds for the printed pages too.

#include <QDateTime>
#include <functional>

namespace engine {

using Clock = std::function<QDateTime()>;

// Installs the clock; an empty one goes back to the system's time.
void setClock(Clock clock);
// The time now, by the clock in force.
QDateTime now();

} // namespace engine
