#include "pdfprinters.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

namespace platform {

PdfPrinters::PdfPrinters(const QString &directory, const QStringList &names, int defaultIndex)
    : m_directory(directory), m_names(names), m_defaultIndex(defaultIndex)
{
    QDir().mkpath(directory);
    setPrinters(this);
}

PdfPrinters::~PdfPrinters()
{
    if (&printers() == this)
        setPrinters(nullptr);
}

void PdfPrinters::setMultipleCopies(const QString &name, bool supported)
{
    m_singleCopy.removeAll(name);
    if (!supported)
        m_singleCopy.append(name);
}

QString PdfPrinters::defaultName()
{
    return m_defaultIndex >= 0 && m_defaultIndex < m_names.size() ? m_names.at(m_defaultIndex) : QString();
}

bool PdfPrinters::supportsMultipleCopies(const QString &name)
{
    return m_names.contains(name) && !m_singleCopy.contains(name);
}

std::unique_ptr<QPrinter> PdfPrinters::create(const QString &name)
{
    const QString printer = m_names.contains(name) ? name : defaultName();
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    const QString file =
        QDir(m_directory).filePath(QStringLiteral("job%1.pdf").arg(m_created.size() + 1, 3, 10, QLatin1Char('0')));
    p->setOutputFileName(file);
    p->setDocName(printer);
    m_created.append({printer, file});
    return p;
}

QList<PdfPrinters::Job> PdfPrinters::jobs() const
{
    QList<Job> out;
    for (const Job &job : m_created)
        if (QFileInfo::exists(job.file))
            out.append(job);
    return out;
}

} // namespace platform
