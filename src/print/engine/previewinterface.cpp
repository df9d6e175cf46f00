#include "previewinterface.h"

namespace engine {

namespace {
PreviewInterface *g_previews = nullptr;
}

void setPreviewInterface(PreviewInterface *previews)
{
    g_previews = previews;
}

PreviewInterface *previewInterface()
{
    return g_previews;
}

bool preview(Report &report, PrintKind kind)
{
    if (!g_previews)
        return false;
    g_previews->previewReport(report, kind);
    return true;
}

bool preview(Document &document, PrintKind kind)
{
    if (!g_previews)
        return false;
    g_previews->previewDocument(document, kind);
    return true;
}

} // namespace engine
