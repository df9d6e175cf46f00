#pragma once

#include "platform/printers.h"

namespace platform {

// A printer list for tests: every printer prints into a new PDF file in a
// directory, one file per print job. Installs itself while it exists.
class PdfPrinters final : public Printers
{
public:
    PdfPrinters(const QString &directory, const QStringList &names, int defaultIndex = 0);
    ~PdfPrinters() override;
    PdfPrinters(const PdfPrinters &) = delete;
    PdfPrinters &operator=(const PdfPrinters &) = delete;

    // Printers make their own copies unless told otherwise here.
    void setMultipleCopies(const QString &name, bool supported);

    struct Job
    {
        QString printer;
        QString file; // the PDF written
    };
    // The print jobs that produced a file, in the order their printer
    // objects were created.
    QList<Job> jobs() const;

    QStringList names() override { return m_names; }
    QString defaultName() override;
    bool supportsMultipleCopies(const QString &name) override;
    std::unique_ptr<QPrinter> create(const QString &name) override;

private:
    QString m_directory;
    QStringList m_names;
    int m_defaultIndex;
    QStringList m_singleCopy;
    QList<Job> m_created;
};

} // namespace platform
