#include "guard.h"

#include "detailederror.h"
#include "messages.h"

#include <QString>
#include <exception>

namespace platform {

void guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const DetailedError &e) {
        messages().error(e.message(), e.detail());
    } catch (const std::exception &e) {
        messages().error(QString::fromUtf8(e.what()));
    }
}

} // namespace platform
