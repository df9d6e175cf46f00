#pragma once

// Documents and windows for the preview tests: numbered pages ("SeiteN" in
// large type, and a black block whose place depends on the page number, so
// that both a PDF and a screen image tell the pages apart), a preview window
// on such a document, and its controls by name.

#include "pdfprinters.h"
#include "print/previewwindow.h"
#include "print/engine/document.h"
#include "print/engine/previewview.h"
#include "store/session.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <functional>

namespace testsupport {

// The block of page n: 20 mm square, 20 mm from the top, n × 30 mm from the left.
inline QRectF pageBlock(int n)
{
    return QRectF(n * 300.0, 200.0, 200.0, 200.0);
}

inline QPicture numberedPage(int n)
{
    engine::PagePicture page;
    QPainter p(&page);
    p.setFont(QFont(QStringLiteral("Arial"), 28));
    p.drawText(QPointF(200, 1000), QStringLiteral("Seite%1").arg(n));
    p.fillRect(pageBlock(n), Qt::black);
    p.end();
    return page;
}

inline engine::Document numberedDocument(int pages, const QString &title = QString())
{
    engine::Document d;
    d.setTitle(title);
    for (int n = 1; n <= pages; ++n)
        d.addPage(numberedPage(n));
    return d;
}

// A preview window on a document, shown; it frees itself when closed.
class PreviewWindow
{
public:
    PreviewWindow(engine::Document &document, store::Session &session, engine::Report *report = nullptr,
                  engine::PrintKind kind = engine::PrintKind::None)
        : m_window(new Tbwprformd5(&document, report, kind, session))
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    ~PreviewWindow()
    {
        if (m_window)
            m_window->close();
        delete m_window.data();
    }

    Tbwprformd5 *operator->() const { return m_window; }
    Tbwprformd5 *get() const { return m_window; }
    bool alive() const { return !m_window.isNull(); }

    template<typename T = QWidget> T *control(const char *name) const
    {
        T *c = m_window->findChild<T *>(QLatin1String(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }
    QString text(const char *name) const { return control<QLabel>(name)->text(); }
    void click(const char *name) const { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

private:
    QPointer<Tbwprformd5> m_window;
};

// Runs `check` once the preview is up and closes the preview afterwards,
// also when a check failed.
inline void whenShown(std::function<void(Tbwprformd5 *)> check)
{
    QTimer::singleShot(0, [check] {
        Tbwprformd5 *window = TQRMDIPreviewInterface::current();
        const auto closeAtEnd = qScopeGuard([] { TQRMDIPreviewInterface::closeCurrent(); });
        if (!window)
            QTest::qFail("no preview window", __FILE__, __LINE__);
        else
            check(window);
    });
}

} // namespace testsupport
