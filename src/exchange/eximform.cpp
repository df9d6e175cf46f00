#include "eximform.h"

#include "controls/designed.h"
#include "controls/keyboard.h"
#include "exchange/filetransfer.h"
#include "platform/clock.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/hint.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/modalrunner.h"
#include "platform/shell.h"
#include "richtext/rtf.h"
#include "store/diskspace.h"
#include "store/settings.h"
#include "store/tablefile.h"
#include "store/settingskeys.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>

namespace keys = store::settingskeys;

namespace {

// The designed client area, below the menu bar.
constexpr int menuHeight = 21;

// The wait cursor for the time of a step, also when it ends by an error.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { release(); }
    void release()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_on = true;
};

// The progress of copying a set of files, in bytes, with "Abbrechen". The
// window is made when the first file is copied: it shows itself only when
// the step takes longer than a second, and one made earlier would cover the
// questions asked before the copying (whether to replace files), which then
// could not be answered.
class CopyProgress
{
public:
    CopyProgress(QWidget *parent, const QString &title) : m_parent(parent), m_title(title) {}
    std::function<bool(qint64, qint64, const QString &)> hook()
    {
        return [this](qint64 done, qint64 total, const QString &name) {
            if (!m_dialog) {
                m_dialog = platform::progressDialog(platform::windowOwner(m_parent), "fortschritt", m_title,
                                                    QString(), steps);
                m_dialog->setMinimumWidth(380); // the title and a long file name readable
                m_dialog->setValue(0);
            }
            const QString text = name.isEmpty() ? QStringLiteral("Die Daten werden geprüft …")
                                                : QStringLiteral("„%1“ wird kopiert …").arg(name);
            if (m_dialog->labelText() != text)
                m_dialog->setLabelText(text);
            // The last step is left for the check and the moving into place.
            const int value = total > 0 ? int(done * (steps - 1) / total) : 0;
            m_dialog->setValue(std::max(1, value));
            return !m_dialog->wasCanceled();
        };
    }
    void reset() { m_dialog.reset(); }

private:
    static constexpr int steps = 1000;
    QWidget *m_parent;
    QString m_title;
    std::unique_ptr<QProgressDialog> m_dialog;
};

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The settings file in `dir`, whatever the case of its name.
QString settingsFileIn(const QString &dir)
{
    const QString wanted = QStringLiteral("Ruririd.ini");
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return QDir(dir).filePath(name);
    return QDir(dir).filePath(wanted);
}

// `path` is `root` or lies below it.
bool isBelow(const QString &path, const QString &root)
{
    const QString p = QDir::cleanPath(path);
    const QString r = QDir::cleanPath(root);
    return p == r || p.startsWith(r.endsWith(QLatin1Char('/')) ? r : r + QLatin1Char('/'));
}

QLabel *link(QWidget *parent, const char *name, const QString &text, const QUrl &url, QPoint at)
{
    QLabel *l = controls::designedLinkLabel(parent, name, text, at);
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    l->setText(
        QStringLiteral("<a href=\"%1\" style=\"color: blue;\">%2</a>").arg(url.toString(), text.toHtmlEscaped()));
    QObject::connect(l, &QLabel::linkActivated, l, [](const QString &to) { platform::openUrl(QUrl(to)); });
    return l;
}

} // namespace

