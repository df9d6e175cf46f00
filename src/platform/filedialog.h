#pragma once

// File dialogs behind a facade: the working directory is restored after
// every dialog (a platform's dialog may change it), and tests answer the
// next dialog with a file name of their choice.

#include "platform/hook.h"

#include <QString>

class QWidget;

namespace platform {

// The dialogs themselves; tests may install their own.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                                 const QString &filter) = 0;
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &filter) = 0;
};
Hook<FileDialogs *> &fileDialogsHook();

// Asks for the name of a file to save to, offering `suggested` (a name or a
// path) and `filter` ("PDF-Dateien (*.pdf)"); a name without the filter's
// extension gets it. Returns an empty string when the user cancelled.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter);

// Tests: the next getSaveFileName answers with this name (an empty name: as
// if cancelled) without showing a dialog. Answers queue up in order; the
// queue is in force unless other dialogs were installed.
void setNextSaveFileName(const QString &name);
// Forgets answers that were never asked for.
void clearNextSaveFileNames();

// Asks for an existing file to open, offering the kinds of `filter`
// ("Bitmaps (*.bmp);;Symbole (*.ico)"). The dialog can be resized. Returns
// an empty string when the user cancelled.
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter);

// Tests: the next getOpenFileName answers with this name (an empty name: as
// if cancelled) without showing a dialog. Answers queue up in order.
void setNextOpenFileName(const QString &name);
void clearNextOpenFileNames();

} // namespace platform
