#pragma once

// The report editor: one weekly report sheet of bericht.db with its plan
// items, the back side and the pictures. It is shown in two modes, each
// opened by its entry point: for a new report, with the composition as its
// item list, and for a stored report, with the sheet's detail rows and a
// navigator over its sheets. The pages are built in reporteditorpages.cpp.

#include "domain/followup.h"
#include "domain/marks.h"
#include "recovery.h"

#include "print/formparts.h"

#include <QDate>
#include <QDialog>
#include <QPoint>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QTabWidget;
class QTextEdit;
class QTimer;

namespace store {
class Table;
class TableSet;
struct Session;
} // namespace store
namespace controls {
class DataSource;
class DBCtrlGrid;
class DBEdit;
class DBImage;
class DBMemo;
class DBNavigator;
class DBRichEdit;
class DBText;
} // namespace controls

class FormatTools;
class SampleDrag;
class Tkaldlg;
class Tbernoclosedlg;
class Tfolgedialog;
class Tberichtform;
class Tqrruecksform;

class Tberichtdlg : public QDialog
{
    Q_OBJECT
public:
    Tberichtdlg(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);
    ~Tberichtdlg() override;

    // Data sources of the design
    controls::DataSource *berichtsource() const { return m_berichtsource; }
    controls::DataSource *tempsource() const { return m_tempsource; }
    controls::DataSource *berichtdetailsource() const { return m_berichtdetailsource; }
    controls::DataSource *hintsource() const { return m_hintsource; }

    // New-report mode, for the report row just appended to bericht.db and
    // not yet stored: the composition is the item list and its items can be
    // deleted; the week is chosen before the dialog shows. The dialog runs
    // modally; afterwards, however it ended, it lists stored detail rows
    // again with the delete button off. True when it closed with OK (the
    // report row is then stored). With `week` (its Monday) the report
    // covers that week, Monday to Friday, dated on its Friday, and the
    // calendar is not shown.
    bool openNew(const QDate &week = {});
    // Existing-report mode for report `number` of training year `year`:
    // bericht.db shows only that report's sheets, the dialog opens on the
    // sheet the cursor stands on when it is one of them (else on the first)
    // with the sheet navigator, "Folgeblatt" and "Vorschau". Afterwards,
    // also when an error ends it, those are off again and bericht.db has
    // its index, range, filter and row back; an edit an error left behind
    // is cancelled. True when it closed with OK.
    bool openStored(int year, int number);
    // The same for the report of bericht.db's current row; nothing without
    // a row.
    bool openStored();

    // The item list shows the rows of `source`: the composition (new-report
    // mode) or the sheet's detail rows.
    void setItemSource(controls::DataSource *source);
    bool newReportMode() const;
    // While closed, the item list shows the composition again (the main
    // window calls it when its tab changes).
    void showCompositionItems();

    // The front and back sheet print forms its previews show (not owned).
    void setPrintForms(Tberichtform *front, Tqrruecksform *back);

    Tkaldlg &kaldlg() const { return *m_kaldlg; }
    Tbernoclosedlg &bernoclosedlg() const { return *m_bernoclosedlg; }
    Tfolgedialog &folgedialog() const { return *m_folgedialog; }
    QTabWidget *seiten() const { return m_seiten; }
    QPushButton *loeschbtn() const { return m_loeschbtn; }
    QPushButton *folgeblattbtn() const { return m_folgeblattbtn; }
    QPushButton *vorschaubtn() const { return m_vorschaubtn; }
    controls::DBNavigator *DBNavigator() const { return m_navigator; }
    controls::DBCtrlGrid *detailgrid() const { return m_detailgrid; }
    controls::DBRichEdit *taetigkeitedit() const { return m_taetigkeitedit; }
    controls::DBRichEdit *vermerkeedit() const { return m_vermerkeedit; }
    controls::DBRichEdit *hintedit() const { return m_hintedit; }
    // "vom Ausbildenden gesehen" of the sheet on screen, and what its
    // review says ("gesehen am ... von ...", "geändert nach Durchsicht am
    // ..."); off while a new report is being created.
    QCheckBox *gesehencheck() const { return m_gesehencheck; }
    QLabel *gesehenlabel() const { return m_gesehenlabel; }
    QSlider *TrackBar1() const { return m_trackBar[0]; }
    QSlider *TrackBar2() const { return m_trackBar[1]; }
    // The tool bar and pop-up menu that format the rich-text fields.
    FormatTools &formatTools() const { return *m_formatTools; }
    // The rich-text field entered last; none after another data control.
    QTextEdit *currentRichEdit() const { return m_currentRichEdit; }

