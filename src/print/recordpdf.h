#pragma once

// "Ausbildungsnachweis als PDF speichern": the whole training record in one
// archivable PDF file (PDF/A-1b): the cover with the record's checksum, the
// training-time overview, the report of reports of each training year and
// every report's front sheets (sheet 1, 2, ...) followed by its back
// sheet, by training year and number, as the bulk print prints them. Every
// page carries its number in the file ("Seite 3 von 120") in the bottom
// margin, below every sheet's frames; bookmarks lead to the parts, the
// training years and each report ("Bericht 5, KW 12/2026"). The properties
// name the apprentice as author.
//
// The sheets are rendered from the reports table on its own view, which is
// put back after each sheet: no window sees its cursor move. Each sheet is
// rendered once to count its pages and, if it holds pictures, again when
// its pages are written, so that the pictures of the record are never all
// held at once.

#include "print/engine/pdfbook.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QWidget;
class TQRMDForm;
class Tberichtform;
class Tqrruecksform;
class Tqruebersichtform;
class Treportreportform;

namespace store {
class TableSet;
}

class RecordPdf
{
public:
    struct Forms
    {
        TQRMDForm *cover = nullptr;
        Tqruebersichtform *trainingTime = nullptr;
        Treportreportform *reportOfReports = nullptr;
        Tberichtform *front = nullptr;
        Tqrruecksform *back = nullptr;
    };
    RecordPdf(store::TableSet &tables, const Forms &forms);

    // Asks for the file name, writes the file with a progress window that
    // can cancel it, and says how it went; after a complete file the
    // record's checksum is noted as exported.
    void save(QWidget *parent);

    // "Ausbildungsnachweis Lena Kaminski.pdf".
    QString suggestedFileName() const;

    // The record as a book, the checksum on its cover. `counting` is told
    // each sheet before it is counted; when it returns false, nothing.
    using Counting = std::function<bool(int sheet, int sheets)>;
    std::optional<engine::PdfBook> book(const QByteArray &fingerprint, const Counting &counting = {});

    // Where the page number stands: the bottom margin, below the frames of
    // every sheet (0.1 mm).
    static QRectF pageNumberBox();

private:
    engine::Document sheet(qint64 row, bool back);

    store::TableSet &m_tables;
    Forms m_forms;
};
