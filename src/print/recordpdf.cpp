#include "recordpdf.h"

#include "backsheet.h"
#include "frontsheet.h"
#include "reportofreportsprint.h"
#include "trainingrecordprint.h"
#include "trainingtimeprint.h"

#include "domain/fingerprint.h"
#include "domain/reportofreports.h"
#include "domain/weeks.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "print/engine/clock.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScopeGuard>

namespace keys = store::settingskeys;
namespace field = store::field;

namespace {

// The training the record is kept for: the only one the program knows.
const QString occupation = QStringLiteral("Berufsausbildung im Schornsteinfegerhandwerk");

QString apprentice(const store::Settings &ini)
{
    return (ini.readString(keys::Stift, keys::VorName) + QLatin1Char(' ') + ini.readString(keys::Stift, keys::Name))
        .simplified();
}

} // namespace

RecordPdf::RecordPdf(store::TableSet &tables, const Forms &forms) : m_tables(tables), m_forms(forms)
{
}

QString RecordPdf::suggestedFileName() const
{
    const QString name = apprentice(store::Settings(m_tables.places().settingsFile()));
    QString file = name.isEmpty() ? QStringLiteral("Ausbildungsnachweis")
                                  : QStringLiteral("Ausbildungsnachweis %1").arg(name);
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|])"));
    return file.replace(unsafe, QStringLiteral("_")) + QStringLiteral(".pdf");
}

QRectF RecordPdf::pageNumberBox()
{
    // The lowest frame of any sheet ends 10 mm above the paper's edge (the
    // cover's checksum at 290.6 mm); the number stands right-aligned under
    // the sheets' right edge.
    return QRectF(1000, 2914, 1000, 30);
}

engine::Document RecordPdf::sheet(qint64 row, bool back)
{
    store::Table &reports = m_tables.berichttable();
    const store::ScopedView keep(reports);
    reports.cancelRange();
    reports.setFiltered(false);
    if (!reports.gotoBookmark(row))
        return engine::Document();
    if (!back)
        return m_forms.front->QuickRep1().render();
    // The pictures print at the sizes the editor shows for the report's
    // stored zoom; the editor's sizes are put back.
    Tqrruecksform &form = *m_forms.back;
    const QSize shown[2] = {form.pictureDisplaySize(0), form.pictureDisplaySize(1)};
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < 2; ++i)
            form.setPictureDisplaySize(i, shown[i]);
    });
    form.setPictureDisplaySize(0, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild1),
                                                                   reports.asInt(field::Zoom1)));
    form.setPictureDisplaySize(1, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild2),
                                                                   reports.asInt(field::Zoom2)));
    return form.QuickRep().render();
}

