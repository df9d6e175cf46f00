#include "bulkprint.h"

#include "backsheet.h"
#include "frontsheet.h"
#include "previewwindow.h"

#include "controls/designed.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "print/engine/document.h"
#include "print/engine/previewinterface.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QShowEvent>
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

void tickAll(QListWidget *list, bool on)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void addLine(QListWidget *list, const QString &text)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
}

// The size at which the report editor shows a stored picture at its stored
// zoom, which the editor's slider keeps within 5 to 100 per cent. Nothing
// for an empty or unreadable picture.
QSize shownSize(const QByteArray &picture, int zoom)
{
    QSize size;
    if (!picture.isEmpty()) {
        QBuffer buffer;
        buffer.setData(picture);
        buffer.open(QIODevice::ReadOnly);
        size = QImageReader(&buffer).size();
    }
    const QSize shown = Tqrruecksform::displaySize(size, std::clamp(zoom, 5, 100));
    return shown.isValid() && shown.height() > 0 ? shown : QSize(1, 1);
}

} // namespace

Tdrauswdlg::Tdrauswdlg(store::TableSet &tables, store::Session &session, Tberichtform *front, Tqrruecksform *back,
                       QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session), m_frontForm(front), m_backForm(back)
{
    setObjectName(QStringLiteral("drauswdlg"));
    setWindowTitle(QStringLiteral("Druckauswahl für Sammeldruck"));
    // The ticks can change and "Vorschau" turns a second preview away while
    // the preview shows; closing the dialog closes the preview first.
    TQRMDIPreviewInterface::keepUsableBesidePreview(*this);
    setFixedSize(587, 460);
    // The column heads stand close together: the narrow face of the design.
    setFont(QFont(QStringLiteral("Arial"), 8));

    controls::designedLabel(this, "Label1", QStringLiteral("Vorderseite"), QPoint(170, 16));
    controls::designedLabel(this, "Label2", QStringLiteral("Rückseite"), QPoint(336, 16));
    controls::designedLabel(this, "Label3", QStringLiteral("A.-Jahr"), QPoint(142, 32));
    controls::designedLabel(this, "Label4", QStringLiteral("Nr."), QPoint(184, 32));
    controls::designedLabel(this, "Label5", QStringLiteral("Blatt"), QPoint(210, 32));
    controls::designedLabel(this, "Label6", QStringLiteral("A.-Jahr"), QPoint(321, 32));
    controls::designedLabel(this, "Label7", QStringLiteral("Nr."), QPoint(364, 32));
    m_front = checkList(this, "CheckListBox1", QRect(128, 48, 135, 280));
    m_back = checkList(this, "CheckListBox2", QRect(304, 48, 135, 280));
    controls::designedLabel(this, "Label8", QStringLiteral("Alle:"), QPoint(96, 358));

    const auto tickButton = [this](const char *name, const QString &caption, int x, QListWidget *list, bool on) {
        QPushButton *b = controls::designedButton(this, name, caption, QRect(x, 352, 61, 25));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [list, on] { tickAll(list, on); });
    };
    tickButton("auswahlVbtn", QStringLiteral("auswählen"), 128, m_front, true);
    tickButton("abwahlVbtn", QStringLiteral("abwählen"), 203, m_front, false);
    tickButton("auswahlRbtn", QStringLiteral("auswählen"), 304, m_back, true);
    tickButton("abwahlRbtn", QStringLiteral("abwählen"), 379, m_back, false);

    m_vorschaubtn = controls::designedButton(this, "vorschaubtn", QStringLiteral("Vorschau"), QRect(166, 392, 75, 25));
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
    QPushButton *fill = controls::designedButton(this, "fuellbtn", QStringLiteral("Füllen"), QRect(248, 400, 75, 25));
    fill->hide();
    connect(fill, &QPushButton::clicked, this, [this] { platform::guarded([this] { fuellbtnClick(); }); });
}

Tdrauswdlg::~Tdrauswdlg()
{
    // The files of the last run are not needed beyond the program's run.
    removeLeftFiles();
}

QString Tdrauswdlg::directory()
{
    return QDir::current().filePath(QStringLiteral("qrp"));
}

QString Tdrauswdlg::mergedFile()
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
}