    // Handlers
    void FormShow();
    void checknavigator();
    void detailgridnichtClick();
    void datumbtnClick();
    // The report covers the week from `monday` to its Friday and is dated on
    // that Friday.
    void setWeek(const QDate &monday);
    void checkspeichern();
    void loeschbtnClick();
    void vorschaubtnClick();
    void ruecksformvorschauClick();
    void folgeblattbtnClick();
    void ScrollBox1MouseWheel(int delta);
    void seitenChanging(int leaving);
    void seitenChange();
    void showPrintedSize(int picture);
    void loadScaledCopy(int picture, const QString &file, const QSize &size);
    void TrackBarChange(int picture);    // 0 or 1
    void bildladenbtnClick(int picture); // "Bild laden" of picture 1 (0) or 2 (1)
    void bild1ladenbtnClick() { bildladenbtnClick(0); }
    void bild2ladenbtnClick() { bildladenbtnClick(1); }
    void bildloeschenbtnClick(int picture);
    void SpeedButton1Click();
    // Sets or takes back the trainer's review of the sheet on screen.
    void gesehencheckClick(bool checked);
    // Before the apprentice changes the stored sheet on screen: a sheet the
    // trainer has seen asks whether to go on; going on takes the mark away
    // and records the change. False: the change is not made.
    bool mayChangeSheet();
    // Dragging sample text into the activity field.
    void hinteditMouseDown(Qt::MouseButton button);
    bool taetigkeiteditDragOver(const QPoint &pos, QObject *source);
    void taetigkeiteditDragDrop(const QPoint &pos, QObject *source);

    void done(int result) override;

    // Beside "Tätigkeiten" and "Darstellung": whether the text as typed
    // fits its sheet, measured by the sheets' own print forms. Typing
    // restarts a short timer that updates both.
    void updateFit();
    QTimer *fitTimer() const { return m_fitTimer; }
    QLabel *lblTaetigkeitenPasst() const { return m_taetigkeitenPasst; }
    QLabel *lblDarstellungPasst() const { return m_darstellungPasst; }

    // While the dialog is open with changes, the typed texts of its sheet
    // are written to the recovery file every few seconds; the timer calls
    // this. It writes only when they changed since the last write, and
    // removes the file once the sheet is stored. The file goes when the
    // dialog closes normally.
    void writeRecovery();
    QTimer *recoveryTimer() const { return m_recoveryTimer; }
    // The sheet's texts as they would be stored now.
    recovery::Sheet recoverySheet() const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Which controls a mode offers; Closed is the state between openings.
    enum class Mode { Closed, NewReport, StoredReport };
    void setMode(Mode mode);
    void buildPages();
    void buildFront(QWidget *page);
    void anchorToTheWindow(QWidget *front, QWidget *back);
    void buildBack(QWidget *page);
    void buildPictures(QWidget *page);
    void buildDetailPanel(QWidget *panel, controls::DataSource *source);
    void memoEnter(controls::DBRichEdit *edit);
    void anfeditEnter();
    bool FormClose(int result); // false keeps the dialog open
    // A stored report: what is stored now is what "Abbrechen" returns to.
    void storedOnPurpose();
    bool storedSinceOpening() const;
    // Writes back every row of the report stored since the dialog opened.
    void putBackAsOpened();
    // The activities too long for the sheet on screen, as it will be
    // without the rows marked to move: the part that fits and the part
    // that does not, when the apprentice wants it moved to the follow-up
    // sheet; none otherwise.
    std::optional<domain::Activities> activitiesToMove();
    static void showFit(QLabel *label, const forms::TextFit &fit, const QString &side);
    store::Table &report() const;
    store::Table *itemTable() const;
    void setSlider(int picture, int value);
    void showStoredPictureSize(int picture);
    void showPictureSize(int picture, qint64 bytes);
    void fitPictureArea(int picture);
    // The BerLfd of the stored sheet on screen; 0 for a new report.
    qint64 sheetOnScreen() const;
    void showReview();
    // "Abbrechen" gives the sheets changed after their review their mark back.
    void putBackReviews();

