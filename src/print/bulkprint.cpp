#include "bulkprint.h"

#include "backsheet.h"
#include "frontsheet.h"
#include "previewwindow.h"

#include "controls/designed.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "print/engine/document.h"
#include "print/engine/pagedevice.h"
#include "print/engine/previewinterface.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QShowEvent>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <algorithm>

namespace field = store::field;

namespace {

QListWidget *checkList(QWidget *parent, const char *name, const QRect &r)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(r);
    return list;
}

void addLine(QListWidget *list, const QString &text)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
}

} // namespace

Tdrauswdlg::Tdrauswdlg(store::TableSet &tables, store::Session &session, Tberichtform *front, Tqrruecksform *back,
                       QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session), m_frontForm(front), m_backForm(back),
      m_savers(std::make_unique<QThreadPool>())
{
    m_savers->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_room.release(2 * m_savers->maxThreadCount());
    setObjectName(QStringLiteral("drauswdlg"));
    setWindowTitle(QStringLiteral("Druckauswahl für Sammeldruck"));
    platform::setHelpContext(this, platform::helpcontext::BulkPrint);
    // The ticks can change and "Vorschau" turns a second preview away while
    // the preview shows; closing the dialog closes the preview first.
    TQRMDIPreviewInterface::keepUsableBesidePreview(*this);
    // The designed controls keep their places; the layout for two-sided
    // printing, the extent of the print and the notes stand to their right.
    setFixedSize(787, 460);
    // The column heads stand close together: the narrow face of the design.
    setFont(QFont(QStringLiteral("Arial"), 8));

    // The heads of the lists lead to them with their letters.
    QLabel *frontHead = controls::designedLabel(this, "Label1", QStringLiteral("Vor&derseite"), QPoint(170, 16));
    QLabel *backHead = controls::designedLabel(this, "Label2", QStringLiteral("&Rückseite"), QPoint(336, 16));
    controls::designedLabel(this, "Label3", QStringLiteral("A.-Jahr"), QPoint(142, 32));
    controls::designedLabel(this, "Label4", QStringLiteral("Nr."), QPoint(184, 32));
    controls::designedLabel(this, "Label5", QStringLiteral("Blatt"), QPoint(210, 32));
    controls::designedLabel(this, "Label6", QStringLiteral("A.-Jahr"), QPoint(321, 32));
    controls::designedLabel(this, "Label7", QStringLiteral("Nr."), QPoint(364, 32));
    m_front = checkList(this, "CheckListBox1", QRect(128, 48, 135, 280));
    m_back = checkList(this, "CheckListBox2", QRect(304, 48, 135, 280));
    frontHead->setBuddy(m_front);
    m_front->setAccessibleName(QStringLiteral("Vorderseiten"));
    m_back->setAccessibleName(QStringLiteral("Rückseiten"));
    backHead->setBuddy(m_back);
    for (QListWidget *list : {m_front, m_back})
        list->setAccessibleDescription(QStringLiteral("Leertaste kreuzt an, Umschalt+Leertaste alles bis zur zuletzt "
                                                      "angekreuzten Zeile"));
    controls::designedLabel(this, "Label8", QStringLiteral("Alle:"), QPoint(96, 358));

    for (QListWidget *list : {m_front, m_back}) {
        // "Alle" and "Keine" on the right mouse button.
        const QString side = list == m_front ? QStringLiteral("V") : QStringLiteral("R");
        auto *menu = new QMenu(list);
        menu->setObjectName(QStringLiteral("ankreuzmenu") + side);
        QAction *all = menu->addAction(QStringLiteral("&Alle"));
        all->setObjectName(QStringLiteral("alle") + side);
        connect(all, &QAction::triggered, this, [this, list] { tick(list, 0, list->count() - 1, true); });
        QAction *none = menu->addAction(QStringLiteral("&Keine"));
        none->setObjectName(QStringLiteral("keine") + side);
        connect(none, &QAction::triggered, this, [this, list] { tick(list, 0, list->count() - 1, false); });
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
        connect(list, &QListWidget::itemChanged, this, [this] { updateExtent(); });
    }
    const auto tickButton = [this](const char *name, const QString &caption, int x, QListWidget *list, bool on) {
        QPushButton *b = controls::designedButton(this, name, caption, QRect(x, 352, 61, 25));
        b->setAutoDefault(false);
        b->setAccessibleDescription((on ? QStringLiteral("Alle %1 ankreuzen") : QStringLiteral("Keine %1 ankreuzen"))
                                        .arg(list == m_front ? QStringLiteral("Vorderseiten")
                                                             : QStringLiteral("Rückseiten")));
        connect(b, &QPushButton::clicked, this, [this, list, on] { tick(list, 0, list->count() - 1, on); });
    };
    tickButton("auswahlVbtn", QStringLiteral("&auswählen"), 128, m_front, true);
    tickButton("abwahlVbtn", QStringLiteral("ab&wählen"), 203, m_front, false);
    tickButton("auswahlRbtn", QStringLiteral("a&uswählen"), 304, m_back, true);
    tickButton("abwahlRbtn", QStringLiteral("abwäh&len"), 379, m_back, false);

    m_vorschaubtn = controls::designedButton(this, "vorschaubtn", QStringLiteral("&Vorschau"), QRect(166, 392, 75, 25));
    m_vorschaubtn->setToolTip(QStringLiteral("Drucken"));
    m_vorschaubtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_vorschaubtn->setAutoDefault(false);
    connect(m_vorschaubtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { vorschaubtnClick(); }); });
    QPushButton *close =
        controls::designedButton(this, "closebtn", QStringLiteral("S&chließen"), QRect(320, 392, 75, 25));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] {
        platform::guarded([this] { closebtnClick(); });
        reject();
    });

    m_duplex = new QCheckBox(QStringLiteral("Für &beidseitigen Druck ausrichten"), this);
    m_duplex->setObjectName(QStringLiteral("beidseitigcheck"));
    m_duplex->setGeometry(464, 46, 310, 20);
    m_duplex->setChecked(store::Settings(m_tables.places().settingsFile()).readInteger(store::settingskeys::Werte, store::settingskeys::Beidseitig, 0)
                         == 1);
    m_duplex->setToolTip(QStringLiteral("Fügt leere Seiten ein, so dass jeder Bericht auf einem neuen Blatt Papier "
                                        "beginnt und seine Rückseite auf der Rückseite seiner letzten Vorderseite "
                                        "steht."));
    connect(m_duplex, &QCheckBox::toggled, this, [this](bool on) {
        // A choice that cannot be kept is still used for this print.
        store::Settings(m_tables.places().settingsFile()).writeInteger(store::settingskeys::Werte, store::settingskeys::Beidseitig, on ? 1 : 0);
        updateExtent();
    });
    m_extent = new QLabel(this);
    m_extent->setObjectName(QStringLiteral("umfanglabel"));
    m_extent->setGeometry(464, 72, 310, 48);
    m_extent->setWordWrap(true);
    m_extent->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *notes = new QLabel(this);
    notes->setObjectName(QStringLiteral("hinweislabel"));
    notes->setGeometry(464, 132, 310, 190);
    notes->setWordWrap(true);
    notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notes->setText(QStringLiteral(
        "„ (-)“ hinter einer Rückseite: Die „Darstellung“ dieses Berichts ist leer; seine Rückseite zeigt nur "
        "ihren Kopf und die Bilder.\n\n"
        "Ankreuzen: Klick auf die Zeile oder Leertaste. Mit der Umschalttaste (Umschalt+Klick, Umschalt+Leertaste) "
        "wird alles von der zuletzt angekreuzten Zeile bis hierher gleich angekreuzt, etwa ein ganzes "
        "Ausbildungsjahr.\n"
        "Rechtsklick in eine Liste: „Alle“ oder „Keine“."));

    m_countAhead = new QTimer(this);
    m_countAhead->setInterval(0);
    connect(m_countAhead, &QTimer::timeout, this, [this] { platform::guarded([this] { countAhead(); }); });

    // Tab: each list with its buttons below it, the layout on the right,
    // then the buttons at the bottom.
    QWidget *const order[] = {m_front,
                              findChild<QPushButton *>(QStringLiteral("auswahlVbtn")),
                              findChild<QPushButton *>(QStringLiteral("abwahlVbtn")),
                              m_back,
                              findChild<QPushButton *>(QStringLiteral("auswahlRbtn")),
                              findChild<QPushButton *>(QStringLiteral("abwahlRbtn")),
                              m_duplex,
                              m_vorschaubtn,
                              close};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    QPushButton *fill = controls::designedButton(this, "fuellbtn", QStringLiteral("Füllen"), QRect(248, 400, 75, 25));
    fill->hide();
    connect(fill, &QPushButton::clicked, this, [this] { platform::guarded([this] { fuellbtnClick(); }); });
}

