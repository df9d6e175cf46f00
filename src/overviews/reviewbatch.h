#pragma once

// "Berichte als gesehen markieren": the trainer sees a range of reports at
// once. The apprentice chooses a training year and the reports' numbers from
// and to; the list shows every sheet of that range with its week and whether
// it was seen already, and OK marks the sheets not yet seen as seen today by
// the trainer named in the basic data.

#include <QDialog>
#include <QHash>
#include <QList>

#include "domain/marks.h"
#include "domain/weeks.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;
class QTreeWidget;

namespace store {
class TableSet;
struct Session;
} // namespace store

class Tgesehendlg : public QDialog
{
    Q_OBJECT
public:
    Tgesehendlg(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);

    QComboBox *jahrwahl() const { return m_year; }
    QSpinBox *vonspin() const { return m_from; }
    QSpinBox *bisspin() const { return m_to; }
    QTreeWidget *gesehenliste() const { return m_list; }
    QLabel *anzahllabel() const { return m_count; }

    // Reads the reports and their reviews again and shows the range of the
    // session's training year (every report of it).
    void load();
    // The sheets the list shows that OK would mark (BerLfd), in order.
    QList<qint64> sheetsToMark() const { return m_toMark; }

    void done(int result) override;

private:
    // The training year was chosen: the numbers span its reports.
    void yearChanged();
    // The list follows the range.
    void showRange();

    store::TableSet &m_tables;
    store::Session &m_session;
    QVector<domain::ReportWeeks> m_reports;
    QHash<qint64, domain::Review> m_reviews;
    QList<qint64> m_toMark;
    QComboBox *m_year = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QTreeWidget *m_list = nullptr;
    QLabel *m_count = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
