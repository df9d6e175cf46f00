#pragma once

// "Druckauswahl für Sammeldruck": every report sheet of the reports table,
// once for its front sheet and, for the first sheet of a report, once for
// its back sheet. The sheets are rendered one by one into saved report
// files in "qrp" (while the dialog waits for the user as far as it can,
// the rest when "Vorschau" is clicked), the ticked ones merged into
// "qrp/alle.qrp" (each report's front sheets before its back sheet) and
// shown in the preview.

#include "print/engine/document.h"
#include "store/table.h"

#include <QDialog>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QStringList>
#include <map>
#include <memory>
#include <set>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QThreadPool;
class QTimer;
class Tberichtform;
class Tqrruecksform;

namespace store {
class TableSet;
struct Session;
} // namespace store

class Tdrauswdlg : public QDialog
{
    Q_OBJECT
public:
    Tdrauswdlg(store::TableSet &tables, store::Session &session, Tberichtform *front, Tqrruecksform *back,
               QWidget *parent = nullptr);
    ~Tdrauswdlg() override;

    QListWidget *CheckListBox1() const { return m_front; }
    QListWidget *CheckListBox2() const { return m_back; }
    QPushButton *vorschaubtn() const { return m_vorschaubtn; }
    QCheckBox *beidseitigcheck() const { return m_duplex; }
    QLabel *umfanglabel() const { return m_extent; }

    // What the ticked lines take on paper: pages (the empty ones of the
    // two-sided layout included) and sheets of paper printed one-sided and
    // two-sided.
    struct Extent
    {
        int pages = 0;
        int emptyPages = 0;
        int oneSided = 0; // sheets of paper
        int twoSided = 0;
    };
    Extent extent();

    // One sheet of a run, in the order of the merged document.
    struct RunSheet
    {
        int year = 0, number = 0;
        bool back = false;
        int pages = 0;
        QString file;
    };
    // A part of the merged document: pages first to last of a sheet, or an
    // empty page (sheet -1).
    struct Piece
    {
        int sheet = -1;
        int first = 1, last = 1;
    };
    // The pieces of the merged document for the sheets in their order; laid
    // out for two-sided printing when `twoSided`.
    static std::vector<Piece> layout(const std::vector<RunSheet> &sheets, bool twoSided);

    // The name of a sheet's saved report file: training year, the number
    // with at least three digits, "A" (front) or "B" (back), the sheet.
    static QString sheetFileName(int year, int number, bool back, int sheet);
    // The directory of the files and the merged file, the print directory
    // of the program's places.
    QString directory() const;
    QString mergedFile() const;

    // Handlers
    void FormShow();
    void fuellbtnClick();
    void vorschaubtnClick();
    void closebtnClick();
    void FormClose();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Renders the ticked sheets into their files; false when the run was
    // cancelled. The names written are added to the file list in order.
    bool renderSheets();
    // The sheet of the row the report cursor stands on, as the run renders it.
    engine::Document renderedSheet(bool back);
    // The ticked lines as sheets of a run, in the order of the merged
    // document; their files named, their pages not yet known.
    std::vector<RunSheet> tickedSheets(std::vector<store::Table::Bookmark> *rows = nullptr) const;
    // The pages of a line's sheet, rendered once while the dialog shows.
    int sheetPages(bool back, store::Table::Bookmark row);
    using SheetKey = std::pair<bool, store::Table::Bookmark>;
    // Renders a line's sheet and counts its pages; with `save` (the caller
    // took a saver's room) the sheet is handed to the savers for the stock.
    int renderSheet(const SheetKey &key, bool save);
    // Hands a rendered sheet to the savers: to `path`, or to its line's file
    // for the stock when `path` is empty. A failure is kept in m_failed
    // for a run's sheet and forgotten for the stock's.
    void saveSheet(engine::Document &&document, bool back, store::Table::Bookmark row, const QString &path);
    // Waits for the savers, removes the stock's files and forgets them.
    void dropStock();
    // The merged file from the rendered sheets, with the empty pages and
    // split sheets of the two-sided layout.
    void merge(const QString &target);
    void updateExtent();
    // Counts the pages of a few more lines while the dialog waits for the
    // user, so that ticking many lines at once finds them counted.
    void countAhead();
    void tick(QListWidget *list, int from, int to, bool on);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void removeRunFiles();
    // Removes the merged file and the sheet files that earlier runs left in
    // the directory, but those named in `keep`.
    void removeLeftFiles(const QSet<QString> &keep = {}) const;

    store::TableSet &m_tables;
    store::Session &m_session;
    Tberichtform *m_frontForm;
    Tqrruecksform *m_backForm;
    QListWidget *m_front = nullptr;
    QListWidget *m_back = nullptr;
    QPushButton *m_vorschaubtn = nullptr;
    QCheckBox *m_duplex = nullptr;
    QLabel *m_extent = nullptr;
    // Per list: the line a plain click or Space ticked last, where a range
    // with Shift starts.
    std::map<const QListWidget *, int> m_anchor;
    // Pages of the sheets rendered for counting: (back, row) -> pages.
    std::map<SheetKey, int> m_pages;
    // The file name of each line's sheet.
    std::map<SheetKey, QString> m_fileOf;
    // The sheets counted are saved on worker threads into their files in
    // "qrp" while the dialog waits for the user, so that a run finds most
    // of them saved. A few wait at most, so that a year's pictures are not
    // all held at once; a sheet that could not be saved is rendered again
    // by the run.
    std::unique_ptr<QThreadPool> m_savers;
    QSemaphore m_room;
    QMutex m_savedLock; // guards the two below
    std::set<SheetKey> m_stocked; // saved into their files
    std::set<SheetKey> m_handed; // offered to the savers for the stock (this thread's)
    QString m_failed; // why a sheet of the run could not be saved
    // The sheets of the run being rendered, by file name.
    std::map<QString, RunSheet, std::less<>> m_runSheets;
    // The report row (BerLfd) of each line of the two lists.
    std::vector<qint64> m_frontRows;
    std::vector<qint64> m_backRows;
    // What names the sheet of each line: training year, number, sheet.
    struct LineKey
    {
        int year, number, blatt;
    };
    std::vector<LineKey> m_frontKeys;
    std::vector<LineKey> m_backKeys;
    // The file names of one run, kept sorted without regard to case.
    QStringList m_druckList;
    store::Table::Bookmark m_bookmark = 0;
    bool m_hasBookmark = false;
    QTimer *m_countAhead = nullptr;
    bool m_running = false; // a run renders its sheets
};