Tdrauswdlg::~Tdrauswdlg()
{
    // The files of the last run are not needed beyond the program's run.
    dropStock();
    removeLeftFiles();
}

QString Tdrauswdlg::directory() const
{
    return m_tables.places().printDir();
}

QString Tdrauswdlg::mergedFile() const
{
    return QDir(directory()).filePath(QStringLiteral("alle.qrp"));
}

QString Tdrauswdlg::sheetFileName(int year, int number, bool back, int sheet)
{
    return QStringLiteral("%1%2%3%4.qrp")
        .arg(year)
        .arg(number, 3, 10, QLatin1Char('0'))
        .arg(back ? QLatin1Char('B') : QLatin1Char('A'))
        .arg(sheet);
}

// --- Opening and closing ---

void Tdrauswdlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void Tdrauswdlg::FormShow()
{
    m_druckList.clear();
    fuellbtnClick();
    m_countAhead->start();
}

void Tdrauswdlg::countAhead()
{
    if (!isVisible() || m_running || m_session.previewOpen)
        return; // again on the next turn of the event loop, or at the next showing
    const QSize shown[2] = {m_backForm ? m_backForm->pictureDisplaySize(0) : QSize(),
                            m_backForm ? m_backForm->pictureDisplaySize(1) : QSize()};
    const auto restoreSizes = qScopeGuard([&] {
        for (int i = 0; m_backForm && i < 2; ++i)
            m_backForm->setPictureDisplaySize(i, shown[i]);
    });
    QElapsedTimer time;
    time.start();
    for (bool back : {false, true}) {
        for (const qint64 row : back ? m_backRows : m_frontRows) {
            // Counted and offered to the savers.
            const SheetKey key(back, row);
            if (m_handed.count(key))
                continue;
            // While the savers are busy the next turn comes a little later.
            const bool room = m_room.tryAcquire();
            m_countAhead->setInterval(room ? 0 : 10);
            if (!room)
                return;
            renderSheet(key, true);
            if (time.elapsed() > 15)
                return;
        }
    }
    m_countAhead->stop();
}

