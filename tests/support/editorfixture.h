#pragma once

// The running program with the report editor: scripted dialogs, a clock
// standing still, and helpers to create reports through the composition
// and to open a stored report the way the report overview does.

#include "planfixture.h"

#include "controls/dbcontrols.h"
#include "editor/fieldcheckdialog.h"
#include "editor/reporteditor.h"
#include "editor/datepicker.h"
#include "platform/clock.h"
#include "scriptedmodalrunner.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

namespace testsupport {

class EditorFixture : public PlanFixture
{
public:
    // Tuesday 10 March 2026: its week starts on Monday 9 March.
    EditorFixture() : m_clock(QDateTime(QDate(2026, 3, 10), QTime(9, 30))) { platform::setClock(&m_clock); }
    ~EditorFixture() { platform::setClock(nullptr); }

    platform::ScriptedModalRunner &dialogs() { return m_dialogs; }
    platform::FixedClock &clock() { return m_clock; }
    Tberichtdlg &dlg() const { return *form()->berichtdlg(); }

    template <class T>
    T *control(const char *name) const
    {
        T *c = dlg().findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }

    // Queues the date picker: it picks `day`, or is closed (cancel) when
    // `day` is null. `preset` receives the day it opened on.
    void pickWeek(const QDate &day, QDate *preset = nullptr)
    {
        m_dialogs.onNext(QStringLiteral("kaldlg"), [day, preset](QDialog *d) {
            auto *k = static_cast<Tkaldlg *>(d);
            if (preset)
                *preset = k->date();
            if (day.isValid()) {
                k->kalender()->setSelectedDate(day);
                k->kalenderDblClick();
            } else {
                k->close();
            }
        });
    }

    // Chooses the plan items and presses "Bericht neu erzeugen"; the week is
    // picked and `edit` drives the report dialog (it must close it).
    void create(const QList<int> &tags, const std::function<void(Tberichtdlg &)> &edit,
                const QDate &week = QDate(2026, 3, 9))
    {
        for (int tag : tags)
            click(tag);
        pickWeek(week);
        m_dialogs.onNext(QStringLiteral("berichtdlg"), [edit](QDialog *d) { edit(*static_cast<Tberichtdlg *>(d)); });
        tab().erzeugbtn()->click();
    }
    void createAndConfirm(const QList<int> &tags, const QDate &week = QDate(2026, 3, 9))
    {
        create(
            tags, [](Tberichtdlg &d) { d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click(); }, week);
    }

    // Opens report `number` of training year `year` in the editor's mode
    // for stored reports, as "Anzeigen" does.
    void openExisting(int year, int number, const std::function<void(Tberichtdlg &)> &edit)
    {
        m_dialogs.onNext(QStringLiteral("berichtdlg"), [edit](QDialog *d) { edit(*static_cast<Tberichtdlg *>(d)); });
        dlg().openStored(year, number);
    }

    // Rows of a table file, as text, for comparing before and after.
    QStringList dump(const char *table) const
    {
        QStringList out;
        for (const QVariantList &row : tables().exec(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)))) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << v.toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    QVariant sql(const QString &query) const
    {
        const auto rows = tables().exec(query);
        return rows.isEmpty() ? QVariant(QStringLiteral("<no row>")) : rows.first().value(0);
    }

private:
    platform::FixedClock m_clock;
    platform::ScriptedModalRunner m_dialogs;
};

} // namespace testsupport
