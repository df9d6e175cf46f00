#include "application.h"

#include "mainform.h"
#include "controls/dbcontrols.h"
#include "platform/messages.h"
#include "editor/bericht.h"
#include "print/bwprevd5.h"
#include "store/tableset.h"

#include <QDir>
#include <QGuiApplication>

namespace lernora {

Application::Application(QObject *parent) : QObject(parent)
{
    QGuiApplication::setApplicationDisplayName(title());
    // A store error while the user works in a bound control is shown with
    // its own message; the control goes back to what the table holds.
    controls::setErrorHandler([](const QString &message) { platform::messages().error(message); });
    m_tables = std::make_unique<store::TableSet>(QDir::current().filePath(QStringLiteral("daten")));
    m_mainForm = std::make_unique<TMainForm>(*m_tables, m_session);
    m_previews = std::make_unique<TQRMDIPreviewInterface>(m_session, m_mainForm.get());
    engine::setPreviewInterface(m_previews.get());
    // The other windows follow in their fixed order; the main window owns them.
    m_mainForm->setBerichtdlg(new Tberichtdlg(*m_tables, m_session, m_mainForm.get()));
}

Application::~Application()
{
    if (engine::previewInterface() == m_previews.get())
        engine::setPreviewInterface(nullptr);
    m_previews.reset();
    m_mainForm.reset();
    m_tables.reset();
    controls::setErrorHandler(nullptr);
}

} // namespace lernora
