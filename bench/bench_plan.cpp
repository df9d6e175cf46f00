// The plan pages: rebuilding all 17 pages (as every discard, year change and
// report creation does) and one click that chooses a plan item.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "plan/composition.h"
#include "plan/planpages.h"
#include "store/install.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace bench {

void planBenchmarks()
{
    QTemporaryDir dir;
    store::installDataDirectory(dir.path());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        lernora::Application program;
        TMainForm *form = program.mainForm();
        form->show();
        QApplication::processEvents();
        plan::CompositionTab &tab = form->composition();

        const int runs = 50;
        report("plan pages: rebuild all 17, same year", runs, measure(runs, [&] {
                   tab.rebuildPages();
                   QApplication::processEvents();
               }));
        int year = 1;
        report("plan pages: rebuild all 17, next year", runs, measure(runs, [&] {
                   form->N1Lehrjahr1Click(year = year % 3 + 1);
                   QApplication::processEvents();
               }));
        form->N1Lehrjahr1Click(1);

        // A click on the first selectable line of the page shown.
        plan::PlanLabel *item = nullptr;
        for (QObject *o : tab.pages().sheet(5)->children()) {
            auto *l = qobject_cast<plan::PlanLabel *>(o);
            if (l && l->selectable() && !l->isHidden()) {
                item = l;
                break;
            }
        }
        report("plan pages: choose one item (click)", runs, measure(runs, [&] {
                   QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), item->mapToGlobal(QPointF(2, 2)),
                                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                   QApplication::sendEvent(item, &press);
                   QApplication::processEvents();
               }, [&] { tab.VerwerfbtnClick(); }));
        form->hide();
    }
    QDir::setCurrent(previous);
}

} // namespace bench
