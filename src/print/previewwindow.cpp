#include "previewwindow.h"

#include "controls/designed.h"
#include "print/engine/document.h"
#include "print/engine/previewview.h"
#include "print/engine/report.h"
#include "platform/filedialog.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/hint.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/modalrunner.h"
#include "platform/printers.h"
#include "printerchoice.h"
#include "store/session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <limits>

// The zoom field: a number of at most three digits that may be typed beyond
// its range 20 … 800 (the zoom follows every keystroke); the spin buttons
// and the program only set values within the range, and leaving the field
// brings a typed value to the nearer bound.
class ZoomSpinEdit : public QSpinBox
{
public:
    explicit ZoomSpinEdit(QWidget *parent) : QSpinBox(parent)
    {
        setRange(0, 999);
        setSingleStep(20);
        lineEdit()->setMaxLength(3);
        setAccelerated(false);
    }

    static int bounded(int value)
    {
        return qBound(Tbwprformd5::minFieldZoom, value, Tbwprformd5::maxFieldZoom);
    }

    // Sets the field as the program does; returns false when the text did
    // not change (so no change was signalled).
    bool setField(int value)
    {
        const QString before = text();
        setValue(bounded(value));
        return text() != before;
    }

    void stepBy(int steps) override { setField(value() + steps * singleStep()); }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = StepNone;
        if (value() < Tbwprformd5::maxFieldZoom)
            enabled |= StepUpEnabled;
        if (value() > Tbwprformd5::minFieldZoom)
            enabled |= StepDownEnabled;
        return enabled;
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        const bool empty = cleanText().trimmed().isEmpty();
        QSpinBox::focusOutEvent(event);
        const int wanted = empty ? Tbwprformd5::minFieldZoom : bounded(value());
        if (wanted != value() || text() != QString::number(wanted))
            setValue(wanted);
    }
};

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                    const QString &hint = {})
{
    QPushButton *b = controls::designedButton(parent, name, caption, geometry);
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        platform::setHint(b, hint);
    return b;
}

// A button showing an arrow; the arrows are characters of the text font.
QPushButton *glyphButton(QWidget *parent, const char *name, QChar arrow, const QRect &geometry, const QString &hint)
{
    QPushButton *b = button(parent, name, QString(arrow), geometry, hint);
    QFont f = b->font();
    f.setPointSize(12);
    b->setFont(f);
    return b;
}

// The files of one bulk print job; deleted when it ends, the last first.
class SpoolFiles
{
public:
    SpoolFiles()
    {
        for (QString &name : m_names)
            name = platform::newSpoolFile();
    }
    ~SpoolFiles()
    {
        for (int i = 2; i >= 0; --i)
            if (!m_names[i].isEmpty())
                QFile::remove(m_names[i]);
    }
    SpoolFiles(const SpoolFiles &) = delete;
    SpoolFiles &operator=(const SpoolFiles &) = delete;
    const QString &operator[](int i) const { return m_names[i]; }

private:
    QString m_names[3];
};

QPointer<Tbwprformd5> g_current;

// Marks a dialog that stays usable beside its preview.
constexpr char usableBesidePreview[] = "lernoraUsableBesidePreview";

} // namespace

Tbwprformd5::Tbwprformd5(engine::Document *document, engine::Report *report, engine::PrintKind kind,
                         store::Session &session, QWidget *parent)
    // No system menu and no close box: the window closes by its button or Esc.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_document(document), m_report(report), m_printKind(kind), m_session(session)
{
    setObjectName(QStringLiteral("bwprformd5"));
    platform::setHelpContext(this, platform::helpcontext::Preview);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setAttribute(Qt::WA_DeleteOnClose);
    m_session.previewOpen = false;
    m_printerName = platform::printers().defaultName();

    const QString title = document ? document->title() : QString();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Druckvorschau") : title);

    buildControls();
    m_view->setDocument(document);

    resize(680, 600);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowState(windowState() | Qt::WindowMaximized);
}

Tbwprformd5::~Tbwprformd5() = default;

