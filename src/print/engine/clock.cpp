#include "clock.h"

namespace engine {

namespace {

Clock &installed()
{
    static Clock c;
    return c;
}

} // namespace

void setClock(Clock clock)
{
    installed() = std::move(clock);
}

QDateTime now()
{
    const Clock &c = installed();
    return c ? c() : QDateTime::currentDateTime();
}

} // namespace engine
