#include "application.h"

#include "aboutbox.h"
#include "basicdatadialog.h"
#include "mainform.h"
#include "programicon.h"
#include "platform/clock.h"
#include "platform/help.h"
#include "platform/language.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "editor/recovery.h"
#include "editor/reporteditor.h"
#include "exchange/eximform.h"
#include "print/frontsheet.h"
#include "print/previewwindow.h"
#include "print/reportlistprint.h"
#include "print/recordpdf.h"
#include "print/reportofreportsprint.h"
#include "print/backsheet.h"
#include "print/bulkprint.h"
#include "print/trainingrecordprint.h"
#include "print/trainingtimeprint.h"
#include "overviews/trainingtime.h"
#include "overviews/weekledger.h"
#include "print/engine/clock.h"
#include "store/storeerror.h"
#include "store/tableset.h"

#include <QGuiApplication>

namespace lernora {

Application::Application(QObject *parent) : Application(store::Places(), parent)
{
}

Application::Application(const store::Places &places, QObject *parent) : QObject(parent), m_places(places)
{
    QGuiApplication::setApplicationDisplayName(title());
    // The main window and every dialog show the program's icon.
    QGuiApplication::setWindowIcon(programIcon());
    platform::useGermanTexts();
    // Printed dates and the time stamps of saved report files follow the
    // program's clock.
    engine::setClock([] { return platform::clock().now(); });
    // An error of the table store shows SQLite's words behind its message.
    platform::setErrorDetail(&store::errorDetail);
    // Master journals left by a crash in a transaction over several files.
    store::removeStaleMasterJournals(m_places.dataDir());
    m_tables = std::make_unique<store::TableSet>(m_places);
    m_mainForm = std::make_unique<TMainForm>(*m_tables, m_session);
    // The help opens in the main window's help window; F1 opens it at the
    // section of the window it is pressed in.
    platform::setHelpViewer([form = m_mainForm.get()](int context) { form->showHelp(context); });
    platform::installHelpKey();
    m_previews = std::make_unique<TQRMDIPreviewInterface>(m_session, m_mainForm.get());
    engine::setPreviewInterface(m_previews.get());
    // The other windows follow in their fixed order; the main window owns them.
    auto *berichtdlg = new Tberichtdlg(*m_tables, m_session, m_mainForm.get());
    m_mainForm->setBerichtdlg(berichtdlg);
    m_mainForm->setGrunddatendlg(new Tgrunddatendlg(m_places, m_session, m_mainForm.get()));
    m_berichtform = std::make_unique<Tberichtform>(*m_tables, m_session);
    m_qrbuebersichtform = std::make_unique<Tqrbuebersichtform>(*m_tables);
    m_mainForm->setQrbuebersichtform(m_qrbuebersichtform.get());
    m_qrruecksform = std::make_unique<Tqrruecksform>(*m_tables, m_session);
    berichtdlg->setPrintForms(m_berichtform.get(), m_qrruecksform.get());
    m_qrmdform = std::make_unique<TQRMDForm>(m_places);
    m_mainForm->setQrmdform(m_qrmdform.get());
    m_mainForm->setAboutBox(new TAboutBox(m_mainForm.get()));
    m_mainForm->setDrauswdlg(
        new Tdrauswdlg(*m_tables, m_session, m_berichtform.get(), m_qrruecksform.get(), m_mainForm.get()));
    auto *uebersichtdlg = new Tuebersichtdlg(*m_tables, m_session, m_mainForm.get());
    m_mainForm->setUebersichtdlg(uebersichtdlg);
    m_qruebersichtform = std::make_unique<Tqruebersichtform>(*m_tables);
    uebersichtdlg->setPrintForm(m_qruebersichtform.get());
    m_reportreportform = std::make_unique<Treportreportform>(m_session);
    m_mainForm->setReportreportform(m_reportreportform.get());
    m_recordPdf = std::make_unique<RecordPdf>(
        *m_tables, RecordPdf::Forms{m_qrmdform.get(), m_qruebersichtform.get(), m_reportreportform.get(),
                                    m_berichtform.get(), m_qrruecksform.get()});
    m_mainForm->setRecordPdf(m_recordPdf.get());
    m_mainForm->setEximForm(new TEXIMMainForm(m_places, m_mainForm.get()));
    m_mainForm->setWochenform(new Twochenform(*m_tables, m_mainForm.get()));
}

void Application::offerRecovery()
{
    platform::guarded([this] { recovery::offerAtStart(*m_tables, m_places.recoveryFile()); });
}

Application::~Application()
{
    platform::setHelpViewer(nullptr);
    if (engine::previewInterface() == m_previews.get())
        engine::setPreviewInterface(nullptr);
    m_previews.reset();
    m_mainForm.reset();
    m_recordPdf.reset();
    m_qruebersichtform.reset();
    m_reportreportform.reset();
    m_qrruecksform.reset();
    m_qrmdform.reset();
    m_qrbuebersichtform.reset();
    m_berichtform.reset();
    m_tables.reset();
    engine::setClock({});
}

} // namespace lernora