void Tbwprformd5::buildControls()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameShape(QFrame::Panel);
    panel1->setFrameShadow(QFrame::Raised);
    panel1->setFixedHeight(41);
    auto *row = new QHBoxLayout(panel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The tools on the left; controls at their designed places.
    auto *tools = new QWidget(panel1);
    tools->setObjectName(QStringLiteral("Panel3"));
    tools->setMinimumWidth(480);
    QLabel *zoomLabel = controls::designedLabel(tools, "Label1", QStringLiteral("&Zoom:"), QPoint(13, 12));
    m_spinEdit1 = new ZoomSpinEdit(tools);
    m_spinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    m_spinEdit1->setGeometry(56, 8, 49, 22);
    zoomLabel->setBuddy(m_spinEdit1);
    QPushButton *bitBtn4 = button(tools, "BitBtn4", QStringLiteral("&100%"), QRect(117, 7, 31, 25),
                                  QStringLiteral("Originalgröße"));
    QPushButton *bitBtn2 =
        glyphButton(tools, "BitBtn2", QChar(0x2194), QRect(152, 7, 25, 25), QStringLiteral("volle Breite"));
    QPushButton *zoomtofit =
        glyphButton(tools, "zoomtofit", QChar(0x2195), QRect(185, 7, 25, 25), QStringLiteral("volle Höhe"));
    QPushButton *bitBtn1 =
        glyphButton(tools, "BitBtn1", QChar(0x2190), QRect(251, 7, 25, 25), QStringLiteral("Seite zurück"));
    QPushButton *bitBtn5 =
        glyphButton(tools, "BitBtn5", QChar(0x2192), QRect(283, 7, 25, 25), QStringLiteral("Seite vor"));
    m_aktseite = controls::designedLabel(tools, "aktseite", QString(), QPoint(320, 14));
    m_anzseiten = controls::designedLabel(tools, "anzseiten", QString(), QPoint(377, 14));
    QPushButton *pdfbtn = button(tools, "pdfbtn", QStringLiteral("&PDF"), QRect(425, 7, 45, 25),
                                 QStringLiteral("Als PDF-Datei speichern"));
    // The page to go to: a number typed and confirmed with Enter.
    controls::designedLabel(tools, "seitenfeldlabel", QStringLiteral("&Gehe zu:"), QPoint(482, 12));
    m_seitenfeld = new QSpinBox(tools);
    m_seitenfeld->setObjectName(QStringLiteral("seitenfeld"));
    m_seitenfeld->setGeometry(530, 8, 49, 22);
    m_seitenfeld->setRange(1, 1);
    m_seitenfeld->setKeyboardTracking(false);
    m_seitenfeld->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_seitenfeld->setAccessibleName(QStringLiteral("Gehe zu Seite"));
    platform::setHint(m_seitenfeld, QStringLiteral("Seitenzahl eingeben und mit der Eingabetaste bestätigen"));
    tools->findChild<QLabel *>(QStringLiteral("seitenfeldlabel"))->setBuddy(m_seitenfeld);
    tools->setMinimumWidth(590);
    m_spinEdit1->setAccessibleName(QStringLiteral("Zoom in Prozent"));
    // Where a button grew for the platform's font, the ones right of it
    // move along.
    int nextLeft = 0;
    for (QWidget *w : {static_cast<QWidget *>(m_spinEdit1), static_cast<QWidget *>(bitBtn4),
                       static_cast<QWidget *>(bitBtn2), static_cast<QWidget *>(zoomtofit),
                       static_cast<QWidget *>(bitBtn1), static_cast<QWidget *>(bitBtn5)}) {
        if (w->x() < nextLeft)
            w->move(nextLeft, w->y());
        nextLeft = w->x() + w->width() + 4;
    }
    row->addWidget(tools, 1);

    // Print and close on the right.
    auto *right = new QWidget(panel1);
    right->setObjectName(QStringLiteral("Panel2"));
    right->setFixedWidth(180);
    QPushButton *druckbtn = button(right, "druckbtn", QStringLiteral("&Drucken"), QRect(14, 8, 75, 25));
    m_okbtn = button(right, "okbtn", QStringLiteral("S&chließen"), QRect(94, 8, 75, 25));
    row->addWidget(right);
    column->addWidget(panel1);

    m_view = new engine::PreviewView(this);
    column->addWidget(m_view, 1);
    m_view->viewport()->installEventFilter(this);
    for (QPushButton *b : {bitBtn2, zoomtofit, bitBtn1, bitBtn5})
        b->setAccessibleName(b->toolTip().isEmpty() ? b->objectName() : b->toolTip());

    auto on = [this](QPushButton *b, void (Tbwprformd5::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { platform::guarded([this, handler] { (this->*handler)(); }); });
    };
    on(bitBtn4, &Tbwprformd5::BitBtn4Click);
    on(bitBtn2, &Tbwprformd5::zoomtowidthclick);
    on(zoomtofit, &Tbwprformd5::zoomtofitClick);
    on(bitBtn1, &Tbwprformd5::BitBtn1Click);
    on(bitBtn5, &Tbwprformd5::BitBtn5Click);
    on(pdfbtn, &Tbwprformd5::pdfbtnClick);
    on(druckbtn, &Tbwprformd5::druckbtnClick);
    // Ctrl+P prints as the button does.
    auto *print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(print, &QShortcut::activated, druckbtn, &QPushButton::click);
    connect(m_okbtn, &QPushButton::clicked, this, &QWidget::close);
    connect(m_spinEdit1, &QSpinBox::textChanged, this, [this] { SpinEdit1Change(); });
    connect(m_seitenfeld, &QSpinBox::valueChanged, this, [this] { platform::guarded([this] { seitenfeldChange(); }); });
    connect(m_view, &engine::PreviewView::pageAvailable, this, &Tbwprformd5::QRPreview1PageAvailable);
}