void Tdrauswdlg::fuellbtnClick()
{
    store::Table &reports = m_tables.berichttable();
    const QSignalBlocker blockFront(m_front), blockBack(m_back);
    const auto showExtent = qScopeGuard([this] { updateExtent(); });
    m_front->clear();
    m_back->clear();
    m_frontRows.clear();
    m_backRows.clear();
    m_frontKeys.clear();
    m_backKeys.clear();
    m_anchor.clear();
    // The reports may have changed since the last showing.
    dropStock();
    m_pages.clear();
    m_fileOf.clear();
    m_hasBookmark = false;
    if (!reports.isOpen())
        return;
    m_bookmark = reports.bookmark();
    m_hasBookmark = true;
    const QString gap(8, QLatin1Char(' '));
    for (bool more = !reports.isEmpty() && (reports.first(), true); more; more = reports.next()) {
        const QString year = QStringLiteral("   ") + reports.asString(field::AJahr);
        const QString number = reports.asString(field::Nummer);
        const LineKey key{reports.asInt(field::AJahr), reports.asInt(field::Nummer), reports.asInt(field::Blatt)};
        m_frontRows.push_back(reports.bookmark());
        m_frontKeys.push_back(key);
        m_fileOf[{false, reports.bookmark()}] = sheetFileName(key.year, key.number, false, key.blatt);
        addLine(m_front, year + gap + number + gap + reports.asString(field::Blatt));
        if (reports.asInt(field::Blatt) == 1) {
            const bool described = !richtext::toPlainText(reports.asString(field::Darstellung)).trimmed().isEmpty();
            m_backRows.push_back(reports.bookmark());
            m_backKeys.push_back(key);
            m_fileOf[{true, reports.bookmark()}] = sheetFileName(key.year, key.number, true, key.blatt);
            addLine(m_back, year + gap + number + (described ? QString() : QStringLiteral(" (-)")));
        }
    }
}

void Tdrauswdlg::closebtnClick()
{
    if (m_session.previewOpen)
        TQRMDIPreviewInterface::closeCurrent();
}

