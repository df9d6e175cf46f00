#pragma once

#include "platform/hook.h"

#include <QDateTime>

namespace platform {

// The time of day as the program sees it; tests set a fixed one so that
// rules depending on today's date (the week picker, time stamps) are
// testable on any day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The system clock unless another is installed.
Hook<Clock *> &clockHook();
Clock &clock();
// Installs a clock (not owned); nullptr restores the system clock.
void setClock(Clock *clock);

// A clock standing still at a given time.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(QDateTime at) { m_at = std::move(at); }

private:
    QDateTime m_at;
};

} // namespace platform
