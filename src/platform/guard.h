#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace platform {

// Runs the handler of a user action. An error that escapes it (a table file
// that refuses a write, say) is shown to the user with its own message and
// ends the action; the program goes on.
void guarded(const std::function<void()> &handler);

// How the technical detail behind an error's message is found (for an
// error of the table store, SQLite's own words); the program sets it once.
// guarded() shows the detail behind the message; without it, none.
void setErrorDetail(std::function<QString(const std::exception &)> detailOf);

} // namespace platform
