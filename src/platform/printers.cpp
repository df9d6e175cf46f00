#include "platform/printers.h"

#include "platform/modalrunner.h"

#include <QDir>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <stdexcept>

namespace platform {

int Printers::indexOf(const QString &name)
{
    const QStringList all = names();
    if (all.isEmpty())
        return -1;
    qsizetype index = all.indexOf(name);
    if (index < 0)
        index = all.indexOf(defaultName());
    return int(qMax<qsizetype>(index, 0));
}

namespace {

// The printers the system knows (CUPS on Linux, the spooler on Windows).
class SystemPrinters final : public Printers
{
public:
    QStringList names() override { return QPrinterInfo::availablePrinterNames(); }

    QString defaultName() override { return QPrinterInfo::defaultPrinterName(); }

    bool supportsMultipleCopies(const QString &name) override
    {
        QPrinter printer;
        if (!name.isEmpty())
            printer.setPrinterName(name);
        printer.setCopyCount(2);
        return printer.supportsMultipleCopies() && printer.copyCount() >= 2;
    }

    std::unique_ptr<QPrinter> create(const QString &name) override
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!name.isEmpty() && names().contains(name))
            printer->setPrinterName(name);
        return printer;
    }
};

SystemPrinters &systemPrinters()
{
    static SystemPrinters list;
    return list;
}


// The platform's print dialog, run through the modal runner.
class StandardPrintDialog final : public PrintDialog
{
public:
    std::optional<PrintChoice> ask(const PrintRequest &request, QWidget *parent) override
    {
        std::unique_ptr<QPrinter> printer = printers().create(request.printer);
        printer->setCopyCount(qMax(1, request.copies));
        printer->setPageOrientation(request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer->setPrintRange(QPrinter::AllPages);

        QPrintDialog dialog(printer.get(), parent);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintShowPageSize
                          | QAbstractPrintDialog::PrintCollateCopies);
        dialog.setMinMax(1, qMax(1, request.pageCount));
        dialog.setFromTo(1, qMax(1, request.pageCount));
        if (modalRunner().run(dialog) != QDialog::Accepted)
            return std::nullopt;

        PrintChoice choice;
        choice.printer = printer->printerName();
        choice.copies = qMax(1, printer->copyCount());
        choice.allPages = printer->printRange() != QPrinter::PageRange;
        if (!choice.allPages) {
            choice.from = printer->fromPage();
            choice.to = printer->toPage();
        }
        return choice;
    }
};

StandardPrintDialog &standardPrintDialog()
{
    static StandardPrintDialog dialog;
    return dialog;
}


} // namespace

Hook<Printers *> &printersHook()
{
    static Hook<Printers *> hook(&systemPrinters());
    return hook;
}

Printers &printers()
{
    return *printersHook().get();
}

void setPrinters(Printers *list)
{
    printersHook().set(list);
}

Hook<PrintDialog *> &printDialogHook()
{
    static Hook<PrintDialog *> hook(&standardPrintDialog());
    return hook;
}

PrintDialog &printDialog()
{
    return *printDialogHook().get();
}

void setPrintDialog(PrintDialog *dialog)
{
    printDialogHook().set(dialog);
}

QString newSpoolFile()
{
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("lernora-XXXXXX.qrp")));
    file.setAutoRemove(false);
    if (!file.open())
        throw std::runtime_error(
            QStringLiteral("Im temporären Verzeichnis „%1“ kann keine Datei angelegt werden. Bitte prüfen Sie, ob "
                           "auf dem Datenträger Platz frei ist.")
                .arg(QDir::toNativeSeparators(QDir::tempPath()))
                .toStdString());
    const QString name = file.fileName();
    file.close();
    return name;
}

} // namespace platform
