#pragma once

#include "store/places.h"
#include "store/session.h"

#include <QObject>
#include <memory>

class TMainForm;
class TQRMDIPreviewInterface;
class Tberichtform;
class Tqrbuebersichtform;
class Tqrruecksform;
class TQRMDForm;
class Tqruebersichtform;
class Treportreportform;
class RecordPdf;
namespace store {
class TableSet;
}

namespace lernora {

// The running program: the table set of the data directory "daten" of its
// places (by default those of the current working directory at its
// creation), the shared session values and every window, created once in
// their fixed order. Construction throws store::StoreError
// when the table set cannot be opened; nothing is created then.
class Application : public QObject
{
    Q_OBJECT
public:
    explicit Application(QObject *parent = nullptr);
    explicit Application(const store::Places &places, QObject *parent = nullptr);
    ~Application() override;

    const store::Places &places() const { return m_places; }
    TMainForm *mainForm() const { return m_mainForm.get(); }
    store::TableSet &tables() const { return *m_tables; }
    store::Session &session() { return m_session; }
    // Every preview of the program opens through it.
    TQRMDIPreviewInterface &previews() const { return *m_previews; }
    // The print forms, created once.
    Tberichtform &berichtform() const { return *m_berichtform; }
    Tqrbuebersichtform &qrbuebersichtform() const { return *m_qrbuebersichtform; }
    Tqrruecksform &qrruecksform() const { return *m_qrruecksform; }
    TQRMDForm &qrmdform() const { return *m_qrmdform; }
    Tqruebersichtform &qruebersichtform() const { return *m_qruebersichtform; }
    Treportreportform &reportreportform() const { return *m_reportreportform; }

    static QString title() { return QStringLiteral("Lernora"); }

    // After the main window is shown: texts a crash left in the report
    // editor's recovery file are offered for restoring (see
    // recovery::offerAtStart). An error while restoring is shown and keeps
    // the file for the next start.
    void offerRecovery();

private:
    store::Places m_places;
    store::Session m_session;
    std::unique_ptr<store::TableSet> m_tables;
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TQRMDIPreviewInterface> m_previews;
    std::unique_ptr<Tberichtform> m_berichtform;
    std::unique_ptr<Tqrbuebersichtform> m_qrbuebersichtform;
    std::unique_ptr<Tqrruecksform> m_qrruecksform;
    std::unique_ptr<TQRMDForm> m_qrmdform;
    std::unique_ptr<Tqruebersichtform> m_qruebersichtform;
    std::unique_ptr<Treportreportform> m_reportreportform;
    std::unique_ptr<RecordPdf> m_recordPdf;
};

} // namespace lernora