TEXIMMainForm::TEXIMMainForm(const store::Places &places, QWidget *parent)
    : QDialog(parent), m_places(places), m_programDir(places.programDir())
{
    setObjectName(QStringLiteral("EXIMMainForm"));
    setWindowTitle(QStringLiteral("Lernora    Import / Export"));
    platform::setHelpContext(this, platform::helpcontext::ImportExport);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(929, 569);

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setGeometry(0, 0, width(), menuHeight);
    // "I" is the letter of "Import".
    QAction *info = bar->addAction(QStringLiteral("I&nfo"));
    info->setObjectName(QStringLiteral("Info1"));
    connect(info, &QAction::triggered, this, &TEXIMMainForm::Info1Click);

    // A designed button with its hint; its click runs the handler inside the
    // error boundary of user actions.
    auto button = [this](QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                         const QString &hint, void (TEXIMMainForm::*handler)()) {
        QPushButton *b = controls::designedButton(parent, name, caption, geometry);
        platform::setHint(b, hint);
        connect(b, &QPushButton::clicked, this,
                [this, handler] { platform::guarded([this, handler] { (this->*handler)(); }); });
        return b;
    };

    const int top = menuHeight + 8;
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(8, top, 441, 473);
    m_pages->setAccessibleName(QStringLiteral("Datenträger"));

    // Any volume: a directory chosen on it, export and import.
    auto *anyVolume = new QWidget;
    anyVolume->setObjectName(QStringLiteral("TabSheet1"));
    QLabel *chosen = controls::designedLabel(anyVolume, "Label1", QStringLiteral("Ausgewählt:"), QPoint(10, 12));
    const int pathLeft = chosen->geometry().right() + 7;
    m_chosen = controls::designedLabel(anyVolume, "dirlabel", QString(), QPoint(pathLeft, 12));
    m_chosen->setStyleSheet(QStringLiteral("color: blue;"));
    m_chosen->setFixedWidth(425 - pathLeft);
    m_drives = new QComboBox(anyVolume);
    m_drives->setObjectName(QStringLiteral("DriveComboBox1"));
    m_drives->setGeometry(10, 36, 415, 24);
    m_drives->setAccessibleName(QStringLiteral("Laufwerk"));
    connect(m_drives, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            platform::guarded([this] { DriveComboBox1Change(); });
    });
    m_dirs = new QTreeWidget(anyVolume);
    m_dirs->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_dirs->setGeometry(10, 68, 415, 316);
    m_dirs->setHeaderHidden(true);
    m_dirs->setRootIsDecorated(false);
    m_dirs->setIndentation(14);
    m_dirs->setItemsExpandable(false);
    m_dirs->setExpandsOnDoubleClick(false);
    platform::setHint(m_dirs, QStringLiteral("Doppelklick für Auswahl"));
    m_dirs->setAccessibleName(QStringLiteral("Verzeichnisse"));
    m_dirs->setAccessibleDescription(QStringLiteral("Doppelklick oder Eingabetaste öffnet das Verzeichnis"));
    // A double click or Enter opens the directory.
    connect(m_dirs, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { openDirectory(item->data(0, Qt::UserRole).toString()); });
    controls::enterActivates(m_dirs);
    button(anyVolume, "exportbtn", QStringLiteral("&Export"), QRect(10, 396, 100, 30),
           QStringLiteral("Daten ins angegebene Verzeichnis exportieren"), &TEXIMMainForm::exportbtnClick);
    button(anyVolume, "importbtn", QStringLiteral("&Import"), QRect(122, 396, 100, 30),
           QStringLiteral("Daten aus dem angegebenen Verzeichnis importieren"), &TEXIMMainForm::importbtnClick);
    m_pages->addTab(anyVolume, QStringLiteral("Beliebiger Datenträger"));
    m_pages->setTabToolTip(0, QStringLiteral("Sichern / Wiederherstellen (Export/Import) mit beliebigem Datenträger"));

    // The local backups.
    auto *local = new QWidget;
    local->setObjectName(QStringLiteral("TabSheet2"));
    m_backups = new QListWidget(local);
    m_backups->setObjectName(QStringLiteral("dirlistbox"));
    m_backups->setGeometry(10, 12, 290, 414);
    m_backups->setAccessibleName(QStringLiteral("Lokale Sicherungen"));
    button(local, "lsichernbtn", QStringLiteral("&Sichern"), QRect(316, 12, 105, 30),
           QStringLiteral("Aud der lokalen Festplatte sichern"), &TEXIMMainForm::lsichernbtnClick);
    button(local, "lrestorebtn", QStringLiteral("&Wiederherst."), QRect(316, 52, 105, 30),
           QStringLiteral("Wiederherstellen von der lokalen Festplatte"), &TEXIMMainForm::lrestorebtnClick);
    button(local, "loeschbtn", QStringLiteral("&Löschen"), QRect(316, 92, 105, 30),
           QStringLiteral("Markierte lokale Sicherungen löschen"), &TEXIMMainForm::loeschbtnClick);
    m_pages->addTab(local, QStringLiteral("Lokale Festplatte"));
    m_pages->setTabToolTip(1, QStringLiteral("Sichern / Wiederherstellen mit lokaler Festplatte"));
    controls::addPageKeys(m_pages);

    m_help = new QTextEdit(this);
    m_help->setObjectName(QStringLiteral("hilfetext"));
    m_help->setReadOnly(true);
    m_help->setAccessibleName(QStringLiteral("Hilfe"));
    m_help->setFrameShape(QFrame::NoFrame);
    m_help->setGeometry(456, top, 465, 473);
    m_help->setHtml(builtInHelp());

    QPushButton *fertig = controls::designedButton(this, "fertigbtn", QStringLiteral("&Fertig"),
                                                   QRect((width() - 100) / 2, top + 473 + 18, 100, 30));
    fertig->setDefault(true);
    connect(fertig, &QPushButton::clicked, this, [this] { platform::guarded([this] { fertigbtnClick(); }); });
}

