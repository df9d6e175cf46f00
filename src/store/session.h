#pragma once

#include <QString>

namespace store {

// The values the whole program shares beside the tables, created at start
// and kept until the end.
struct Session
{
    int year = 1;                         // current training year: 1, 2, 3, or 0 for all years
    QString apprenticeName;               // "Stift" "Name" of the settings file
    QString trainerName;                  // "BKM" "Name"
    bool previewOpen = false;             // a preview window is showing
};

} // namespace store
