#include "clock.h"

namespace platform {

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace

Hook<Clock *> &clockHook()
{
    static SystemClock system;
    static Hook<Clock *> hook(&system);
    return hook;
}

Clock &clock()
{
    return *clockHook().get();
}

void setClock(Clock *c)
{
    clockHook().set(c);
}

} // namespace platform