QString TEXIMMainForm::builtInHelp()
{
    return QStringLiteral(
        "<p><b>Import / Export und Sicherung</b></p>"
        "<p>Mit diesem Fenster bringen Sie Ihre Daten auf einen anderen PC und sichern sie auf einem "
        "externen Datenträger (USB-Stick, Speicherkarte, Netzlaufwerk) oder auf der lokalen Festplatte.</p>"
        "<p><b>Beliebiger Datenträger</b><br>"
        "Wählen Sie oben den Datenträger und öffnen Sie in der Liste darunter mit einem Doppelklick das "
        "Verzeichnis. „Export“ kopiert Ihre Daten in dieses Verzeichnis, „Import“ holt sie von dort "
        "und ersetzt Ihre Daten im Programm.</p>"
        "<p><b>Lokale Festplatte</b><br>"
        "„Sichern“ legt im Ordner „sicherung“ neben Ihrem Datenordner eine Sicherung an, die nach Datum "
        "und Uhrzeit benannt ist: 2006-12-24_14-25-33 ist die Sicherung vom 24. Dezember 2006 um "
        "14:25:33 Uhr. „Wiederherst.“ holt die Sicherung zurück, die in der Liste ausgewählt ist; "
        "die neueste steht ganz unten. „Löschen“ löscht alle Sicherungen, deren Kästchen angekreuzt "
        "sind.</p>"
        "<p>Bevor ein Import, eine Wiederherstellung oder „Ausgangszustand herstellen“ Ihre Daten ersetzt, sichert Lernora die "
        "bisherigen Daten als lokale Sicherung; mit „Wiederherst.“ können Sie jeden dieser Schritte "
        "rückgängig machen.</p>");
}

QString TEXIMMainForm::dataDir() const
{
    return m_places.dataDir();
}

QString TEXIMMainForm::backupRoot() const
{
    return m_places.backupRoot();
}

int TEXIMMainForm::execute()
{
    m_settingsPath = settingsFileIn(m_programDir);
    int result = QDialog::Rejected;
    loadHelp();
    if (!QFileInfo(dataDir()).isDir() || !QDir(dataDir()).isReadable()) {
        platform::messages().beep();
        platform::messages().error(native(dataDir())
                                   + QStringLiteral("\rDatenpfad nicht gefunden! Programm wird beendet."));
        return result;
    }
    Formshow();
    result = platform::modalRunner().run(*this);
    return result;
}

void TEXIMMainForm::loadHelp()
{
    QFile file(m_places.file(QStringLiteral("importexport.rtf")));
    QTextDocument *doc = m_help->document();
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray rtf = file.readAll();
        if (file.error() == QFileDevice::NoError && richtext::isRtf(rtf) && richtext::readRtf(*doc, rtf))
            return;
    }
    m_help->setHtml(builtInHelp());
}

