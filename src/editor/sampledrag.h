#pragma once

// Dragging sample text into the activities: a press of any button but the
// left one on the sample field while it has a selection copies that
// selection to the clipboard at 10 points (through a hidden scratch field,
// RichEdit1) and starts a drag once the mouse has moved 20 pixels; dropped
// on the activity field, the text is pasted at the character under the
// mouse. The clipboard keeps the dragged text.

#include <QObject>
#include <QPoint>

class QTextEdit;
class QWidget;

class SampleDrag : public QObject
{
    Q_OBJECT
public:
    // Watches `samples` and `target`; the scratch field is a hidden child
    // of `owner`.
    SampleDrag(QTextEdit *samples, QTextEdit *target, QWidget *owner);

    // A press on the sample field: arms the drag when text is selected.
    void press(Qt::MouseButton button);
    // The drag over the target at `pos`: true when it accepts `source`.
    bool dragOver(const QPoint &pos, QObject *source);
    void drop(const QPoint &pos, QObject *source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTextEdit *m_samples;
    QTextEdit *m_target;
    QTextEdit *m_scratch;
    QPoint m_start;
    bool m_armed = false;
};
