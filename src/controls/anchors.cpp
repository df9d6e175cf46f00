#include "anchors.h"

#include <QEvent>

#include <algorithm>

namespace controls {

Anchors::Anchors(QWidget *window, QSize design) : QObject(window), m_window(window), m_design(design)
{
    window->installEventFilter(this);
}

void Anchors::anchor(QWidget *control, Qt::Edges edges)
{
    m_anchored.push_back({control, control->geometry(), edges});
    apply();
}

QSize Anchors::growth() const
{
    return QSize(std::max(0, m_window->width() - m_design.width()),
                 std::max(0, m_window->height() - m_design.height()));
}

bool Anchors::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}

void Anchors::apply()
{
    const QSize grown = growth();
    for (const Anchored &a : m_anchored) {
        if (!a.control)
            continue;
        QRect r = a.control->geometry();
        if (a.edges & Qt::RightEdge) {
            const bool stretches = a.edges & Qt::LeftEdge;
            r.setLeft(a.designed.left() + (stretches ? 0 : grown.width()));
            r.setWidth(a.designed.width() + (stretches ? grown.width() : 0));
        }
        if (a.edges & Qt::BottomEdge) {
            const bool stretches = a.edges & Qt::TopEdge;
            r.setTop(a.designed.top() + (stretches ? 0 : grown.height()));
            r.setHeight(a.designed.height() + (stretches ? grown.height() : 0));
        }
        if (r != a.control->geometry())
            a.control->setGeometry(r);
    }
}

} // namespace controls
