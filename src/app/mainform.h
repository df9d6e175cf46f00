#pragma once

#include <memory>
#include <optional>

#include <QDate>
#include <QMainWindow>

class QAction;
class QActionGroup;
class QLabel;
class QStatusBar;
class QTabWidget;
class QTextBrowser;

namespace store {
class TableSet;
struct Session;
} // namespace store
namespace plan {
class CompositionTab;
}
namespace overviews {
class ReportOfReportsTab;
class ReportOverviewTab;
} // namespace overviews
class TAboutBox;
class TEXIMMainForm;
class Tberichtdlg;
class Tdrauswdlg;
class Tpruefform;
class TQRMDForm;
class Tgrunddatendlg;
class Tqrbuebersichtform;
class Treportreportform;
class Tuebersichtdlg;
class Twochenform;
class ReminderBar;
class RecordPdf;

// The main window: the menu, the bar with the training year, the three tabs
// and the status line. It opens the table set when it is created and asks
// before the program ends.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // Opens the table set; a store error (missing or damaged table file) is
    // thrown on and ends the start.
    TMainForm(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);
    ~TMainForm() override;

    store::TableSet &tables() const { return m_tables; }
    store::Session &session() const { return m_session; }

    // Shows the long part of the current hint in the status line.
    void ShowHint(const QString &hint);

    plan::CompositionTab &composition() const { return *m_composition; }
    // The tab "Berichte Übersicht".
    overviews::ReportOverviewTab &overview() const { return *m_overview; }
    // The tab "Berichte Report".
    overviews::ReportOfReportsTab &reportOfReports() const { return *m_reportOfReports; }
    // The report editor, created once at start.
    void setBerichtdlg(Tberichtdlg *dialog);
    Tberichtdlg *berichtdlg() const { return m_berichtdlg; }
    // The print of the report overview, created once at start.
    void setQrbuebersichtform(Tqrbuebersichtform *form);
    // The print of the report of reports, created once at start.
    void setReportreportform(Treportreportform *form);
    void setDrauswdlg(Tdrauswdlg *dialog);
    void setQrmdform(TQRMDForm *form) { m_qrmdform = form; }
    // The whole record as one PDF file, created once at start.
    void setRecordPdf(RecordPdf *pdf) { m_recordPdf = pdf; }
    // The basic data dialog and the about box, created once at start.
    void setGrunddatendlg(Tgrunddatendlg *dialog) { m_grunddatendlg = dialog; }
    void setAboutBox(TAboutBox *box) { m_aboutBox = box; }
    // The import/export window, created once at start.
    void setEximForm(TEXIMMainForm *form) { m_eximForm = form; }
    TEXIMMainForm *eximForm() const { return m_eximForm; }
    // The training-time overview, created once at start.
    void setUebersichtdlg(Tuebersichtdlg *dialog) { m_uebersichtdlg = dialog; }
    Tuebersichtdlg *uebersichtdlg() const { return m_uebersichtdlg; }

    // Menu handlers
    void N1Lehrjahr1Click(int year);
    void FileExit();
    void HelpContents();
    // The help window, at the section of a help context.
    void showHelp(int context);
    void HelpAboutItemClick();
    void ImportExport1Click();
    void Grunddaten1Click();
    void Ausgangszustandherstellen1Click();
    void Ausbildungsnachweis1Click();
    void bersichtdieAusbildungszeit1Click();
    void AusbildungsnachweisalsPDF1Click();
    // "Ausbildungsnachweis prüfen": the readiness check beside the main
    // window, its jumps wired to the windows they lead to.
    void Ausbildungsnachweispruefen1Click();
    Tpruefform *pruefform() const { return m_pruefform.get(); }
    // "Bericht neu erzeugen" on the composition tab.
    void erzeugbtnClick();
    // "Anzeigen" on the report overview: the current report in the editor.
    void beranzeigebtnClick();
    // The main tab changed.
    void PageControl1Change();

    // The week ledger "Wochen", the reminder of weeks without a report and
    // "Wie letzte Woche" on the composition tab.
    void setWochenform(Twochenform *form);
    Twochenform *wochenform() const { return m_wochenform; }
    ReminderBar *erinnerungsleiste() const { return m_reminder; }
    void Wochen1Click();
    void Erinnerung1Click(bool on);
    void wieletztebtnClick();
    // A report for the week that starts on `monday`, in training year
    // `year` (0: the one chosen in the program), made from the composition
    // as "Bericht neu erzeugen" makes it, with `activities` instead of the
    // items' lines when given. True when it was made.
    bool createReportForWeek(const QDate &monday, int year, const std::optional<QString> &activities = std::nullopt);
    // The report in the report editor, as "Anzeigen" opens it.
    void openReport(int year, int number);

    // Centres the window in `room` (the screen's available area), at its
    // designed size or, on a smaller screen, as large as the room allows
    // with the window's frame.
    void placeWithin(const QRect &room);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The data as they are, as a backup beside the others before a reset
    // deletes them: its name, or nullopt after saying why there is none.
    std::optional<QString> safetyBackup();
    void FormShow();
    void buildMenu();
    void buildClient();
    void showYear();
    // The report editor on a sheet (BerLfd) of any training year; the
    // report overview shows what it showed before.
    void openSheet(qint64 sheet);

    store::TableSet &m_tables;
    store::Session &m_session;

    QLabel *m_lehrjahrlabel = nullptr;
    QTabWidget *m_pageControl1 = nullptr;
    QStatusBar *m_statusLine = nullptr;
    overviews::ReportOverviewTab *m_overview = nullptr;
    overviews::ReportOfReportsTab *m_reportOfReports = nullptr;
    plan::CompositionTab *m_composition = nullptr;
    Tberichtdlg *m_berichtdlg = nullptr;
    TQRMDForm *m_qrmdform = nullptr;
    RecordPdf *m_recordPdf = nullptr;
    Tuebersichtdlg *m_uebersichtdlg = nullptr;
    QAction *m_yearItems[3] = {};
    QActionGroup *m_yearGroup = nullptr;
    QTextBrowser *m_help = nullptr;
    Tgrunddatendlg *m_grunddatendlg = nullptr;
    TAboutBox *m_aboutBox = nullptr;
    TEXIMMainForm *m_eximForm = nullptr;
    // The week ledger and the reminder of the weeks without a report, once
    // per start.
    void remindOfMissingWeeks();
    void updateReminder();
    Twochenform *m_wochenform = nullptr;
    ReminderBar *m_reminder = nullptr;
    QAction *m_erinnerung = nullptr;
    bool m_reminded = false;
    std::unique_ptr<Tpruefform> m_pruefform;
};
