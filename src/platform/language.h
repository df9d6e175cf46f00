#pragma once

namespace platform {

// Makes the texts that Qt's own dialogs and menus show German (the file
// dialog, the print dialog, the pop-up menu of a text field) and the
// locale German. Safe to call more than once; false when Qt's German
// texts are not installed (the program then goes on with Qt's English,
// but for the details button of a message box, which is German anyway).
bool useGermanTexts();

} // namespace platform
