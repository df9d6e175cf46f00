#include "platform/progress.h"

namespace platform {

std::unique_ptr<QProgressDialog> progressDialog(QWidget *parent, const char *objectName, const QString &title,
                                                const QString &label, int maximum, Qt::WindowModality modality,
                                                int delayMs)
{
    auto dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Abbrechen"), 0, maximum, parent);
    dialog->setObjectName(QString::fromLatin1(objectName));
    dialog->setWindowTitle(title);
    dialog->setWindowModality(modality);
    dialog->setMinimumDuration(delayMs);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    return dialog;
}

} // namespace platform
