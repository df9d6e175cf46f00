#pragma once

// The preview window of every print: pages and zooms through a rendered
// document and prints it, either by rendering its report afresh to the
// printer chosen in the platform's print dialog, or (the bulk print) by
// printing the document's own pages with the printer choice dialog's range
// and copies. TQRMDIPreviewInterface opens it.

#include "print/engine/previewinterface.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;

namespace engine {
class Document;
class PreviewView;
class Report;
} // namespace engine

namespace store {
struct Session;
}

class ZoomSpinEdit;

class Tbwprformd5 : public QDialog
{
    Q_OBJECT
public:
    static constexpr int minFieldZoom = 20;
    static constexpr int maxFieldZoom = 800;
    // A zoom step of the keys + and − and of the wheel with Ctrl.
    static constexpr int zoomStep = 20;

    // The window shows `document` (not owned), the print form `kind`: a
    // bulk print prints its document through the printer choice, the other
    // forms print by rendering `report` (not owned, may be null) afresh.
    Tbwprformd5(engine::Document *document, engine::Report *report, engine::PrintKind kind, store::Session &session,
                QWidget *parent = nullptr);
    ~Tbwprformd5() override;

    engine::Document *document() const { return m_document; }
    engine::PrintKind printKind() const { return m_printKind; }
    engine::PreviewView *view() const { return m_view; }
    // The printer the document prints on (empty: the default printer).
    QString printerName() const { return m_printerName; }
    void setPrinterName(const QString &name) { m_printerName = name; }

    // The document's pages were replaced (a render finished).
    void documentChanged();
    // Forgets document and report; the owner is about to free them.
    void releaseDocument();

    // Handlers, named after their controls.
    void FormShow();
    void FormClose();
    void FormKeyPress(QKeyEvent *event);
    void FormMouseWheel(int delta);
    void zeigenummer();
    void SpinEdit1Change();
    void BitBtn4Click();
    void zoomtowidthclick();
    void zoomtofitClick();
    void BitBtn1Click();
    void BitBtn5Click();
    void druckbtnClick();
    void btnPrintClick();
    void pdfbtnClick();
    void QRPreview1PageAvailable(int pageNumber);
    // Shows the page typed into the page field.
    void seitenfeldChange();
    // Pages and zooms from the keyboard; false for any other key.
    bool pagingKey(QKeyEvent *event);

    void done(int result) override;

signals:
    // The window closed; the preview of its document is over.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // Sets the zoom field, brought into 20 … 800 first; the zoom follows.
    void setZoomField(int value);
    void printReport();
    void showPage(int number);
    void wheelZoom(int delta);
    // The page field's range follows the pages rendered so far.
    void setPageFieldCount(int count);

    engine::Document *m_document;
    engine::Report *m_report;
    engine::PrintKind m_printKind;
    store::Session &m_session;
    QString m_printerName;
    int m_copies = 1;
    bool m_closed = false;
    int m_wheelZoom = 0; // wheel distance not yet a whole zoom step

    QLabel *m_aktseite = nullptr;
    QLabel *m_anzseiten = nullptr;
    ZoomSpinEdit *m_spinEdit1 = nullptr;
    QSpinBox *m_seitenfeld = nullptr;
    QPushButton *m_okbtn = nullptr;
    engine::PreviewView *m_view = nullptr;
};

// Opens preview windows. The window shown last without blocking is kept, so
// that the bulk print can bring it to the front or close it.
class TQRMDIPreviewInterface : public engine::PreviewInterface
{
public:
    explicit TQRMDIPreviewInterface(store::Session &session, QWidget *parent = nullptr);

    // Creates a window for the document, remembers it as the current preview
    // window and shows it maximised without blocking. It frees itself when
    // closed.
    Tbwprformd5 *show(engine::Document &document, engine::Report *report = nullptr,
                      engine::PrintKind kind = engine::PrintKind::None);
    // Creates a window for the document and shows it modally; returns when it
    // has closed (the pointer is null once the window is freed).
    QPointer<Tbwprformd5> showModal(engine::Document &document, engine::Report *report = nullptr,
                                    engine::PrintKind kind = engine::PrintKind::None);

    // Previews a report: shows the window, renders the report into its
    // document, then waits (processing events) until the window closes.
    void previewReport(engine::Report &report, engine::PrintKind kind) override;
    // Previews a finished document the same way.
    void previewDocument(engine::Document &document, engine::PrintKind kind) override;

    // A preview asked for from a modal dialog is modal, so that the dialog
    // waiting for it cannot be closed under it; a dialog marked here stays
    // usable beside its preview instead. Such a dialog turns a second
    // preview away itself (the preview-open flag) and closes its preview
    // when it closes.
    static void keepUsableBesidePreview(QWidget &dialog);

    // The window shown last without blocking, while it exists.
    static Tbwprformd5 *current();
    // Brings the current preview window to the front and focuses it.
    static void raiseCurrent();
    // Closes the current preview window.
    static void closeCurrent();

private:
    static void waitUntilClosed(const QPointer<Tbwprformd5> &window);

    store::Session &m_session;
    QWidget *m_parent;
};
