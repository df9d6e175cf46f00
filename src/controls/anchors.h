#pragma once

// Designed controls that follow a window beyond its designed size. A window
// laid out in pixels keeps its controls where the design puts them; once
// the window is larger (maximised), an anchored control keeps its distance
// to the window's right or bottom edge, or stretches when anchored at both
// edges of a side. The design's positions and sizes are the minimum: a
// window smaller than its design moves and shrinks nothing.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace controls {

class Anchors : public QObject
{
public:
    // `window`'s design size; the growth is what the window has beyond it.
    Anchors(QWidget *window, QSize design);

    // Right: moves right with the growth; Left | Right: widens. Bottom and
    // Top | Bottom likewise downwards. An axis without Right resp. Bottom
    // is left alone. The control's geometry now is its designed one.
    void anchor(QWidget *control, Qt::Edges edges);

    QSize growth() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    struct Anchored
    {
        QPointer<QWidget> control;
        QRect designed;
        Qt::Edges edges;
    };
    QWidget *m_window;
    QSize m_design;
    std::vector<Anchored> m_anchored;
};

} // namespace controls