void Tdrauswdlg::done(int result)
{
    m_countAhead->stop();
    // However the dialog closes, its preview goes first; the sheets saved
    // for a run that did not come go too.
    platform::guarded([this] { closebtnClick(); });
    platform::guarded([this] { FormClose(); });
    dropStock();
    QDialog::done(result);
}

void Tdrauswdlg::FormClose()
{
    if (m_hasBookmark)
        m_tables.berichttable().gotoBookmark(m_bookmark);
    m_hasBookmark = false;
}

// --- The run ---

void Tdrauswdlg::vorschaubtnClick()
{
    if (m_session.previewOpen) {
        platform::messages().beep();
        TQRMDIPreviewInterface::raiseCurrent();
        return;
    }
    const QString dir = directory();
    if (!QDir().mkpath(dir)) {
        platform::messages().error(QStringLiteral("Das Verzeichnis „%1“ kann nicht angelegt werden. Bitte prüfen Sie, ob "
                                                  "Sie dort schreiben dürfen und ob Platz frei ist.")
                                       .arg(QDir::toNativeSeparators(dir)));
        return;
    }
    const QString merged = mergedFile();
    // The sheets saved while the dialog waited are kept for the run.
    m_savers->waitForDone();
    QSet<QString> stocked;
    {
        const QMutexLocker lock(&m_savedLock);
        for (const SheetKey &key : m_stocked)
            stocked.insert(m_fileOf[key]);
    }
    removeLeftFiles(stocked);
    if (QFile::exists(merged)) {
        platform::messages().error(QStringLiteral("Die Datei „%1“ kann nicht gelöscht werden; das Verzeichnis "
                                                  "„%2“ ist schreibgeschützt.")
                                       .arg(QDir::toNativeSeparators(merged), QDir::toNativeSeparators(dir)));
        return;
    }
    // Whatever ends the run, its sheet files go; a merged file that was not
    // finished goes too, so that no later run can take it for a result.
    bool merging = false;
    m_running = true;
    const auto cleanUp = qScopeGuard([&] {
        m_running = false;
        removeRunFiles();
        dropStock();
        if (merging)
            QFile::remove(merged);
        m_druckList.clear();
        m_runSheets.clear();
    });
    try {
        if (!renderSheets())
            return; // cancelled
        merging = true;
        merge(merged);
        merging = false;
    } catch (const engine::FileError &e) {
        // The sheet files are made anew by every run: a damaged one is
        // mended by the next.
        platform::messages().error(platform::saysWhatToDo(e.message())
                                       ? e.message()
                                       : e.message()
                                             + QStringLiteral(" Bitte klicken Sie noch einmal auf „Vorschau“; die "
                                                              "Blätter werden dann neu aufbereitet."));
        return;
    }
    removeRunFiles();
    if (!QFile::exists(merged))
        return; // nothing ticked
    engine::Document document = engine::Document::load(merged);
    engine::preview(document, engine::PrintKind::BulkPrint);
}

int Tdrauswdlg::sheetPages(bool back, store::Table::Bookmark row)
{
    const SheetKey key(back, row);
    if (const auto it = m_pages.find(key); it != m_pages.end())
        return it->second;
    // Saved only when a saver is free: ticking many lines at once must not
    // wait for them. The rest is saved while the dialog waits.
    return renderSheet(key, m_room.tryAcquire());
}

int Tdrauswdlg::renderSheet(const SheetKey &key, bool save)
{
    store::Table &reports = m_tables.berichttable();
    engine::Document document;
    {
        const store::ScopedView keep(reports);
        if (reports.gotoBookmark(key.second))
            document = renderedSheet(key.first);
    }
    const int pages = document.pageCount();
    m_pages[key] = pages;
    if (!save)
        return pages;
    // Offered once: a sheet that cannot be saved now is left to the run.
    m_handed.insert(key);
    if (pages > 0 && m_fileOf.count(key) && QDir().mkpath(directory()))
        saveSheet(std::move(document), key.first, key.second, QString());
    else
        m_room.release();
    return pages;
}

