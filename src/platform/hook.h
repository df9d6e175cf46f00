#pragma once

// One shape for every replaceable service of the platform layer (clock,
// messages, modal runner, volumes, printers, ...): a default that is always
// there, an installed replacement that takes its place, and a scoped
// replacement that puts back whatever was installed before it, so that a
// test's fixture and one of its cases can each install their own.
//
// T is a pointer to the service or a std::function; an empty value (nullptr,
// an empty function) stands for "no replacement": the default is in force.

#include <utility>

namespace platform {

template <typename T>
class Hook
{
public:
    explicit Hook(T fallback = T()) : m_fallback(std::move(fallback)) {}
    Hook(const Hook &) = delete;
    Hook &operator=(const Hook &) = delete;

    // The replacement when one is installed, else the default.
    const T &get() const { return m_installed ? m_installed : m_fallback; }
    // Installs a replacement (not owned); an empty one restores the default.
    void set(T replacement) { m_installed = std::move(replacement); }
    bool replaced() const { return bool(m_installed); }

    // A replacement for the lifetime of the object; afterwards the one
    // before it is in force again.
    class Scoped
    {
    public:
        Scoped(Hook &hook, T replacement)
            : m_hook(hook), m_previous(std::exchange(hook.m_installed, std::move(replacement)))
        {
        }
        ~Scoped() { m_hook.m_installed = std::move(m_previous); }
        Scoped(const Scoped &) = delete;
        Scoped &operator=(const Scoped &) = delete;

    private:
        Hook &m_hook;
        T m_previous;
    };
    [[nodiscard]] Scoped scoped(T replacement) { return Scoped(*this, std::move(replacement)); }

private:
    T m_fallback;
    T m_installed{};
};

} // namespace platform
