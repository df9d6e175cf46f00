// The report editor: reading and writing a formatted activity text, opening
// a stored report in the editor, and a whole "Bericht neu erzeugen" with
// five items (the dialog confirmed at once, the pages rebuilt); printing the
// front and back sheet of a report; deleting a report in the overview.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "benchsupport.h"
#include "benchdata.h"
#include "controls/dbcontrols.h"
#include "editor/reporteditor.h"
#include "overviews/reportoverview.h"
#include "plan/composition.h"
#include "plan/planpages.h"
#include "print/frontsheet.h"
#include "print/backsheet.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "richtext/rtf.h"
#include "store/install.h"
#include "store/tableset.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

namespace bench {

namespace {



} // namespace

void editorBenchmarks()
{
    const QByteArray rtf = activityText();
    const int runs = 50;
    report("rich text: read a page of activities", runs, measure(runs, [&] {
               QTextDocument doc;
               richtext::readRtf(doc, rtf);
           }));
    QTextDocument parsed;
    richtext::readRtf(parsed, rtf);
    report("rich text: write a page of activities", runs, measure(runs, [&] { richtext::writeRtf(parsed); }));

    QTemporaryDir dir;
    store::installDataDirectory(dir.path());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        StandIns user;
        lernora::Application program;
        TMainForm *form = program.mainForm();
        form->show();
        QApplication::processEvents();
        plan::CompositionTab &tab = form->composition();
        Tberichtdlg &dialog = *form->berichtdlg();

        // Five items of part 5 (they belong to three groups).
        const auto choose = [&] {
            tab.setPartIndex(4);
            int chosen = 0;
            for (QObject *o : tab.pages().sheet(5)->children()) {
                auto *l = qobject_cast<plan::PlanLabel *>(o);
                if (chosen < 5 && l && l->selectable() && !l->isHidden() && l->role() == plan::PlanLabel::Role::Item) {
                    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), l->mapToGlobal(QPointF(2, 2)),
                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(l, &press);
                    ++chosen;
                }
            }
        };
        const int creations = 20;
        report("report creation: 5 items, OK, rebuild", creations,
               measure(
                   creations,
                   [&] {
                       tab.erzeugbtn()->click();
                       QApplication::processEvents();
                   },
                   choose));

        // Two stored reports with a page of activities each, opened in turn,
        // so that every opening reads its text.
        store::Table &reports = program.tables().berichttable();
        for (int n = 0; n < 2; ++n) {
            reports.edit();
            QString text = QString::fromLatin1(rtf);
            if (n == 1)
                text.replace(QStringLiteral("notiert"), QStringLiteral("vermerkt"));
            reports.setValue(QStringLiteral("Taetigkeit"), text);
            reports.post();
            reports.prior();
        }
        const int last = reports.asInt(QStringLiteral("Nummer")) + 2;
        int number = last;
        dialog.setItemSource(dialog.berichtdetailsource());
        report("editor: open a stored report, OK", runs,
               measure(
                   runs,
                   [&] {
                       platform::modalRunner().run(dialog);
                       QApplication::processEvents();
                   },
                   [&] {
                       number = number == last ? last - 1 : last;
                       reports.setFilter(QStringLiteral("AJahr = 1 and Nummer = %1").arg(number));
                       reports.setFiltered(true);
                       reports.first();
                   }));
        reports.setFiltered(false);

        // The last report printed: its front sheet with five items and a
        // page of activities, its back sheet with two pictures of 800 × 600.
        reports.last();
        QImage picture(800, 600, QImage::Format_RGB888);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, 128));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "BMP");
        reports.edit();
        reports.setValue(QStringLiteral("Darstellung"), QString::fromLatin1(rtf));
        reports.setValue(QStringLiteral("Bild1"), bmp);
        reports.setValue(QStringLiteral("Bild2"), bmp);
        reports.post();
        report("print: front sheet, 5 items, activities", runs,
               measure(runs, [&] { program.berichtform().QuickRep1().render(); }));
        program.qrruecksform().setPictureDisplaySize(0, QSize(450, 338));
        program.qrruecksform().setPictureDisplaySize(1, QSize(450, 338));
        report("print: back sheet, text and two pictures", runs,
               measure(runs, [&] { program.qrruecksform().QuickRep().render(); }));

        // Deleting the first report of the year: its counts taken back, the
        // later reports numbered again, the pages rebuilt.
        overviews::ReportOverviewTab &overview = form->overview();
        overview.setDisplayChoice(1);
        const int deletions = 10;
        report("overview: delete report 1 of ~20, renumber", deletions,
               measure(
                   deletions, [&] { overview.loeschbtnClick(); }, [&] { reports.first(); }));
        form->hide();
    }
    QDir::setCurrent(previous);
}

} // namespace bench