void Tdrauswdlg::saveSheet(engine::Document &&document, bool back, store::Table::Bookmark row, const QString &path)
{
    // The caller took the room the sheet takes until it is saved.
    const SheetKey key(back, row);
    const bool forRun = !path.isEmpty();
    const QString file = forRun ? path : QDir(directory()).filePath(m_fileOf[key]);
    m_savers->start([this, document = std::move(document), key, file, forRun]() {
        const auto release = qScopeGuard([this] { m_room.release(); });
        try {
            document.save(file, engine::Document::Durability::Temporary);
            const QMutexLocker lock(&m_savedLock);
            m_stocked.insert(key);
        } catch (const std::exception &e) {
            // A FileError says in German what went wrong.
            const QMutexLocker lock(&m_savedLock);
            if (forRun && m_failed.isEmpty())
                m_failed = QString::fromUtf8(e.what());
        }
    });
}

void Tdrauswdlg::dropStock()
{
    m_savers->waitForDone();
    const QDir dir(directory());
    const QMutexLocker lock(&m_savedLock);
    for (const SheetKey &key : m_stocked)
        if (const auto it = m_fileOf.find(key); it != m_fileOf.end())
            QFile::remove(dir.filePath(it->second));
    m_stocked.clear();
    m_handed.clear();
}

namespace {

// A sheet as the apprentice knows it: "Bericht 12, Blatt 2, Rückseite
// (Woche 12.01.2026 – 16.01.2026)", of the row `reports` stands on.
QString sheetInWords(const store::Table &reports, bool back)
{
    const QDate from = reports.value(store::field::WocheVom).toDate();
    const QDate to = reports.value(store::field::WocheBis).toDate();
    const QString format = QStringLiteral("dd.MM.yyyy");
    const QString week = from.isValid() || to.isValid()
                             ? QStringLiteral(" (Woche %1 – %2)").arg(from.toString(format), to.toString(format))
                             : QString();
    return QStringLiteral("Bericht %1, Blatt %2, %3%4")
        .arg(reports.value(store::field::Nummer).toString(), reports.value(store::field::Blatt).toString(),
             back ? QStringLiteral("Rückseite") : QStringLiteral("Vorderseite"), week);
}

} // namespace

bool Tdrauswdlg::renderSheets()
{
    store::Table &reports = m_tables.berichttable();
    std::vector<store::Table::Bookmark> rows;
    const std::vector<RunSheet> sheets = tickedSheets(&rows);
    if (sheets.empty())
        return true;

    const std::unique_ptr<QProgressDialog> progress =
        platform::progressDialog(this, "fortschritt", QStringLiteral("Sammeldruck"),
                                 QStringLiteral("Die Blätter werden aufbereitet …"), int(sheets.size()),
                                 Qt::WindowModal, 300);
    // The editor's pictures print at the sizes it shows; each report of the
    // run at its own stored zoom. The editor's sizes are put back afterwards.
    const QSize shown[2] = {m_backForm ? m_backForm->pictureDisplaySize(0) : QSize(),
                            m_backForm ? m_backForm->pictureDisplaySize(1) : QSize()};
    const auto restoreSizes = qScopeGuard([&] {
        for (int i = 0; m_backForm && i < 2; ++i)
            m_backForm->setPictureDisplaySize(i, shown[i]);
    });
    // Rendering needs the forms and the table's cursor and stays here; the
    // sheets not saved while the dialog waited are rendered and handed to
    // the savers. A document handed over is theirs alone.
    {
        const QMutexLocker lock(&m_savedLock);
        m_failed.clear();
    }
    const auto finishSaving = qScopeGuard([&] { m_savers->waitForDone(); });
    const auto saveFailure = [&] {
        const QMutexLocker lock(&m_savedLock);
        return m_failed;
    };
    const auto isStocked = [&](const SheetKey &key) {
        const QMutexLocker lock(&m_savedLock);
        return m_stocked.count(key) > 0 && m_pages.count(key) > 0;
    };
    int done = 0;
    for (size_t i = 0; i < sheets.size(); ++i) {
        RunSheet s = sheets[i];
        progress->setValue(done++);
        if (progress->wasCanceled())
            return false;
        if (const QString why = saveFailure(); !why.isEmpty())
            throw engine::FileError(why);
        if (!reports.gotoBookmark(rows[i]))
            continue; // the report is gone
        progress->setLabelText(sheetInWords(reports, s.back) + QStringLiteral(" wird aufbereitet …"));
        // Sorted without regard to case as names come in.
        m_druckList.insert(std::lower_bound(m_druckList.begin(), m_druckList.end(), s.file,
                                            [](const QString &a, const QString &b) {
                                                return a.compare(b, Qt::CaseInsensitive) < 0;
                                            }),
                           s.file);
        const SheetKey key(s.back, rows[i]);
        if (isStocked(key)) {
            s.pages = m_pages[key];
        } else {
            m_room.acquire();
            engine::Document document;
            {
                // A form prints the row the cursor stands on; it must not
                // leave the cursor elsewhere for the next sheet.
                const store::ScopedView keep(reports);
                document = renderedSheet(s.back);
            }
            s.pages = document.pageCount();
            m_pages[key] = s.pages;
            saveSheet(std::move(document), s.back, rows[i], QDir(directory()).filePath(s.file));
        }
        m_runSheets[s.file] = s;
    }
    progress->setValue(done);
    m_savers->waitForDone();
    if (const QString why = saveFailure(); !why.isEmpty())
        throw engine::FileError(why);
    return !progress->wasCanceled();
}

