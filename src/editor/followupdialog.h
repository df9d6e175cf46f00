#pragma once

// "Folgeseite bestimmen": the detail rows of the sheet on screen, each to
// be copied or moved to a new follow-up sheet. The marks are fields of the
// rows, so that a cancelled choice is shown again the next time.

#include <QDialog>

namespace controls {
class DataSource;
class DBCtrlGrid;
} // namespace controls

class Tfolgedialog : public QDialog
{
    Q_OBJECT
public:
    Tfolgedialog(controls::DataSource *details, QWidget *parent = nullptr);
    controls::DBCtrlGrid *grid() const { return m_grid; }

    // A mark ticked on a row clears the row's other mark.
    void kopiercheckMouseUp();
    void verschiebcheckMouseUp();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildPanel(QWidget *panel, controls::DataSource *source);
    void clearMark(const QString &field);

    controls::DataSource *m_details = nullptr;
    controls::DBCtrlGrid *m_grid = nullptr;
};
