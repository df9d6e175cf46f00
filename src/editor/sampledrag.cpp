#include "sampledrag.h"

#include "controls/dbcontrols.h"
#include "platform/guard.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextEdit>

namespace {

const QString sampleMime = QStringLiteral("application/x-lernora-sample");
const int dragDistance = 20;

} // namespace

SampleDrag::SampleDrag(QTextEdit *samples, QTextEdit *target, QWidget *owner)
    : QObject(owner), m_samples(samples), m_target(target)
{
    m_scratch = new QTextEdit(owner);
    m_scratch->setObjectName(QStringLiteral("RichEdit1"));
    m_scratch->hide();
    m_samples->viewport()->installEventFilter(this);
    m_target->viewport()->setAcceptDrops(true);
    m_target->viewport()->installEventFilter(this);
}

void SampleDrag::press(Qt::MouseButton button)
{
    static_cast<void>(button);
    m_armed = false;
    if (!m_samples->textCursor().hasSelection())
        return;
    m_samples->copy();
    m_scratch->clear();
    m_scratch->paste();
    m_scratch->selectAll();
    m_scratch->setFontPointSize(10);
    m_scratch->copy();
    m_armed = true;
}

bool SampleDrag::dragOver(const QPoint &pos, QObject *source)
{
    m_target->setFocus();
    if (!qobject_cast<controls::DBRichEdit *>(source))
        return false;
    m_target->setTextCursor(m_target->cursorForPosition(pos));
    return true;
}

void SampleDrag::drop(const QPoint &pos, QObject *source)
{
    if (!dragOver(pos, source))
        return;
    m_scratch->selectAll();
    m_scratch->copy();
    m_target->paste();
}

bool SampleDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_samples->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // The left button selects; the others drag.
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton)
                break;
            press(me->button());
            m_start = me->position().toPoint();
            return m_armed;
        }
        case QEvent::MouseMove:
            if (m_armed
                && (static_cast<QMouseEvent *>(event)->position().toPoint() - m_start).manhattanLength()
                       >= dragDistance) {
                m_armed = false;
                auto *drag = new QDrag(m_samples);
                auto *mime = new QMimeData;
                mime->setData(sampleMime, QByteArray());
                drag->setMimeData(mime);
                drag->exec(Qt::CopyAction);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_armed = false;
            break;
        default:
            break;
        }
    } else if (watched == m_target->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *de = static_cast<QDragMoveEvent *>(event);
            if (dragOver(de->position().toPoint(), de->source()))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *de = static_cast<QDropEvent *>(event);
            platform::guarded([this, de] { drop(de->position().toPoint(), de->source()); });
            de->acceptProposedAction();
            return true;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
