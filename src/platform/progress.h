#pragma once

// The progress window of a step that may take a while: "Abbrechen" to stop
// it, shown only when the step lasts longer than `delayMs`, and neither
// reset nor closed when it reaches its maximum, so that the step decides
// when it is over.

#include <QProgressDialog>
#include <memory>

namespace platform {

std::unique_ptr<QProgressDialog> progressDialog(QWidget *parent, const char *objectName, const QString &title,
                                                const QString &label, int maximum,
                                                Qt::WindowModality modality = Qt::WindowModal, int delayMs = 1000);

} // namespace platform
