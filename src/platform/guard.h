#pragma once

#include <functional>

namespace platform {

// Runs the handler of a user action. An error that escapes it (a table file
// that refuses a write, say) is shown to the user with its own message and
// ends the action; the program goes on.
void guarded(const std::function<void()> &handler);

} // namespace platform