void Tbwprformd5::documentChanged()
{
    m_view->documentChanged();
    m_anzseiten->setText(QStringLiteral("%1 ").arg(m_view->pageCount()));
    m_anzseiten->adjustSize();
    zeigenummer();
}

void Tbwprformd5::releaseDocument()
{
    m_document = nullptr;
    m_report = nullptr;
    m_view->setDocument(nullptr);
}

void Tbwprformd5::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void Tbwprformd5::FormShow()
{
    m_session.previewOpen = true;
    zeigenummer();
    m_anzseiten->setText(QStringLiteral("%1 ").arg(m_view->pageCount()));
    m_anzseiten->adjustSize();
    setZoomField(m_view->zoom());
    m_okbtn->setFocus();
}

void Tbwprformd5::done(int result)
{
    if (!m_closed)
        FormClose();
    QDialog::done(result);
}

void Tbwprformd5::FormClose()
{
    m_closed = true;
    m_session.previewOpen = false;
    emit closed();
}

void Tbwprformd5::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(event);
        return;
    }
    if (pagingKey(event))
        return;
    // Enter confirms the page field; it presses no button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Tbwprformd5::pagingKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_PageDown:
        BitBtn5Click();
        break;
    case Qt::Key_PageUp:
        BitBtn1Click();
        break;
    case Qt::Key_Home:
        showPage(1);
        break;
    case Qt::Key_End:
        showPage(m_view->pageCount());
        break;
    case Qt::Key_Plus:
        setZoomField(m_view->zoom() + zoomStep);
        break;
    case Qt::Key_Minus:
        setZoomField(m_view->zoom() - zoomStep);
        break;
    default:
        return false;
    }
    event->accept();
    return true;
}

void Tbwprformd5::showPage(int number)
{
    m_view->setPageNumber(number);
    zeigenummer();
}

void Tbwprformd5::seitenfeldChange()
{
    showPage(m_seitenfeld->value());
}

void Tbwprformd5::setPageFieldCount(int count)
{
    const QSignalBlocker quiet(m_seitenfeld);
    m_seitenfeld->setRange(1, std::max(1, count));
}

