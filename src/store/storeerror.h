#pragma once

#include "platform/detailederror.h"

namespace store {

// An error of the table store. Its message is German text for the user and
// names the table file concerned; SQLite's own words, when it refused, are
// its detail. The window that caught it shows both through the message
// service.
class StoreError : public platform::DetailedError
{
public:
    explicit StoreError(const QString &message, const QString &detail = {}) : DetailedError(message, detail) {}
};

} // namespace store
