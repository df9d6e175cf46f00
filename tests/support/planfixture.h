#pragma once

// The running program on a fresh data directory, with the helpers the plan
// page and composition tests share: labels by name, clicks, the plan table
// changed behind the program's back, and a snapshot of everything the pages
// and the composition show.

#include "app/application.h"
#include "app/mainform.h"
#include "plan/composition.h"
#include "plan/planpages.h"
#include "scriptedmessages.h"
#include "store/settings.h"
#include "store/table.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace testsupport {

class PlanFixture
{
public:
    PlanFixture() : m_dir(std::make_unique<TempDataDir>()), m_messages(std::make_unique<platform::ScriptedMessages>())
    {
    }
    ~PlanFixture() { stop(); }

    // Ends the program as the user does, answering the exit question.
    void stop()
    {
        if (m_app && form()->isVisible()) {
            m_messages->clear();
            m_messages->answer(platform::Answer::Yes);
            form()->close();
        }
        m_app.reset();
    }

    TempDataDir &dir() { return *m_dir; }
    platform::ScriptedMessages &messages() { return *m_messages; }

    // Starts the program with the given training year in the settings file.
    void start(int year = 1)
    {
        store::Settings ini;
        ini.writeInteger(QStringLiteral("Stift"), QStringLiteral("Jahr"), year);
        m_app = std::make_unique<lernora::Application>();
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
    }

    lernora::Application &app() const { return *m_app; }
    TMainForm *form() const { return m_app->mainForm(); }
    store::TableSet &tables() const { return m_app->tables(); }
    plan::CompositionTab &tab() const { return form()->composition(); }

    // A label of the pages by its name, as a test finds it.
    plan::PlanLabel *label(const QString &name) const
    {
        return form()->findChild<plan::PlanLabel *>(name);
    }
    plan::PlanLabel *label(const char *prefix, int tag) const { return label(QLatin1String(prefix) + QString::number(tag)); }

    // Shows the part's page and clicks the item label of a plan line.
    void click(int tag, Qt::MouseButton button = Qt::LeftButton)
    {
        plan::PlanLabel *item = label("myl", tag);
        QVERIFY2(item, qPrintable(QStringLiteral("no label myl%1").arg(tag)));
        const auto *sheet = qobject_cast<const plan::PlanSheet *>(item->parentWidget());
        tab().setPartIndex(sheet->part() - 1);
        QTest::mouseClick(item, button, Qt::NoModifier, QPoint(2, 2));
    }

    // Changes the plan file behind the program and builds the pages again.
    void changePlan(const QString &sql)
    {
        tables().exec(sql);
        tab().rebuildPages();
    }

    int compositionRows() const { return tables().temptable().recordCount(); }
    QStringList listEntries() const
    {
        QStringList out;
        for (int i = 0; i < tab().zusammenstellung()->count(); ++i)
            out << tab().zusammenstellung()->item(i)->text();
        return out;
    }

    static QColor colour(const QLabel *l) { return l->palette().color(QPalette::WindowText); }

    // Everything the pages and the composition show, as text, for comparing
    // the state before and after an action.
    QStringList snapshot() const
    {
        QStringList out;
        for (int part = 1; part <= plan::partCount; ++part) {
            for (const plan::PlanLabel *l : tab().pages().sheet(part)->findChildren<plan::PlanLabel *>()) {
                if (l->objectName().isEmpty())
                    continue;
                const QRect g = l->geometry();
                out << QStringLiteral("%1 '%2' %3 %4 %5,%6 %7x%8 %9")
                           .arg(l->objectName(), l->text(), colour(l).name(),
                                l->font().bold() ? QStringLiteral("bold") : QStringLiteral("plain"))
                           .arg(g.x())
                           .arg(g.y())
                           .arg(g.width())
                           .arg(g.height())
                           .arg(l->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown"));
            }
        }
        out.sort();
        out << listEntries();
        out << QStringLiteral("rows %1").arg(compositionRows());
        out << QStringLiteral("erzeugbtn %1 Verwerfbtn %2")
                   .arg(tab().erzeugbtn()->isEnabled())
                   .arg(tab().Verwerfbtn()->isEnabled());
        return out;
    }

private:
    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<platform::ScriptedMessages> m_messages;
    std::unique_ptr<lernora::Application> m_app;
};

} // namespace testsupport
