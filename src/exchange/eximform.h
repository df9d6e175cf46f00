#pragma once

#include "platform/volumes.h"
#include "store/places.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace exchange {
struct Failure;
}

// "Lernora    Import / Export": the data directory exported to and imported
// from a directory of any volume, and local backups below "sicherung" in
// the program directory, restored and deleted. The caller closes every
// table before and reopens them afterwards; this window only copies files.
class TEXIMMainForm : public QDialog
{
    Q_OBJECT
public:
    // places: where the program's data, backups and settings are (by
    // default those of the working directory at its creation).
    explicit TEXIMMainForm(const store::Places &places = store::Places(), QWidget *parent = nullptr);

    // Shows the window modally: the help pane, the stored volume and
    // directory, the backup list. Without a data directory the window says
    // so and does not open.
    int execute();

    // The built-in help text, shown when "importexport.rtf" cannot be read.
    static QString builtInHelp();

    QString programDir() const { return m_programDir; }
    QString dataDir() const;
    QString backupRoot() const;
    // The directory the directory list has open.
    QString directory() const { return m_directory; }
    // Opens a directory in the list, as a double click on it does.
    void openDirectory(const QString &path);

    // Handlers
    void exportbtnClick();
    void importbtnClick();
    void lsichernbtnClick();
    void lrestorebtnClick();
    void loeschbtnClick();
    void fertigbtnClick();
    void DriveComboBox1Change();
    void Info1Click();

private:
    void Formshow();
    void loadHelp();
    void fillVolumes();
    const platform::Volume *chosenVolume() const;
    void chooseVolume(const QString &key);
    void fallBackToHome(const QString &shownName);
    void fillDirectoryList();
    void makelist();
    // The copy-out step into `target`; `label` begins the final message. A
    // backup (`asBackup`) gets its name only when it is complete.
    void XexportbtnClick(const QString &target, const QString &label, qint64 freeSpace, bool asBackup = false);
    // The copy-in step from `source`.
    void XimportbtnClick(const QString &source);
    void showFailure(const exchange::Failure &failure, const QString &after = {});

    store::Places m_places;
    QString m_programDir;
    QString m_settingsPath;
    QString m_directory;
    QList<platform::Volume> m_volumes;
    bool m_noMedium = false;
    bool m_filling = false;

    QTabWidget *m_pages = nullptr;
    QComboBox *m_drives = nullptr;
    QTreeWidget *m_dirs = nullptr;
    QLabel *m_chosen = nullptr;
    QListWidget *m_backups = nullptr;
    QTextEdit *m_help = nullptr;
    QDialog *m_info = nullptr;
};
