#pragma once

// The engine shows every preview through one interface, installed once at
// program start: a caller sets what it prints and asks the report (or a
// finished document) to preview itself; it never opens a window itself.

namespace engine {

class Document;
class Report;

class PreviewInterface
{
public:
    virtual ~PreviewInterface() = default;
    // Shows the report while it renders; returns when the preview closed.
    virtual void previewReport(Report &report) = 0;
    // Shows a finished document; returns when the preview closed.
    virtual void previewDocument(Document &document) = 0;
};

// The interface in force (not owned); nullptr: previews are not shown.
void setPreviewInterface(PreviewInterface *previews);
PreviewInterface *previewInterface();

// Previews through the interface in force; false when none is installed.
bool preview(Report &report);
bool preview(Document &document);

} // namespace engine
