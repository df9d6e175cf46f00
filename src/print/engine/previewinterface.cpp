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

bool preview(Report &report)
{
    if (!g_previews)
        return false;
    g_previews->previewReport(report);
    return true;
}

bool preview(Document &document)
{
    if (!g_previews)
        return false;
    g_previews->previewDocument(document);
    return true;
}

} // namespace engine
