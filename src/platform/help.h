#pragma once

#include "platform/hook.h"

#include <functional>

class QWidget;

namespace platform {

// The sections of the help, by the numbers the windows' designs give them.
namespace helpcontext {
enum : int {
    Contents = 0,
    Menus = 20,
    BasicData = 50,
    Composition = 100,
    ReportOverview = 200,
    ReportOfReports = 300,
    MainWindow = 399,
    ReportEditor = 400,
    TrainingTime = 500,
    ImportExport = 600, // our own number: the import/export window's design gives none
    // Our own numbers too: the bulk print's choice and the preview are
    // explained in sections of their own, whichever window opened them.
    BulkPrint = 210,
    Preview = 700,
    // The windows that came later: the weeks, the trainer's review and the
    // readiness check.
    WeekLedger = 800,
    Review = 810,
    Readiness = 820,
};
}

// The section of the help that explains a window or a part of one. A widget
// without its own context has that of the nearest parent that has one.
void setHelpContext(QWidget *widget, int context);
int helpContext(const QWidget *widget);

// Opens the help at a section (Contents: at its beginning) through the
// viewer the program installed; nothing happens without one.
void showHelp(int context);
Hook<std::function<void(int context)>> &helpViewerHook();
void setHelpViewer(std::function<void(int context)> viewer);

// F1 anywhere in the program opens the help at the section of the widget
// that receives the key. Installed once; later calls do nothing.
void installHelpKey();

} // namespace platform