std::optional<engine::PdfBook> RecordPdf::book(const QByteArray &fingerprint, const Counting &counting)
{
    engine::PdfBook book;
    const store::Settings ini(m_tables.places().settingsFile());
    const QString name = apprentice(ini);
    book.properties.title =
        name.isEmpty() ? QStringLiteral("Ausbildungsnachweis") : QStringLiteral("Ausbildungsnachweis %1").arg(name);
    book.properties.author = name;
    book.properties.subject = occupation;
    book.properties.created = engine::now();

    int pages = 0;
    // A document without pictures is kept as rendered; one with pictures is
    // rendered again when its pages are written.
    const auto add = [&](engine::Document document, std::function<engine::Document()> again) {
        const int count = document.pageCount();
        if (count == 0)
            return;
        if (document.imageCount() == 0 || !again)
            book.parts.push_back({count, [document] { return document; }});
        else
            book.parts.push_back({count, std::move(again)});
        pages += count;
    };

    m_forms.cover->setFingerprint(fingerprint);
    {
        const auto plain = qScopeGuard([this] { m_forms.cover->setFingerprint(QByteArray()); });
        book.outline.push_back({QStringLiteral("Deckblatt"), pages + 1, {}});
        add(m_forms.cover->qrnachweis().render(), {});
    }
    book.outline.push_back({QStringLiteral("Ausbildungszeit"), pages + 1, {}});
    add(m_forms.trainingTime->report().render(), {});
    book.outline.push_back({QStringLiteral("Berichtsübersicht"), pages + 1, {}});
    {
        const auto forget = qScopeGuard([this] { m_forms.reportOfReports->setGrid(nullptr); });
        for (const domain::Selection s : {domain::Selection::Year1, domain::Selection::Year2, domain::Selection::Year3}) {
            const domain::Grid grid = domain::reportGrid(domain::planWalk(m_tables, s), s);
            m_forms.reportOfReports->setGrid(&grid);
            m_forms.reportOfReports->setSelectionText(domain::selectionText(s));
            add(m_forms.reportOfReports->report().render(), {});
        }
    }

    const QVector<domain::ReportWeeks> reports = domain::reportWeeks(m_tables);
    int sheets = 0;
    for (const domain::ReportWeeks &r : reports)
        sheets += int(r.sheets.size()) + 1;
    int counted = 0;
    for (const domain::ReportWeeks &r : reports) {
        if (book.outline.last().title != QStringLiteral("%1. Ausbildungsjahr").arg(r.year))
            book.outline.push_back({QStringLiteral("%1. Ausbildungsjahr").arg(r.year), pages + 1, {}});
        const QString week = r.from.isValid() ? QStringLiteral(", %1").arg(domain::weekLabel(domain::mondayOf(r.from)))
                                              : QString();
        book.outline.last().children.push_back(
            {QStringLiteral("Bericht %1%2").arg(r.number).arg(week), pages + 1, {}});
        QList<qint64> rows = r.sheets;
        rows.append(r.sheet); // the back sheet, of the report's first sheet
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (counting && !counting(++counted, sheets))
                return std::nullopt;
            const bool back = i == rows.size() - 1;
            const qint64 row = rows.at(i);
            add(sheet(row, back), [this, row, back] { return sheet(row, back); });
        }
    }

    book.overPage = [](QPainter &painter, int page, int pages) {
        // 7 points in the painter's 0.1 mm.
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(25);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(pageNumberBox(), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
    };
    return book;
}

void RecordPdf::save(QWidget *parent)
{
    const QString fileName = platform::getSaveFileName(parent, QStringLiteral("Ausbildungsnachweis als PDF speichern"),
                                                       suggestedFileName(), QStringLiteral("PDF-Dateien (*.pdf)"));
    if (fileName.isEmpty())
        return;
    // Counting the sheets, then writing the pages: one progress window
    // that can cancel both. A cancelled or failed file leaves nothing
    // behind, nor changes a file of that name.
    const std::unique_ptr<QProgressDialog> dialog =
        platform::progressDialog(parent, "recordpdffortschritt", QStringLiteral("Ausbildungsnachweis als PDF"),
                                 QStringLiteral("Die Berichte werden aufbereitet …"), 1, Qt::ApplicationModal, 500);
    QProgressDialog &progress = *dialog;
    // Wide enough for its title and the longest label.
    progress.setMinimumWidth(380);
    const auto step = [&progress](const QString &label, int value, int maximum) {
        progress.setMaximum(maximum);
        progress.setLabelText(label);
        progress.setValue(value - 1);
        // Until the dialog shows (and blocks the other windows), input waits.
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    };
    // Hashing years of photos takes a moment before the first step.
    const QByteArray fingerprint = [this] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        return domain::recordFingerprint(m_tables);
    }();
    bool written = false;
    try {
        const std::optional<engine::PdfBook> made = book(fingerprint, [&](int sheet, int sheets) {
            return step(QStringLiteral("Blatt %1 von %2 wird aufbereitet …").arg(sheet).arg(sheets), sheet, sheets);
        });
        if (!made)
            return;
        written = engine::exportPdf(*made, fileName, [&](int page, int pages) {
            return step(QStringLiteral("Seite %1 von %2 wird geschrieben …").arg(page).arg(pages), page, pages);
        });
    } catch (const engine::FileError &e) {
        progress.close();
        platform::messages().error(e.message());
        return;
    }
    progress.close();
    if (!written)
        return; // cancelled
    store::Settings ini(m_tables.places().settingsFile());
    const bool noted = domain::recordExported(ini, fingerprint, engine::now());
    platform::messages().information(
        QStringLiteral("Der Ausbildungsnachweis ist als „%1“ gespeichert.").arg(QDir::toNativeSeparators(fileName))
        + (noted ? QString()
                 : QStringLiteral(" Lernora konnte sich aber nicht in „Ruririd.ini“ merken, dass er gespeichert "
                                  "wurde; bitte prüfen Sie, ob die Datei schreibgeschützt ist.")));
}