void Tdrauswdlg::fuellbtnClick()
{
    store::Table &reports = m_tables.berichttable();
    m_front->clear();
    m_back->clear();
    m_frontRows.clear();
    m_backRows.clear();
    m_hasBookmark = false;
    if (!reports.isOpen())
        return;
    m_bookmark = reports.bookmark();
    m_hasBookmark = true;
    const QString gap(8, QLatin1Char(' '));
    for (bool more = !reports.isEmpty() && (reports.first(), true); more; more = reports.next()) {
        const QString year = QStringLiteral("   ") + reports.asString(field::AJahr);
        const QString number = reports.asString(field::Nummer);
        m_frontRows.push_back(reports.bookmark());
        addLine(m_front, year + gap + number + gap + reports.asString(field::Blatt));
        if (reports.asInt(field::Blatt) == 1) {
            const bool described = !richtext::toPlainText(reports.asString(field::Darstellung)).trimmed().isEmpty();
            m_backRows.push_back(reports.bookmark());
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
    // However the dialog closes, its preview goes first.
    platform::guarded([this] { closebtnClick(); });
    platform::guarded([this] { FormClose(); });
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
        platform::messages().error(QStringLiteral("Das Verzeichnis „%1“ kann nicht angelegt werden.")
                                       .arg(QDir::toNativeSeparators(dir)));
        return;
    }
    const QString merged = mergedFile();
    removeLeftFiles();
    if (QFile::exists(merged)) {
        platform::messages().error(QStringLiteral("Die Datei „%1“ kann nicht gelöscht werden; das Verzeichnis "
                                                  "„%2“ ist schreibgeschützt.")
                                       .arg(QDir::toNativeSeparators(merged), QDir::toNativeSeparators(dir)));
        return;
    }
    // Whatever ends the run, its sheet files go; a merged file that was not
    // finished goes too, so that no later run can take it for a result.
    bool merging = false;
    const auto cleanUp = qScopeGuard([&] {
        removeRunFiles();
        if (merging)
            QFile::remove(merged);
        m_druckList.clear();
    });
    try {
        if (!renderSheets())
            return; // cancelled
        QStringList paths;
        for (const QString &name : m_druckList)
            paths << QDir(dir).filePath(name);
        merging = true;
        engine::mergeReportFiles(merged, &paths, engine::Document::Durability::Temporary);
        merging = false;
    } catch (const engine::FileError &e) {
        platform::messages().error(e.message());
        return;
    }
    removeRunFiles();
    m_session.druckart = store::PrintKind::BulkPrint;
    if (!QFile::exists(merged))
        return; // nothing ticked
    engine::Document document = engine::Document::load(merged);
    engine::preview(document);
}

bool Tdrauswdlg::renderSheets()
{
    store::Table &reports = m_tables.berichttable();
    struct Sheet
    {
        bool back;
        store::Table::Bookmark row;
    };
    std::vector<Sheet> sheets;
    for (int i = 0; i < m_front->count(); ++i)
        if (m_front->item(i)->checkState() == Qt::Checked)
            sheets.push_back({false, m_frontRows[size_t(i)]});
    for (int i = 0; i < m_back->count(); ++i)
        if (m_back->item(i)->checkState() == Qt::Checked)
            sheets.push_back({true, m_backRows[size_t(i)]});
    if (sheets.empty())
        return true;

    QProgressDialog progress(QStringLiteral("Die Blätter werden aufbereitet …"), QStringLiteral("Abbrechen"), 0,
                             int(sheets.size()), this);
    progress.setObjectName(QStringLiteral("fortschritt"));
    progress.setWindowTitle(QStringLiteral("Sammeldruck"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // The editor's pictures print at the sizes it shows; each report of the
    // run at its own stored zoom. The editor's sizes are put back afterwards.
    const QSize shown[2] = {m_backForm ? m_backForm->pictureDisplaySize(0) : QSize(),
                            m_backForm ? m_backForm->pictureDisplaySize(1) : QSize()};
    const auto restoreSizes = qScopeGuard([&] {
        for (int i = 0; m_backForm && i < 2; ++i)
            m_backForm->setPictureDisplaySize(i, shown[i]);
    });
    int done = 0;
    for (const Sheet &s : sheets) {
        progress.setValue(done++);
        if (progress.wasCanceled())
            return false;
        if (!reports.gotoBookmark(s.row))
            continue; // the report is gone
        const QString name = sheetFileName(reports.asInt(field::AJahr), reports.asInt(field::Nummer), s.back,
                                           reports.asInt(field::Blatt));
        progress.setLabelText(QStringLiteral("Blatt %1 wird aufbereitet …").arg(QFileInfo(name).completeBaseName()));
        // Sorted without regard to case as names come in.
        m_druckList.insert(std::lower_bound(m_druckList.begin(), m_druckList.end(), name,
                                            [](const QString &a, const QString &b) {
                                                return a.compare(b, Qt::CaseInsensitive) < 0;
                                            }),
                           name);
        renderSheet(s.back, QDir(directory()).filePath(name));
    }
    progress.setValue(done);
    return !progress.wasCanceled();
}

void Tdrauswdlg::renderSheet(bool back, const QString &fileName)
{
    if (back ? !m_backForm : !m_frontForm)
        return;
    store::Table &reports = m_tables.berichttable();
    if (back) {
        m_backForm->setPictureDisplaySize(0, shownSize(reports.asBytes(field::Bild1), reports.asInt(field::Zoom1)));
        m_backForm->setPictureDisplaySize(1, shownSize(reports.asBytes(field::Bild2), reports.asInt(field::Zoom2)));
    }
    engine::Document document;
    {
        // A form prints the row the cursor stands on; it must not leave the
        // cursor elsewhere for the next sheet.
        const store::ScopedView keep(reports);
        document = back ? m_backForm->QuickRep().render() : m_frontForm->QuickRep1().render();
    }
    document.save(fileName, engine::Document::Durability::Temporary);
}

void Tdrauswdlg::removeLeftFiles()
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
        if (sheetFile.match(name).hasMatch())
            dir.remove(name);
}

void Tdrauswdlg::removeRunFiles()
{
    const QDir dir(directory());
    for (const QString &name : m_druckList)
        QFile::remove(dir.filePath(name));
}
