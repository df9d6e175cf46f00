#pragma once

// The system's printers: the only place that knows which printers are
// installed, how a printer object is made for one of them, and the standard
// print dialog. Tests install a list of printers that print into PDF files
// and a scripted print dialog.

#include "platform/hook.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace platform {

class Printers
{
public:
    virtual ~Printers() = default;

    // The names of the installed printers, in the platform's order.
    virtual QStringList names() = 0;
    // The default printer's name; empty when there is none.
    virtual QString defaultName() = 0;
    // Whether the printer makes copies itself when asked for more than one.
    virtual bool supportsMultipleCopies(const QString &name) = 0;
    // A printer object that prints on the named printer (the default
    // printer for an empty or unknown name).
    virtual std::unique_ptr<QPrinter> create(const QString &name) = 0;

    // The index of name in names(); the default printer's index when name
    // is not installed; -1 when no printer is installed.
    int indexOf(const QString &name);
};

// The printers in force: the system's unless a test installed others.
Hook<Printers *> &printersHook();
Printers &printers();
// Installs a printer list (not owned); nullptr restores the system's.
void setPrinters(Printers *list);

// What the standard print dialog is preset with.
struct PrintRequest
{
    QString printer; // empty: the default printer
    int copies = 1;
    bool landscape = false;
    int pageCount = 0; // the range offered is 1 … pageCount
};

// What the user chose in it.
struct PrintChoice
{
    QString printer;
    int copies = 1;
    bool allPages = true;
    int from = 0; // with allPages false: pages from … to
    int to = 0;
};

// The standard print dialog: printer, copies and a page range (all pages or
// from–to); no selection and no print to file.
class PrintDialog
{
public:
    virtual ~PrintDialog() = default;
    // The choice, or nothing when the user cancelled.
    virtual std::optional<PrintChoice> ask(const PrintRequest &request, QWidget *parent) = 0;
};

Hook<PrintDialog *> &printDialogHook();
PrintDialog &printDialog();
// Installs a print dialog (not owned); nullptr restores the platform's.
void setPrintDialog(PrintDialog *dialog);

// A fresh, empty file with a unique name in the system's temporary
// directory, for the pages of one print job. The caller deletes it. Throws
// std::runtime_error (German text) when none can be made.
QString newSpoolFile();

} // namespace platform
