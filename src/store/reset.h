#pragma once

namespace store {

class TableSet;

// Returns the tables to the state they were delivered in: no reports, no
// detail rows, an empty composition, and every plan row's report counts
// (GroupCnt, ThemaCnt) at 0. The plan's texts and targets, the hints and the
// training-time overview stay as they are.
//
// All or nothing: the four tables are opened (when they are not) and
// changed in one transaction over their files. A store error thrown on the
// way leaves every file and every table's rows as they were. The tables stay
// open afterwards, so the program goes on working with them.
void resetToDelivered(TableSet &tables);

} // namespace store
