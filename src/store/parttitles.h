#pragma once

#include <QString>

namespace store {

// The parts of the training profile, numbered 1 to 17 (`Lfdnr`).
inline constexpr int partCount = 17;

// The title of a part (1 to 17) as the plan pages and the overviews show it;
// empty for other numbers.
QString partTitle(int part);

} // namespace store