    store::TableSet &m_tables;
    store::Session &m_session;
    controls::DataSource *m_berichtsource = nullptr;
    controls::DataSource *m_tempsource = nullptr;
    controls::DataSource *m_berichtdetailsource = nullptr;
    controls::DataSource *m_hintsource = nullptr;

    Tkaldlg *m_kaldlg = nullptr;
    Tbernoclosedlg *m_bernoclosedlg = nullptr;
    Tfolgedialog *m_folgedialog = nullptr;
    QTabWidget *m_seiten = nullptr;
    QScrollArea *m_scrollBox = nullptr;
    QLabel *m_stiftName = nullptr;
    QLabel *m_bkmName = nullptr;
    controls::DBEdit *m_anfedit = nullptr;
    controls::DBEdit *m_endedit = nullptr;
    controls::DBEdit *m_datumedit = nullptr;
    controls::DBCtrlGrid *m_detailgrid = nullptr;
    controls::DBRichEdit *m_taetigkeitedit = nullptr;
    controls::DBRichEdit *m_vermerkeedit = nullptr;
    controls::DBRichEdit *m_darstellungedit = nullptr;
    controls::DBRichEdit *m_hintedit = nullptr;
    QWidget *m_hintPanel = nullptr;
    QPushButton *m_okbtn = nullptr;
    QPushButton *m_cancelbtn = nullptr;
    QPushButton *m_loeschbtn = nullptr;
    QPushButton *m_folgeblattbtn = nullptr;
    QPushButton *m_vorschaubtn = nullptr;
    controls::DBNavigator *m_navigator = nullptr;

    QScrollArea *m_pictureArea[2] = {};
    QSlider *m_trackBar[2] = {};
    QLabel *m_groesse[2] = {};
    QLabel *m_bildgroessenlabel[2] = {};
    QLabel *m_druckgroesse[2] = {}; // the size on paper, "9,2 × 6,9 cm"
    controls::DBImage *m_image[2] = {};
    Tberichtform *m_berichtform = nullptr;
    Tqrruecksform *m_qrruecksform = nullptr;
    // Print forms of their own that measure the texts as typed.
    Tberichtform *m_fitFront = nullptr;
    Tqrruecksform *m_fitBack = nullptr;
    QLabel *m_taetigkeitenPasst = nullptr;
    QLabel *m_darstellungPasst = nullptr;
    QTimer *m_fitTimer = nullptr;

    QTextEdit *m_currentRichEdit = nullptr;
    int m_page = 0;               // the page shown, for the page change
    qint64 m_rememberedSheet = 0; // bookmark of the sheet left on the front page
    bool m_sheetRemembered = false;
    bool m_newReportStored = false; // a new report was stored before closing
    SampleDrag *m_sampleDrag = nullptr;
    FormatTools *m_formatTools = nullptr;

    QCheckBox *m_gesehencheck = nullptr;
    QLabel *m_gesehenlabel = nullptr;
    bool m_storedMode = false;
    domain::Review m_review; // of the sheet on screen, as last read
    // The reviews the sheets had before a change took them away since the
    // dialog opened (or since the sheets were last stored on purpose).
    QHash<qint64, domain::Review> m_reviewsAsOpened;

    QTimer *m_recoveryTimer = nullptr;
    recovery::Sheet m_recoveryLast; // the texts as opened or as last written
    bool m_recoveryWritten = false;
};
