// The preview window on a finished document: what it shows on opening,
// paging, the zoom field and its buttons, the mouse wheel, Esc, pages that
// arrive while it is open, what the page view paints, and the PDF button.

#include "pdfwords.h"
#include "platform/filedialog.h"
#include "previewfixture.h"
#include "scriptedmessages.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWheelEvent>

using testsupport::numberedDocument;
using testsupport::PreviewWindow;

namespace {

// The page view's pixel for a point of the page given in 0.1 mm.
QPoint viewPixel(const engine::PreviewView &view, const QPointF &units)
{
    const double perUnit = 96.0 / 254.0 * view.zoom() / 100.0;
    return view.pageRect().topLeft() + (units * perUnit).toPoint();
}

bool darkAt(const QImage &image, const QPoint &at)
{
    return image.rect().contains(at) && qGray(image.pixel(at)) < 80;
}

// Whether the view shows page n: its block is black, the blocks of the
// other pages of the document are not.
bool showsPage(const engine::PreviewView &view, int n, int pages)
{
    const QImage image = view.viewport()->grab().toImage();
    for (int k = 1; k <= pages; ++k)
        if (darkAt(image, viewPixel(view, testsupport::pageBlock(k).center())) != (k == n))
            return false;
    return true;
}

void wheel(QWidget *target, int delta)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT
    platform::ScriptedMessages m_messages;

private slots:
    void opensOnThePageLabelAndCount_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("without title") << QString() << QStringLiteral("Druckvorschau");
        QTest::newRow("with title") << QStringLiteral("Wochenbericht 7") << QStringLiteral("Wochenbericht 7");
    }
    void opensOnThePageLabelAndCount()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        engine::Document doc = numberedDocument(3, title);
        store::Session session;
        session.previewOpen = true; // left over: a new window clears it, its show sets it
        Tbwprformd5 window(&doc, nullptr, engine::PrintKind::None, session);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QVERIFY(!session.previewOpen);
        window.show();
        QVERIFY(session.previewOpen);

        QCOMPARE(window.windowTitle(), caption);
        QVERIFY(window.windowState() & Qt::WindowMaximized);
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowSystemMenuHint));
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("aktseite"))->text(), QStringLiteral("Seite 1 von "));
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("anzseiten"))->text(), QStringLiteral("3 "));
        QCOMPARE(window.view()->zoom(), 58);
        QCOMPARE(window.findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->value(), 58);
        QCOMPARE(window.focusWidget(), window.findChild<QPushButton *>(QStringLiteral("okbtn")));
        window.close();
        QVERIFY(!session.previewOpen);
    }

    void pagingStopsAtTheFirstAndLastPage()
    {
        engine::Document doc = numberedDocument(3);
        store::Session session;
        PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();

        w.click("BitBtn1"); // "Seite zurück" on page 1
        QCOMPARE(view->pageNumber(), 1);
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 1 von "));
        QVERIFY(showsPage(*view, 1, 3));

        w.click("BitBtn5");
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 2 von "));
        QVERIFY(showsPage(*view, 2, 3));
        w.click("BitBtn5");
        w.click("BitBtn5"); // "Seite vor" on page 3
        QCOMPARE(view->pageNumber(), 3);
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 3 von "));
        QCOMPARE(w.text("anzseiten"), QStringLiteral("3 "));
        QVERIFY(showsPage(*view, 3, 3));

        // A change of page starts at the page's top left.
        w->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->setValue(300);
        view->setScrollY(400);
        view->horizontalScrollBar()->setValue(200);
        QCOMPARE(view->scrollY(), 400);
        w.click("BitBtn1");
        QCOMPARE(view->pageNumber(), 2);
        QCOMPARE(view->scrollY(), 0);
        QCOMPARE(view->scrollX(), 0);
        view->setPageNumber(0);
        view->setPageNumber(4);
        QCOMPARE(view->pageNumber(), 2);
    }

    void typedZoomFollowsAtOnceAndIsBoundedOnLeaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("whileTyping");
        QTest::addColumn<int>("afterLeaving");
        QTest::newRow("above the field") << QStringLiteral("900") << 900 << 800;
        QTest::newRow("below the field") << QStringLiteral("10") << 10 << 20;
        QTest::newRow("inside") << QStringLiteral("150") << 150 << 150;
        QTest::newRow("below the view") << QStringLiteral("1") << 58 << 20;
    }
    void typedZoomFollowsAtOnceAndIsBoundedOnLeaving()
    {
        QFETCH(QString, typed);
        QFETCH(int, whileTyping);
        QFETCH(int, afterLeaving);
        engine::Document doc = numberedDocument(2);
        store::Session session;
        PreviewWindow w(doc, session);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto *field = w.control<QSpinBox>("SpinEdit1");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, typed);
        QCOMPARE(w->view()->zoom(), whileTyping);

        w.control("okbtn")->setFocus(); // leaves the field
        QCOMPARE(field->value(), afterLeaving);
        QCOMPARE(w->view()->zoom(), afterLeaving);
        QVERIFY(w.alive());
    }

    void zoomButtons()
    {
        engine::Document doc = numberedDocument(2);
        store::Session session;
        PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();
        auto *field = w.control<QSpinBox>("SpinEdit1");
        const double pageWidthAt100 = 2100 / 254.0 * 96.0;

        w.click("BitBtn4");
        QCOMPARE(view->zoom(), 100);
        QCOMPARE(view->pageRect().width(), qRound(pageWidthAt100));

        // Zoom to width: the page takes 90 % of the view's width (less what
        // the whole-percent zoom cuts off).
        QSize before = view->viewport()->size();
        w.click("BitBtn2");
        QVERIFY2(qAbs(view->pageRect().width() - 0.9 * before.width()) <= pageWidthAt100 / 100 + 1,
                 qPrintable(QStringLiteral("%1 of %2").arg(view->pageRect().width()).arg(before.width())));
        QCOMPARE(field->value(), view->zoom());

        // Zoom to fit: the whole page, at 95 % of the tighter side.
        before = view->viewport()->size();
        w.click("zoomtofit");
        const QRect page = view->pageRect();
        QVERIFY(page.width() <= before.width() && page.height() <= before.height());
        const double tighter = qMax(page.width() / (0.95 * before.width()), page.height() / (0.95 * before.height()));
        QVERIFY2(tighter <= 1.0 && tighter > 1.0 - 0.02,
                 qPrintable(QStringLiteral("%1 × %2 in %3 × %4")
                                .arg(page.width()).arg(page.height()).arg(before.width()).arg(before.height())));
        QCOMPARE(field->value(), view->zoom());

        // The spin buttons stay inside 20 … 800.
        field->setValue(790);
        field->stepBy(1);
        QCOMPARE(field->value(), 800);
        QCOMPARE(view->zoom(), 800);
        field->stepBy(1);
        QCOMPARE(field->value(), 800);
        field->setValue(30);
        field->stepBy(-1);
        QCOMPARE(view->zoom(), 20);

        // The view itself takes 2 … 2000 only.
        view->setZoom(2000);
        QCOMPARE(view->zoom(), 2000);
        view->setZoom(2001);
        view->setZoom(1);
        QCOMPARE(view->zoom(), 2000);
    }

    void mouseWheelScrollsByATenthOfItsDistance()
    {
        engine::Document doc = numberedDocument(1);
        store::Session session;
        PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();
        w.control<QSpinBox>("SpinEdit1")->setValue(200);
        view->setScrollY(100);

        wheel(view->viewport(), -120); // one notch towards the user: down
        QCOMPARE(view->scrollY(), 112);
        wheel(view->viewport(), 120);
        QCOMPARE(view->scrollY(), 100);
        wheel(view->viewport(), 59); // truncated toward zero
        QCOMPARE(view->scrollY(), 95);
        wheel(w.get(), -240); // anywhere else in the window
        QCOMPARE(view->scrollY(), 119);
    }

    void escapeCloses_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("close button") << QStringLiteral("okbtn");
        QTest::newRow("zoom field") << QStringLiteral("SpinEdit1");
    }
    void escapeCloses()
    {
        QFETCH(QString, focus);
        engine::Document doc = numberedDocument(2);
        store::Session session;
        PreviewWindow w(doc, session);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QSignalSpy closed(w.get(), &Tbwprformd5::closed);
        QWidget *target = w->findChild<QWidget *>(focus);
        target->setFocus();
        QVERIFY(session.previewOpen);
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!session.previewOpen);
        QTRY_VERIFY(!w.alive()); // it frees itself
    }

    void pagesArrivingWhileOpen()
    {
        engine::Document doc;
        store::Session session;
        PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();
        QCOMPARE(w.text("anzseiten"), QStringLiteral("0 "));
        QVERIFY(!darkAt(view->viewport()->grab().toImage(), viewPixel(*view, testsupport::pageBlock(1).center())));

        doc.addPage(testsupport::numberedPage(1));
        view->pageRendered(1);
        QCOMPARE(w.text("anzseiten"), QStringLiteral("1 "));
        QVERIFY(showsPage(*view, 1, 2));
        doc.addPage(testsupport::numberedPage(2));
        view->pageRendered(2);
        QCOMPARE(w.text("anzseiten"), QStringLiteral("2 "));
        w.click("BitBtn5");
        QCOMPARE(w.text("aktseite"), QStringLiteral("Seite 2 von "));
        QVERIFY(showsPage(*view, 2, 2));
    }

    void largeZoomPaintsThePartInView()
    {
        engine::Document doc = numberedDocument(1);
        store::Session session;
        PreviewWindow w(doc, session);
        engine::PreviewView *view = w->view();
        view->setZoom(2000);
        // The view's middle on the middle of page 1's block.
        const QPoint block = viewPixel(*view, testsupport::pageBlock(1).center()) - view->pageRect().topLeft();
        const QPoint middle(view->viewport()->width() / 2, view->viewport()->height() / 2);
        view->horizontalScrollBar()->setValue(block.x() - middle.x() + engine::PreviewView::margin);
        view->setScrollY(block.y() - middle.y() + engine::PreviewView::margin);
        QImage image = view->viewport()->grab().toImage();
        QVERIFY(darkAt(image, middle));
        QVERIFY(darkAt(image, QPoint(5, 5)));
        // Back at the top left: blank paper, drawn afresh.
        view->horizontalScrollBar()->setValue(0);
        view->setScrollY(0);
        image = view->viewport()->grab().toImage();
        QVERIFY(!darkAt(image, middle));
        QCOMPARE(QColor(image.pixel(view->pageRect().topLeft() + QPoint(5, 5))), QColor(Qt::white));
    }

    // Cancelling a PDF export in its progress dialog leaves no file behind.
    void cancellingThePdfExportLeavesNoFile()
    {
        QTemporaryDir dir;
        engine::Document doc = numberedDocument(40, QStringLiteral("Wochenbericht"));
        store::Session session;
        PreviewWindow w(doc, session);
        const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
        platform::setNextSaveFileName(pdf);
        // The first turn of the events during the export finds the dialog
        // and presses its button.
        bool pressed = false;
        QTimer::singleShot(0, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *progress = top->findChild<QProgressDialog *>(QStringLiteral("pdffortschritt"))) {
                    QCOMPARE(progress->findChild<QPushButton *>()->text(), QStringLiteral("Abbrechen"));
                    progress->cancel();
                    pressed = true;
                }
        });
        w.click("pdfbtn");
        QVERIFY(pressed);
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(m_messages.errors().isEmpty());
    }

    void pdfButtonWritesThePages()
    {
        QTemporaryDir dir;
        engine::Document doc = numberedDocument(3, QStringLiteral("Wochenbericht"));
        store::Session session;
        PreviewWindow w(doc, session);

        platform::setNextSaveFileName(QString()); // cancelled
        w.click("pdfbtn");
        QVERIFY(QDir(dir.path()).isEmpty());

        const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
        platform::setNextSaveFileName(pdf);
        w.click("pdfbtn");
        const testsupport::PdfText text = testsupport::readPdf(pdf);
        QCOMPARE(text.pages, 3);
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(text.pageText(n), QStringLiteral("Seite%1").arg(n));
            // Drawn from 20 mm on a baseline at 100 mm.
            const QRectF box = text.word(QStringLiteral("Seite%1").arg(n)).box;
            QVERIFY2(qAbs(box.left() - 20.0) < 1.0, qPrintable(QString::number(box.left())));
            QVERIFY2(box.top() < 100.0 && box.bottom() > 100.0 && box.bottom() < 104.0,
                     qPrintable(QStringLiteral("%1 … %2").arg(box.top()).arg(box.bottom())));
        }
        QVERIFY(m_messages.errors().isEmpty());
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
