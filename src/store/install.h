#pragma once

#include <QString>

namespace store {

// Creates DIR/daten with the six table files: the plan rows and the hint
// texts from the delivered data, the other tables empty. Refuses (throws
// StoreError) when any of the six files exists already: nothing is
// overwritten.
void installDataDirectory(const QString &dir);

// The delivered plan (plan.tsv) and hint texts, as compiled into the program.
QString deliveredPlanPath();
QString deliveredHintsDir();

} // namespace store
