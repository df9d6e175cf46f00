#include "guard.h"

#include "messages.h"

#include <QString>

namespace platform {

namespace {

std::function<QString(const std::exception &)> &detailOf()
{
    static std::function<QString(const std::exception &)> f;
    return f;
}

} // namespace

void setErrorDetail(std::function<QString(const std::exception &)> f)
{
    detailOf() = std::move(f);
}

void guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        messages().error(QString::fromUtf8(e.what()), detailOf() ? detailOf()(e) : QString());
    }
}

} // namespace platform
