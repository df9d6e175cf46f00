#pragma once

// The engine shows every preview through one interface, installed once at
// program start: a caller asks for a report (or a finished document) to be
// previewed, saying which print form it is; it never opens a window itself.

namespace engine {

class Document;
class Report;

// Which print form a preview shows; its print button prints by it. The
// numbers are the ones the program has always used for them.
enum class PrintKind {
    None = 0,
    FrontSheet = 1,      // weekly report, front sheet
    BackSheet = 2,       // weekly report, back sheet
    TrainingTime = 3,    // overview of the training time
    ReportOfReports = 4, // report of the reports
    TrainingRecord = 5,  // training record
    ReportList = 6,      // overview of the report sheets
    BulkPrint = 7,       // several reports merged into one file
    RecordCheck = 8,     // the readiness check's list of defects
};

class PreviewInterface
{
public:
    virtual ~PreviewInterface() = default;
    // Shows the report while it renders; returns when the preview closed.
    virtual void previewReport(Report &report, PrintKind kind) = 0;
    // Shows a finished document; returns when the preview closed.
    virtual void previewDocument(Document &document, PrintKind kind) = 0;
};

// The interface in force (not owned); nullptr: previews are not shown.
void setPreviewInterface(PreviewInterface *previews);
PreviewInterface *previewInterface();

// Previews through the interface in force; false when none is installed.
bool preview(Report &report, PrintKind kind);
bool preview(Document &document, PrintKind kind);

} // namespace engine