void Tbwprformd5::FormKeyPress(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
}

void Tbwprformd5::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        wheelZoom(event->angleDelta().y());
        event->accept();
        return;
    }
    FormMouseWheel(event->angleDelta().y());
    event->ignore();
}

void Tbwprformd5::wheelZoom(int delta)
{
    // Each notch (120) one zoom step, towards the user smaller.
    m_wheelZoom += delta;
    const int steps = m_wheelZoom / 120;
    m_wheelZoom -= steps * 120;
    if (steps != 0)
        setZoomField(m_view->zoom() + steps * zoomStep);
}

bool Tbwprformd5::eventFilter(QObject *watched, QEvent *event)
{
    // Over the page the window's rule replaces the view's own scrolling.
    if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier)
            wheelZoom(wheel->angleDelta().y());
        else
            FormMouseWheel(wheel->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tbwprformd5::FormMouseWheel(int delta)
{
    // One notch (120) moves 12 pixels; the division truncates toward zero.
    const int before = m_view->scrollY();
    m_view->setScrollY(before - delta / 10);
    if (delta == 0 || m_view->scrollY() != before)
        return;
    // At the end of a page the wheel goes on to the next page, at its top,
    // or back to the end of the page before.
    const int page = m_view->pageNumber();
    if (delta < 0 && page < m_view->pageCount()) {
        showPage(page + 1);
    } else if (delta > 0 && page > 1) {
        showPage(page - 1);
        m_view->setScrollY(std::numeric_limits<int>::max() / 2);
    }
}

void Tbwprformd5::zeigenummer()
{
    m_aktseite->setText(QStringLiteral("Seite %1 von ").arg(m_view->pageNumber()));
    setPageFieldCount(m_view->pageCount());
    {
        const QSignalBlocker quiet(m_seitenfeld);
        m_seitenfeld->setValue(m_view->pageNumber());
    }
    m_seitenfeld->setAccessibleDescription(
        QStringLiteral("Seite %1 von %2").arg(m_view->pageNumber()).arg(m_view->pageCount()));
    m_aktseite->adjustSize();
    // The count stands right of the label, also where the platform's font
    // is wider than the design's.
    m_anzseiten->move(std::max(377, m_aktseite->x() + m_aktseite->width()), m_anzseiten->y());
}

void Tbwprformd5::QRPreview1PageAvailable(int pageNumber)
{
    m_anzseiten->setText(QStringLiteral("%1 ").arg(pageNumber));
    m_anzseiten->adjustSize();
    setPageFieldCount(pageNumber);
}

void Tbwprformd5::SpinEdit1Change()
{
    bool number = false;
    int value = m_spinEdit1->text().toInt(&number);
    if (!number)
        value = minFieldZoom;
    m_view->setZoom(value);
}

void Tbwprformd5::setZoomField(int value)
{
    // The zoom follows the field also when the field already showed the
    // value (no change is signalled then).
    if (!m_spinEdit1->setField(value))
        SpinEdit1Change();
}

void Tbwprformd5::BitBtn4Click()
{
    setZoomField(100);
}

void Tbwprformd5::zoomtowidthclick()
{
    m_view->zoomToWidth();
    setZoomField(m_view->zoom());
}

void Tbwprformd5::zoomtofitClick()
{
    m_view->zoomToFit();
    setZoomField(m_view->zoom());
}

void Tbwprformd5::BitBtn1Click()
{
    m_view->setPageNumber(m_view->pageNumber() - 1);
    zeigenummer();
}

void Tbwprformd5::BitBtn5Click()
{
    m_view->setPageNumber(m_view->pageNumber() + 1);
    zeigenummer();
}

void Tbwprformd5::druckbtnClick()
{
    using engine::PrintKind;
    switch (m_printKind) {
    case PrintKind::FrontSheet:
    case PrintKind::BackSheet:
    case PrintKind::TrainingTime:
    case PrintKind::ReportOfReports:
    case PrintKind::TrainingRecord:
    case PrintKind::ReportList:
    case PrintKind::RecordCheck:
        printReport();
        break;
    case PrintKind::BulkPrint:
        btnPrintClick();
        break;
    case PrintKind::None:
        break;
    }
}

void Tbwprformd5::printReport()
{
    if (!m_report || !m_document)
        return;
    if (platform::printers().names().isEmpty()) {
        platform::messages().information(QStringLiteral(
            "Es ist kein Drucker installiert. Die Vorschau kann mit „PDF“ als PDF-Datei gespeichert werden."));
        return;
    }
    const bool landscape = m_document->pageSize().width() > m_document->pageSize().height();
    platform::PrintRequest request;
    request.printer = m_printerName;
    request.copies = m_copies;
    request.landscape = landscape;
    request.pageCount = m_document->pageCount();
    const std::optional<platform::PrintChoice> choice = platform::printDialog().ask(request, this);
    if (!choice)
        return;
    m_printerName = choice->printer;
    m_copies = qMax(1, choice->copies);

    std::unique_ptr<QPrinter> printer = platform::printers().create(m_printerName);
    printer->setCopyCount(m_copies);
    printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    // Progress while the report renders afresh for the printer.
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("Druckfortschritt"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::NonModal);
    progress.setCancelButton(nullptr);
    progress.setRange(0, 0);
    progress.setMinimumDuration(0);
    progress.setLabelText(QStringLiteral("Der Druck wird vorbereitet …"));
    progress.show();
    const QMetaObject::Connection shown =
        connect(m_report, &engine::Report::pageAvailable, &progress, [&progress](int page) {
            progress.setLabelText(QStringLiteral("Seite %1 wird gedruckt …").arg(page));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    const int first = choice->allPages ? 0 : choice->from;
    const int last = choice->allPages ? 0 : choice->to;
    try {
        m_report->print(*printer, first, last);
    } catch (...) {
        disconnect(shown);
        throw;
    }
    disconnect(shown);
}

void Tbwprformd5::btnPrintClick()
{
    if (!m_document)
        return;
    TfrmSelectPrinter dialog(this);
    dialog.setDocument(m_document);
    dialog.setPrinterIndex(platform::printers().indexOf(m_printerName));
    if (platform::modalRunner().run(dialog) != QDialog::Accepted)
        return;
    const QString chosen = dialog.chosenPrinter();
    m_printerName = chosen;

    // The pages go through files: the whole document, the range, and the
    // range repeated once per copy (collated copies).
    const SpoolFiles files;
    m_document->save(files[0]);
    engine::copyPageRange(files[0], files[1], dialog.firstPage(), dialog.lastPage());
    std::unique_ptr<QPrinter> printer = platform::printers().create(chosen);
    engine::Document pages;
    if (dialog.copies() < 2) {
        pages = engine::Document::load(files[1]);
    } else {
        QStringList repeated;
        for (int i = 0; i < dialog.copies(); ++i)
            repeated.append(files[1]);
        engine::mergeReportFiles(files[2], &repeated);
        pages = engine::Document::load(files[2]);
    }
    if (!engine::printPages(pages, *printer))
        platform::messages().error(
            QStringLiteral("Der Drucker „%1“ kann den Druck nicht beginnen.").arg(chosen));
}

void Tbwprformd5::pdfbtnClick()
{
    if (!m_document)
        return;
    QString suggested = m_document->title().isEmpty() ? QStringLiteral("Druckvorschau") : m_document->title();
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|])"));
    suggested.replace(unsafe, QStringLiteral("_"));
    const QString fileName = platform::getSaveFileName(this, QStringLiteral("Als PDF-Datei speichern"),
                                                       suggested + QStringLiteral(".pdf"),
                                                       QStringLiteral("PDF-Dateien (*.pdf)"));
    if (fileName.isEmpty())
        return;
    // A long export shows its progress after a second and can be cancelled;
    // the window is repainted between pages. The dialog is modal, so nothing
    // changes the document meanwhile; a cancelled export leaves no file
    // behind (nor changes one of that name).
    const std::unique_ptr<QProgressDialog> dialog =
        platform::progressDialog(this, "pdffortschritt", QStringLiteral("Als PDF-Datei speichern"),
                                 QStringLiteral("Die PDF-Datei wird geschrieben …"), m_document->pageCount(),
                                 Qt::ApplicationModal, 1000);
    QProgressDialog &progress = *dialog;
    engine::exportPdf(*m_document, fileName, [&progress](int page, int pages) {
        progress.setLabelText(QStringLiteral("Seite %1 von %2 wird geschrieben …").arg(page).arg(pages));
        progress.setValue(page - 1);
        // Until the dialog shows (and blocks the other windows), input waits.
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    });
}

// --- TQRMDIPreviewInterface --------------------------------------------------

TQRMDIPreviewInterface::TQRMDIPreviewInterface(store::Session &session, QWidget *parent)
    : m_session(session), m_parent(parent)
{
}

Tbwprformd5 *TQRMDIPreviewInterface::show(engine::Document &document, engine::Report *report,
                                          engine::PrintKind kind)
{
    // Opened from a modal dialog (the report editor), the preview belongs to
    // it, or the dialog would block it; and it is modal itself, so that the
    // dialog that waits for it cannot be closed under it, unless the dialog
    // stays usable beside it (the bulk print's choice).
    QWidget *owner = platform::windowOwner(m_parent);
    auto *window = new Tbwprformd5(&document, report, kind, m_session, owner);
    if (owner != m_parent && !owner->property(usableBesidePreview).toBool())
        window->setWindowModality(Qt::ApplicationModal);
    g_current = window;
    window->show();
    return window;
}

QPointer<Tbwprformd5> TQRMDIPreviewInterface::showModal(engine::Document &document, engine::Report *report,
                                                       engine::PrintKind kind)
{
    auto *window = new Tbwprformd5(&document, report, kind, m_session, platform::windowOwner(m_parent));
    QPointer<Tbwprformd5> guard(window);
    platform::modalRunner().run(*window);
    if (guard)
        guard->releaseDocument();
    return guard;
}

void TQRMDIPreviewInterface::previewReport(engine::Report &report, engine::PrintKind kind)
{
    engine::Document document(report.pageSize);
    document.setTitle(report.title);
    QPointer<Tbwprformd5> window = show(document, &report, kind);
    // The count grows while the report renders into the window's document.
    const QMetaObject::Connection counting =
        QObject::connect(&report, &engine::Report::pageAvailable, window->view(), &engine::PreviewView::pageRendered);
    try {
        report.render(document);
    } catch (...) {
        QObject::disconnect(counting);
        if (window) {
            window->releaseDocument();
            window->close();
        }
        throw;
    }
    QObject::disconnect(counting);
    if (!window)
        return;
    window->documentChanged();
    waitUntilClosed(window);
    if (window)
        window->releaseDocument();
}

void TQRMDIPreviewInterface::previewDocument(engine::Document &document, engine::PrintKind kind)
{
    QPointer<Tbwprformd5> window = show(document, nullptr, kind);
    waitUntilClosed(window);
    if (window)
        window->releaseDocument();
}

void TQRMDIPreviewInterface::waitUntilClosed(const QPointer<Tbwprformd5> &window)
{
    if (!window || !window->isVisible())
        return;
    QEventLoop loop;
    QObject::connect(window, &Tbwprformd5::closed, &loop, &QEventLoop::quit);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

void TQRMDIPreviewInterface::keepUsableBesidePreview(QWidget &dialog)
{
    dialog.setProperty(usableBesidePreview, true);
}

Tbwprformd5 *TQRMDIPreviewInterface::current()
{
    return g_current;
}

void TQRMDIPreviewInterface::raiseCurrent()
{
    if (!g_current)
        return;
    g_current->raise();
    g_current->activateWindow();
    g_current->setFocus();
}

void TQRMDIPreviewInterface::closeCurrent()
{
    if (g_current)
        g_current->close();
}