void TEXIMMainForm::Formshow()
{
    m_pages->setCurrentIndex(0);
    fillVolumes();
    m_noMedium = false;
    const store::Settings ini(m_settingsPath);
    // Without a stored volume the user's home is the place to start.
    const QString stored = ini.readString(keys::Exim, keys::drive);
    if (stored.isEmpty() || !platform::findVolume(m_volumes, stored)) {
        if (stored.isEmpty() || m_volumes.isEmpty())
            chooseVolume(m_volumes.isEmpty() ? QString() : m_volumes.first().key);
        else
            fallBackToHome(stored);
    } else {
        chooseVolume(stored);
    }
    if (!m_noMedium) {
        const QString dir = ini.readString(keys::Exim, keys::directory, keys::defaultDirectory);
        const platform::Volume *volume = chosenVolume();
        if (volume && QFileInfo(dir).isDir() && isBelow(dir, volume->root))
            openDirectory(dir);
    }
    makelist();
}

void TEXIMMainForm::fillVolumes()
{
    m_filling = true;
    m_volumes = platform::volumes().writable();
    m_drives->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const platform::Volume &v : m_volumes)
        m_drives->addItem(icon, v.name, v.key);
    m_filling = false;
}

const platform::Volume *TEXIMMainForm::chosenVolume() const
{
    return platform::findVolume(m_volumes, m_drives->currentData().toString());
}

void TEXIMMainForm::chooseVolume(const QString &key)
{
    const int index = m_drives->findData(key);
    if (index < 0)
        return;
    if (index == m_drives->currentIndex())
        DriveComboBox1Change();
    else
        m_drives->setCurrentIndex(index); // runs the drive check
}

void TEXIMMainForm::fallBackToHome(const QString &shownName)
{
    platform::messages().error(QStringLiteral("Kein Datenträger in Laufwerk ") + shownName);
    m_noMedium = true;
    m_filling = true;
    m_drives->setCurrentIndex(m_volumes.isEmpty() ? -1 : 0);
    m_filling = false;
    if (const platform::Volume *home = chosenVolume())
        openDirectory(home->root);
}

void TEXIMMainForm::DriveComboBox1Change()
{
    const platform::Volume *volume = chosenVolume();
    if (!volume)
        return;
    // A volume is there when its size can be read: a pulled stick, an
    // unplugged network drive are not.
    if (platform::volumes().freeSpace(volume->root) < 0 || !QFileInfo(volume->root).isDir()) {
        const QString name = volume->name;
        fallBackToHome(name);
        return;
    }
    openDirectory(volume->root);
}

void TEXIMMainForm::openDirectory(const QString &path)
{
    m_directory = QDir::cleanPath(QDir(path).absolutePath());
    m_chosen->setText(m_chosen->fontMetrics().elidedText(native(m_directory), Qt::ElideMiddle, m_chosen->width()));
    m_chosen->setToolTip(native(m_directory));
    fillDirectoryList();
}

void TEXIMMainForm::fillDirectoryList()
{
    m_dirs->clear();
    const platform::Volume *volume = chosenVolume();
    const QString root = volume && isBelow(m_directory, volume->root) ? QDir::cleanPath(volume->root) : m_directory;
    // The way from the volume's root to the open directory, then what is in it.
    QStringList way{m_directory};
    for (QDir up(m_directory); QDir::cleanPath(up.absolutePath()) != root && up.cdUp();)
        way.prepend(QDir::cleanPath(up.absolutePath()));
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem *parent = nullptr;
    for (const QString &dir : way) {
        const QString name = QFileInfo(dir).fileName().isEmpty() ? native(dir) : QFileInfo(dir).fileName();
        auto *item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(m_dirs, {name});
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, dir);
        item->setExpanded(true);
        parent = item;
    }
    QStringList children =
        QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : children) {
        auto *item = new QTreeWidgetItem(parent, {name});
        item->setIcon(0, closed);
        item->setData(0, Qt::UserRole, QDir(m_directory).filePath(name));
    }
    m_dirs->expandAll();
    m_dirs->setCurrentItem(parent);
}