engine::Document Tdrauswdlg::renderedSheet(bool back)
{
    if (back ? !m_backForm : !m_frontForm)
        return engine::Document();
    store::Table &reports = m_tables.berichttable();
    if (back) {
        m_backForm->setPictureDisplaySize(
            0, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild1), reports.asInt(field::Zoom1)));
        m_backForm->setPictureDisplaySize(
            1, Tqrruecksform::storedDisplaySize(reports.asBytes(field::Bild2), reports.asInt(field::Zoom2)));
    }
    return back ? m_backForm->QuickRep().render() : m_frontForm->QuickRep1().render();
}

void Tdrauswdlg::merge(const QString &target)
{
    const QDir dir(directory());
    std::vector<RunSheet> sheets;
    for (const QString &name : m_druckList)
        if (const auto it = m_runSheets.find(name); it != m_runSheets.end())
            sheets.push_back(it->second);
    QStringList paths;
    if (!m_duplex->isChecked()) {
        for (const QString &name : m_druckList)
            paths << dir.filePath(name);
        engine::mergeReportFiles(target, &paths, engine::Document::Durability::Temporary);
        return;
    }
    // The empty page and the parts of split sheets live only for the merge.
    QTemporaryDir parts(dir.filePath(QStringLiteral("teile-XXXXXX")));
    if (!parts.isValid())
        throw engine::FileError(QStringLiteral("Im Verzeichnis „%1“ kann nichts angelegt werden.")
                                    .arg(QDir::toNativeSeparators(dir.path())));
    QString empty;
    int split = 0;
    for (const Piece &p : layout(sheets, true)) {
        if (p.sheet < 0) {
            if (empty.isEmpty()) {
                empty = parts.filePath(QStringLiteral("leer.qrp"));
                engine::Document blank;
                engine::PagePicture page;
                QPainter(&page).end();
                blank.addPage(page);
                blank.save(empty, engine::Document::Durability::Temporary);
            }
            paths << empty;
            continue;
        }
        const RunSheet &s = sheets[size_t(p.sheet)];
        const QString whole = dir.filePath(s.file);
        if (p.first == 1 && p.last == s.pages) {
            paths << whole;
        } else {
            const QString part = parts.filePath(QStringLiteral("teil%1.qrp").arg(++split));
            // A part lives only for the merge: not forced to the disk.
            engine::copyPageRange(whole, part, p.first, p.last, engine::Document::Durability::Temporary);
            paths << part;
        }
    }
    engine::mergeReportFiles(target, &paths, engine::Document::Durability::Temporary);
}

void Tdrauswdlg::removeLeftFiles(const QSet<QString> &keep) const
{
    // The merged file and the sheet files of a run that did not end; other
    // files in the directory are not the bulk print's.
    static const QRegularExpression sheetFile(QStringLiteral("^[0-9]{4,}[AB][0-9]+\\.qrp$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QDir dir(directory());
    if (!dir.exists())
        return;
    QFile::remove(mergedFile());
    for (const QString &name : dir.entryList({QStringLiteral("*.qrp")}, QDir::Files))
        if (sheetFile.match(name).hasMatch() && !keep.contains(name))
            dir.remove(name);
}

void Tdrauswdlg::removeRunFiles()
{
    const QDir dir(directory());
    for (const QString &name : m_druckList)
        QFile::remove(dir.filePath(name));
}
