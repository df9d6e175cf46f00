#include "scriptedmodalrunner.h"

#include <QDialog>
#include <QPointer>
#include <QTest>

namespace platform {

ScriptedModalRunner::ScriptedModalRunner()
{
    setModalRunner(this);
}

ScriptedModalRunner::~ScriptedModalRunner()
{
    if (&modalRunner() == this)
        setModalRunner(nullptr);
    if (!m_pending.isEmpty())
        qWarning("ScriptedModalRunner: dialogs never shown: %s",
                 qPrintable(pendingNames().join(QStringLiteral(", "))));
}

void ScriptedModalRunner::onNext(const QString &objectName, Handler handler)
{
    m_pending.append({objectName, std::move(handler)});
}

QStringList ScriptedModalRunner::pendingNames() const
{
    QStringList names;
    for (const Pending &p : m_pending)
        names.append(p.name);
    return names;
}

int ScriptedModalRunner::run(QDialog &dialog)
{
    const QString name = dialog.objectName();
    m_shown.append(name);

    qsizetype index = -1;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (m_pending.at(i).name == name) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        const QByteArray message = "Unexpected dialog \"" + name.toUtf8() + "\": no handler queued";
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        dialog.reject();
        return QDialog::Rejected;
    }
    // Taken out before it runs: the handler may open further dialogs.
    const Handler handler = m_pending.takeAt(index).handler;

    // As QDialog::exec does: modal, not deleted on close before the result is read.
    QPointer<QDialog> guard(&dialog);
    const bool deleteOnClose = dialog.testAttribute(Qt::WA_DeleteOnClose);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    const bool wasShowModal = dialog.testAttribute(Qt::WA_ShowModal);
    dialog.setAttribute(Qt::WA_ShowModal, true);
    dialog.setResult(0);
    dialog.show();

    handler(&dialog);

    if (!guard) {
        QTest::qFail(("Dialog \"" + name.toUtf8() + "\" was destroyed by its handler").constData(),
                     __FILE__, __LINE__);
        return QDialog::Rejected;
    }
    if (!QTest::qWaitFor([&] { return !guard || !guard->isVisible(); }, m_closeTimeoutMs)) {
        const QByteArray message = "Dialog \"" + name.toUtf8() + "\" still open after its handler";
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        dialog.reject();
    }
    if (!guard)
        return QDialog::Rejected;

    dialog.setAttribute(Qt::WA_ShowModal, wasShowModal);
    const int result = dialog.result();
    if (deleteOnClose)
        delete &dialog;
    return result;
}

} // namespace platform