void TEXIMMainForm::makelist()
{
    m_backups->clear();
    for (const QString &name : exchange::backupList(backupRoot())) {
        auto *item = new QListWidgetItem(name, m_backups);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TEXIMMainForm::showFailure(const exchange::Failure &failure, const QString &after)
{
    platform::messages().error(after.isEmpty() ? failure.text() : failure.text() + QStringLiteral("\r\n") + after,
                               failure.detail);
}

void TEXIMMainForm::exportbtnClick()
{
    XexportbtnClick(m_directory, QStringLiteral("Export"), platform::volumes().freeSpace(m_directory));
}

void TEXIMMainForm::lsichernbtnClick()
{
    const QString path = QDir(backupRoot()).filePath(exchange::backupName(platform::clock().now()));
    // The backup is written beside its place and takes it when complete.
    if (!QDir().mkpath(backupRoot()) || !store::directoryWriteProblem(backupRoot()).isEmpty())
        platform::messages().error(QStringLiteral("Verzeichnis ") + native(path)
                                   + QStringLiteral("kann nicht erstellt werden."));
    else
        XexportbtnClick(path, QStringLiteral("Lokale Sicherung"), platform::volumes().freeSpace(backupRoot()), true);
    makelist();
}

namespace {

// What the apprentice can do when the data to bring in are refused.
const QString sourceAdvice =
    QStringLiteral("\r\nBitte wählen Sie eine andere, vollständige Sicherung, oder exportieren Sie die Daten auf dem "
                   "anderen PC noch einmal und importieren Sie dann diesen Export.");

} // namespace

void TEXIMMainForm::XexportbtnClick(const QString &target, const QString &label, qint64 freeSpace, bool asBackup)
{
    if (platform::messages().confirmOkCancel(QStringLiteral("Daten werden jetzt ins Verzeichnis \r\n") + native(target)
                                             + QStringLiteral("\r\nkopiert."))
        != platform::Answer::Ok)
        return;
    const QString data = dataDir();
    // The list names the files as they were before it was written.
    if (const auto failure = exchange::writeFileList(data, exchange::fileSet(data))) {
        showFailure(*failure, label + QStringLiteral(" fehlgeschlagen! Es wurde nichts kopiert."));
        return;
    }
    const QStringList files = exchange::fileSet(data);
    const qint64 needed = exchange::totalSize(data);
    if (needed > freeSpace) {
        platform::messages().error(
            QStringLiteral("Zuwenig Speicherplatz auf dem Zieldatenträger! ?Benötigter Platz: %1, frei: %2")
                .arg(needed)
                .arg(freeSpace));
        return;
    }
    BusyCursor busy;
    CopyProgress progress(this, asBackup ? QStringLiteral("Sichern") : QStringLiteral("Export"));
    exchange::CopyHooks hooks;
    hooks.askReplace = [&](const QString &name) {
        switch (platform::messages().confirmReplace(QStringLiteral("Die Datei „%1“ ist im Verzeichnis\r\n%2\r\nschon "
                                                                   "vorhanden. Soll sie ersetzt werden?")
                                                        .arg(name, native(target)))) {
        case platform::Answer::Yes:
            return int(exchange::ReplaceYes);
        case platform::Answer::YesToAll:
            return int(exchange::ReplaceAll);
        case platform::Answer::No:
            return int(exchange::ReplaceNo);
        default:
            return int(exchange::ReplaceCancel);
        }
    };
    hooks.progress = progress.hook();
    bool cancelled = false;
    const QFileInfo place(target);
    const auto failure =
        asBackup ? exchange::writeBackup(data, files, place.absolutePath(), place.fileName(), hooks, &cancelled)
                 : exchange::exportFiles(data, files, target, hooks, &cancelled);
    progress.reset();
    busy.release();
    if (failure)
        showFailure(*failure,
                    label
                        + (failure->leftChanged
                               ? QStringLiteral(" fehlgeschlagen! Das Zielverzeichnis ist nicht mehr wie zuvor.")
                               : QStringLiteral(" fehlgeschlagen! Im Zielverzeichnis ist alles wie zuvor.")));
    else if (!cancelled)
        platform::messages().information(label + QStringLiteral(" abgeschlossen!"));
}

void TEXIMMainForm::importbtnClick()
{
    XimportbtnClick(m_directory);
}

void TEXIMMainForm::lrestorebtnClick()
{
    QListWidgetItem *item = m_backups->currentItem();
    if (!item || !item->isSelected()) {
        platform::messages().beep();
        return;
    }
    const QString source = QDir(backupRoot()).filePath(item->text());
    if (!exchange::isRealFolder(source)) {
        platform::messages().error(QStringLiteral("„%1“ ist keine Sicherung, sondern eine Verknüpfung oder eine Datei; "
                                                  "daraus wird nichts wiederhergestellt. Bitte wählen Sie eine andere Sicherung.")
                                       .arg(item->text()));
        makelist();
        return;
    }
    XimportbtnClick(source);
}

void TEXIMMainForm::XimportbtnClick(const QString &source)
{
    if (platform::messages().confirmYesNo(
            QStringLiteral("Ihre Daten im \"Lernora\" werden jetzt gelöscht durch die Daten aus dem angegeben "
                           "Verzeichnis ersetzt! Vorgang jetzt starten?"))
        != platform::Answer::Yes)
        return;
    BusyCursor busy;
    const exchange::FileList list = exchange::readFileList(source);
    if (list.unreadable) {
        busy.release();
        platform::messages().error(QStringLiteral("Keine Importdaten vorhanden!"));
        return;
    }
    if (!list.refusal.isEmpty()) {
        busy.release();
        platform::messages().error(QStringLiteral("Die Importdaten werden nicht übernommen: ") + list.refusal
                                   + QStringLiteral("\r\nEs wurde nichts kopiert.") + sourceAdvice);
        return;
    }
    // The staging copy and the safety backup of the data as they are must
    // both fit beside the data (the safety backup takes no room when the
    // old files are moved into it, but a copy when the backups are on
    // another disk).
    qint64 needed = exchange::totalSize(dataDir());
    for (const QString &name : list.names)
        needed += QFileInfo(QDir(source).filePath(name)).size();
    if (const qint64 free = platform::volumes().freeSpace(m_programDir); free >= 0 && needed > free) {
        busy.release();
        platform::messages().error(store::diskFullText(m_programDir, needed, free)
                                   + QStringLiteral("\r\nEs wurde nichts importiert; Ihre Daten sind unverändert."));
        return;
    }
    CopyProgress progress(this, QStringLiteral("Import"));
    exchange::CopyHooks hooks;
    hooks.progress = progress.hook();
    // The data as they are now become a local backup as they are replaced,
    // so that an import can be undone.
    const exchange::ImportResult result =
        exchange::importFiles(source, list.names, dataDir(), backupRoot(), platform::clock().now(), hooks);
    progress.reset();
    busy.release();
    makelist();
    if (result.cancelled) {
        platform::messages().information(
            QStringLiteral("Import abgebrochen. Es wurde nichts importiert; Ihre Daten sind unverändert."));
        return;
    }
    if (result.failure) {
        showFailure(*result.failure,
                    !result.failure->leftChanged
                        ? QStringLiteral("Es wurde nichts importiert; Ihre Daten sind unverändert.")
                              + (platform::saysWhatToDo(result.failure->reason) ? QString() : sourceAdvice)
                    : result.safety.isEmpty()
                        ? QStringLiteral("Ihre Daten sind nicht mehr wie zuvor.")
                        : QStringLiteral("Ihre bisherigen Daten liegen auch in der lokalen Sicherung %1.").arg(result.safety));
        return;
    }
    platform::messages().information(QStringLiteral("Import abgeschlossen!\r\nIhre bisherigen Daten liegen in der "
                                                    "lokalen Sicherung %1.")
                                         .arg(result.safety));
}

void TEXIMMainForm::loeschbtnClick()
{
    if (platform::messages().confirmYesCancel(
            QStringLiteral("Die markierten Sicherungen werden jetzt gelöscht! Vorgang jetzt starten?"))
        != platform::Answer::Yes)
        return;
    BusyCursor busy;
    QStringList marked;
    for (int i = 0; i < m_backups->count(); ++i)
        if (m_backups->item(i)->checkState() == Qt::Checked)
            marked << m_backups->item(i)->text();
    if (marked.isEmpty()) {
        busy.release();
        platform::messages().error(QStringLiteral("Keine Sicherungen zum Löschen markiert."));
    } else {
        const exchange::BackupDeletion deletion = exchange::deleteBackups(backupRoot(), marked);
        busy.release();
        QStringList said;
        if (!deletion.refused.isEmpty())
            said << QStringLiteral("Diese Einträge sind keine Sicherungen des Programms und wurden nicht gelöscht:\r\n")
                        + deletion.refused.join(QStringLiteral("\r\n"));
        if (!deletion.failed.isEmpty())
            said << QStringLiteral("Diese Sicherungen konnten nicht oder nicht ganz gelöscht werden (eine Datei darin "
                                   "ist schreibgeschützt oder in Gebrauch):\r\n")
                        + deletion.failed.join(QStringLiteral("\r\n"))
                        + QStringLiteral("\r\nBitte schließen Sie Programme, die Dateien darin geöffnet haben, und "
                                         "versuchen Sie es noch einmal.");
        if (!said.isEmpty())
            platform::messages().error(said.join(QStringLiteral("\r\n\r\n")));
    }
    makelist();
}

void TEXIMMainForm::fertigbtnClick()
{
    // The drive and directory are remembered together or not at all; not
    // remembering them (a name the file cannot hold) loses nothing.
    QList<store::Settings::Value> chosen;
    if (const platform::Volume *volume = chosenVolume())
        chosen.append({keys::Exim, keys::drive, volume->key});
    chosen.append({keys::Exim, keys::directory, native(m_directory)});
    store::Settings(m_settingsPath).writeStrings(chosen);
    accept();
}

void TEXIMMainForm::Info1Click()
{
    if (!m_info) {
        m_info = new QDialog(this);
        m_info->setObjectName(QStringLiteral("EximInfo"));
        m_info->setWindowTitle(QStringLiteral("Info"));
        m_info->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                               | Qt::WindowCloseButtonHint);
        m_info->setFixedSize(300, 230);
        QLabel *title =
            controls::designedLabel(m_info, "ProductName", QStringLiteral("Zusatzmodul Import-Export"), QPoint(16, 14));
        QFont bold = title->font();
        bold.setBold(true);
        bold.setPointSize(11);
        title->setFont(bold);
        title->adjustSize();
        controls::designedLabel(m_info, "Version", QStringLiteral("Version 2.00"), QPoint(16, 44));
        controls::designedLabel(m_info, "Datum", QStringLiteral("Juni 2006"), QPoint(16, 64));
        controls::designedLabel(m_info, "Copyright", QStringLiteral("Ein Programm des Lernora-Projekts"),
                                QPoint(16, 94));
        controls::designedLabel(m_info, "Comments", QStringLiteral("Musterstraße 1 · 12345 Musterstadt"),
                                QPoint(16, 114));
        link(m_info, "Label1", QStringLiteral("lernora.example.org"),
             QUrl(QStringLiteral("https://lernora.example.org/")), QPoint(16, 140));
        link(m_info, "Label2", QStringLiteral("info@lernora.example.org"),
             QUrl(QStringLiteral("mailto:info@lernora.example.org")), QPoint(16, 160));
        QPushButton *ok = controls::designedButton(m_info, "OKButton", QStringLiteral("&OK"), QRect(112, 192, 75, 25));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, m_info, &QDialog::accept);
    }
    platform::modalRunner().run(*m_info);
}
