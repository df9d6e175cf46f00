#pragma once

// Keys of windows and lists.
//
// Tab pages by keys: Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab
// and Ctrl+PgUp the one before, from the last back to the first and the
// other way round. A window may hold tab widgets inside each other (the
// main window's tabs around the plan's parts): the keys turn the innermost
// one that holds the focus, and the window's first one when none does.
// The page changes as a click on its tab changes it (setCurrentIndex), so
// whatever the window does on a change of page happens as well.
//
// A rich-text field takes Ctrl+Tab for itself (it types a tab character);
// Ctrl+PgDn and Ctrl+PgUp turn the page from there too.

class QAbstractButton;
class QAbstractItemView;
class QTabWidget;

namespace controls {

void addPageKeys(QTabWidget *pages);

// Enter on a list opens its current entry as a double click does (the
// view's activated signal), and goes no further: in a dialog it would
// press the default button as well.
void enterActivates(QAbstractItemView *view);

// A button that has the keyboard's focus shows a dotted frame inside its
// edge. The platform's style marks a focused button as it marks the default
// button of a dialog, so that on the default button the focus did not show.
void showFocusFrame(QAbstractButton *button);

} // namespace controls
