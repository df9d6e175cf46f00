#pragma once

// Follow-up sheets in the report editor: the check that removes a
// follow-up sheet left with nothing on it. Adding a sheet is the record's
// rule (domain/followup.h).

namespace store {
class TableSet;
}

namespace followup {

// True when the reports table's current sheet may go: a follow-up sheet
// (never the first, which carries the back side) without detail rows and
// without anything of its own (activities, remarks, topic, description,
// pictures).
bool isEmptyFollowUp(store::TableSet &tables);

} // namespace followup
