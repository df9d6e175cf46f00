#pragma once

// "Druckauswahl für Sammeldruck": every report sheet of the reports table,
// once for its front sheet and, for the first sheet of a report, once for
// its back sheet. The ticked sheets are rendered one by one into saved
// report files in "qrp", merged into "qrp/alle.qrp" (each report's front
// sheets before its back sheet) and shown in the preview.

#include "store/table.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QListWidget;
class QPushButton;
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

    // The name of a sheet's saved report file: training year, the number
    // with at least three digits, "A" (front) or "B" (back), the sheet.
    static QString sheetFileName(int year, int number, bool back, int sheet);
    // The directory of the files and the merged file, below the working
    // directory.
    static QString directory();
    static QString mergedFile();

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
    void renderSheet(bool back, const QString &fileName);
    void removeRunFiles();
    // Removes the merged file and the sheet files that earlier runs left in
    // the directory.
    static void removeLeftFiles();

    store::TableSet &m_tables;
    store::Session &m_session;
    Tberichtform *m_frontForm;
    Tqrruecksform *m_backForm;
    QListWidget *m_front = nullptr;
    QListWidget *m_back = nullptr;
    QPushButton *m_vorschaubtn = nullptr;
    // The report row (BerLfd) of each line of the two lists.
    std::vector<qint64> m_frontRows;
    std::vector<qint64> m_backRows;
    // The file names of one run, kept sorted without regard to case.
    QStringList m_druckList;
    store::Table::Bookmark m_bookmark = 0;
    bool m_hasBookmark = false;
};
