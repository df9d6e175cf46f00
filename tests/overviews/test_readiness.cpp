// "Ausbildungsnachweis prüfen" in the running program: the defects of a
// prepared record in its list (the sheets whose texts or pictures run over
// their printed page among them), the jumps from a row to the editor on
// that sheet, the basic data, the training times and the report of
// reports, and the list saved as a PDF file.

#include "overviewfixture.h"

#include "controls/radiogroup.h"
#include "domain/marks.h"
#include "overviews/readiness.h"
#include "overviews/reportofreportstab.h"
#include "pdfwords.h"
#include "platform/filedialog.h"
#include "store/fields.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

using testsupport::OverviewFixture;

namespace {

// Mondays before the clock's week (Monday 9 March 2026).
const QDate week1(2026, 2, 16), week2(2026, 2, 23), week3(2026, 3, 2);

QByteArray photo()
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString lines(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("Zeile %1: Kehrarbeiten an einem Schornstein").arg(i);
    return out.join(QLatin1Char('\n'));
}

} // namespace

class TestReadiness : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;

    // A complete record of three weeks, each with a seen sheet, but for
    // what a case changes.
    void startWithRecord(int sessionYear = 1)
    {
        store::Settings().writeStrings({{QStringLiteral("Stift"), QStringLiteral("Name"), QStringLiteral("Anna Berg")},
                                        {QStringLiteral("BKM"), QStringLiteral("Name"), QStringLiteral("Ernst Kurz")},
                                        {QStringLiteral("Stift"), QStringLiteral("AZvom"), QStringLiteral("16.02.2026")},
                                        {QStringLiteral("Stift"), QStringLiteral("AZbis"), QStringLiteral("15.02.2029")}});
        for (int y = 1; y <= 3; ++y)
            store::Settings().writeStrings(
                {{QStringLiteral("Stift"), QStringLiteral("vom%1").arg(y), QStringLiteral("16.02.%1").arg(2025 + y)},
                 {QStringLiteral("Stift"), QStringLiteral("bis%1").arg(y), QStringLiteral("15.02.%1").arg(2026 + y)}});
        f->start(sessionYear);
        int number = 0;
        for (const QDate &week : {week1, week2, week3})
            sheet(1, ++number, 1, week);
    }
    qint64 sheet(int year, int number, int blatt, const QDate &week, const QString &activities = QStringLiteral("Kehren"))
    {
        const qint64 id = f->addSheet(year, number, blatt, week);
        set(id, QStringLiteral("Datum = ?, Taetigkeit = ?"), {week.addDays(4).toString(Qt::ISODate), activities});
        domain::markSeen(f->tables(), {id}, week.addDays(4), QStringLiteral("Ernst Kurz"));
        return id;
    }
    void set(qint64 sheet, const QString &assignments, QVariantList values)
    {
        values << sheet;
        f->tables().query(QStringLiteral("UPDATE bericht SET %1 WHERE BerLfd = ?").arg(assignments), values);
        f->reports().refresh();
    }
    qint64 idOf(int number, int blatt = 1) const
    {
        return f->sql(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer = %1 AND Blatt = %2").arg(number).arg(blatt))
            .toLongLong();
    }
    // Opens the window from the menu, as it shows after a check.
    Tpruefform &openCheck()
    {
        f->form()->findChild<QAction *>(QStringLiteral("Ausbildungsnachweispruefen1"))->trigger();
        Tpruefform *w = f->form()->pruefform();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(w)); }();
        QApplication::setActiveWindow(w);
        return *w;
    }
    // The rows as shown: "Art|Wo|Mangel".
    static QStringList rows(const Tpruefform &w)
    {
        QStringList out;
        const QTableWidget *list = w.maengelliste();
        for (int r = 0; r < list->rowCount(); ++r)
            out << list->item(r, 0)->text() + QLatin1Char('|') + list->item(r, 1)->text() + QLatin1Char('|')
                       + list->item(r, 2)->text();
        return out;
    }
    static int rowOf(const Tpruefform &w, const QString &start)
    {
        const QStringList all = rows(w);
        for (int r = 0; r < all.size(); ++r)
            if (all[r].startsWith(start))
                return r;
        return -1;
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup() { f.reset(); }

    // What a case changes in the complete record, and the rows (their
    // beginnings) listed and not listed for it.
    void listsTheDefects_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("notListed");
        QTest::addColumn<QString>("counted");
        const QString sheet2 = QStringLiteral("Bericht 2 (1. Lehrjahr), Blatt 1");
        const QString overflow = QStringLiteral("Text zu lang|") + sheet2;
        QTest::newRow("a week without report") << "gap" << QStringList{"Fehlende Woche|KW 9/2026"}
                                               << QStringList{overflow} << "1 fehlende Woche";
        QTest::newRow("no activities") << "empty" << QStringList{"Ohne Tätigkeiten|" + sheet2}
                                       << QStringList{overflow} << "1 Blatt ohne Tätigkeiten";
        QTest::newRow("activities of two pages") << "long activities" << QStringList{overflow} << QStringList{}
                                                 << "1 Blatt mit zu langem Text";
        QTest::newRow("activities of one page") << "short activities" << QStringList{} << QStringList{overflow}
                                                << "Mängel";
        QTest::newRow("description of two pages") << "long description" << QStringList{overflow} << QStringList{}
                                                  << "1 Blatt mit zu langem Text";
        QTest::newRow("short description, photos at full size")
            << "large photos" << QStringList{overflow} << QStringList{} << "1 Blatt mit zu langem Text";
        QTest::newRow("short description, small photos")
            << "small photos" << QStringList{} << QStringList{overflow} << "Mängel";
        QTest::newRow("no trainer, no second year")
            << "basic data" << QStringList{"Grunddaten|Grunddaten|", "Grunddaten|Ausbildungszeit, 2. Lehrjahr"}
            << QStringList{} << "2 fehlende Angaben der Grunddaten";
    }
    void listsTheDefects()
    {
        QFETCH(QString, change);
        startWithRecord();
        const qint64 second = idOf(2);
        if (change == QLatin1String("gap"))
            f->tables().exec(QStringLiteral("DELETE FROM bericht WHERE BerLfd = %1").arg(second));
        if (change == QLatin1String("empty"))
            set(second, QStringLiteral("Taetigkeit = ?"), {QString()});
        if (change.endsWith(QLatin1String("activities")))
            set(second, QStringLiteral("Taetigkeit = ?"), {lines(change.startsWith(QLatin1String("long")) ? 90 : 25)});
        if (change == QLatin1String("long description"))
            set(second, QStringLiteral("Darstellung = ?"), {lines(70)});
        if (change.endsWith(QLatin1String("photos")))
            set(second, QStringLiteral("Darstellung = ?, Bild1 = ?, Zoom1 = ?, Bild2 = ?, Zoom2 = ?"),
                {lines(3), photo(), change.startsWith(QLatin1String("large")) ? 100 : 20, photo(),
                 change.startsWith(QLatin1String("large")) ? 100 : 20});
        if (change == QLatin1String("basic data"))
            store::Settings().writeStrings({{QStringLiteral("BKM"), QStringLiteral("Name"), QString()},
                                            {QStringLiteral("Stift"), QStringLiteral("bis2"), QString()}});
        const Tpruefform &w = openCheck();
        QFETCH(QStringList, listed);
        for (const QString &row : listed)
            QVERIFY2(rowOf(w, row) >= 0, qPrintable(row + QStringLiteral(" not in\n") + rows(w).join('\n')));
        QFETCH(QStringList, notListed);
        for (const QString &row : notListed)
            QVERIFY2(rowOf(w, row) < 0, qPrintable(row));
        QFETCH(QString, counted);
        QVERIFY2(w.ergebnislabel()->text().contains(counted), qPrintable(w.ergebnislabel()->text()));
        QVERIFY(w.ergebnislabel()->text().startsWith(QStringLiteral("%1 Mängel: ").arg(rows(w).size())));
    }

    // The row chosen with the keys and Enter: where the jump lands.
    void jumpsLandWhereTheyShould_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("landsIn");
        QTest::newRow("second sheet of a report of another year")
            << "Ohne Tätigkeiten|Bericht 7 (3. Lehrjahr), Blatt 2" << "editor 3 7 2";
        QTest::newRow("first sheet of that report") << "Nicht gesehen|Bericht 7 (3. Lehrjahr), Blatt 1"
                                                    << "editor 3 7 1";
        QTest::newRow("trainer's name") << "Grunddaten|Grunddaten" << "grunddatendlg";
        QTest::newRow("dates of a training year") << "Grunddaten|Ausbildungszeit, 3. Lehrjahr" << "uebersichtdlg";
        QTest::newRow("plan below target") << "Unter Soll|" << "report of reports 1";
    }
    void jumpsLandWhereTheyShould()
    {
        QFETCH(QString, row);
        QFETCH(QString, landsIn);
        // The overview shows the second year alone; the check looks at the
        // first, where the clock's day lies.
        startWithRecord(2);
        f->choose(1);
        store::Settings().writeStrings({{QStringLiteral("BKM"), QStringLiteral("Name"), QString()},
                                        {QStringLiteral("Stift"), QStringLiteral("vom3"), QString()}});
        // A report of the third year before the training period, never
        // seen, its second sheet without date and activities.
        sheet(2, 1, 1, QDate(2026, 1, 26));
        const qint64 first = f->addSheet(3, 7, 1, QDate(2026, 2, 2));
        set(first, QStringLiteral("Datum = ?, Taetigkeit = ?"), {QStringLiteral("2026-02-06"), QStringLiteral("x")});
        f->addSheet(3, 7, 2, QDate(2026, 2, 2));
        Tpruefform &w = openCheck();
        const int target = rowOf(w, row);
        QVERIFY2(target >= 0, qPrintable(rows(w).join('\n')));
        QString landed;
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            landed = QStringLiteral("editor %1 %2 %3")
                         .arg(f->reports().asInt(store::field::AJahr))
                         .arg(f->reports().asInt(store::field::Nummer))
                         .arg(f->reports().asInt(store::field::Blatt));
            d->findChild<QPushButton *>(QStringLiteral("cancelbtn"))->click();
        });
        for (const char *name : {"grunddatendlg", "uebersichtdlg"})
            f->dialogs().onNext(QLatin1String(name), [&landed](QDialog *d) {
                landed = d->objectName();
                d->reject();
            });
        w.maengelliste()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (landsIn.startsWith(QLatin1String("report of reports"))) {
            const auto *pages = f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
            landed = QStringLiteral("report of reports %1")
                         .arg(pages->currentIndex() == 2 ? f->form()->reportOfReports().ljgroup()->itemIndex() + 1 : 0);
        }
        QCOMPARE(landed, landsIn);
        // The overview shows the second year alone again.
        QCOMPARE(f->reports().recordCount(), 1);
        QCOMPARE(f->reports().asInt(store::field::AJahr), 2);
        // The list keeps the row it jumped from.
        QCOMPARE(w.maengelliste()->currentRow(), target);
    }

    // A sheet mended in the editor is checked anew when the editor closes.
    void aSheetMendedInTheEditorIsCheckedAgain()
    {
        startWithRecord();
        set(idOf(2), QStringLiteral("Taetigkeit = ?"), {QString()});
        Tpruefform &w = openCheck();
        const QString sheet2 = QStringLiteral("Bericht 2 (1. Lehrjahr), Blatt 1");
        const int target = rowOf(w, QStringLiteral("Ohne Tätigkeiten|") + sheet2);
        QVERIFY(target >= 0);
        QVERIFY(rowOf(w, QStringLiteral("Text zu lang|") + sheet2) < 0);
        f->dialogs().onNext(QStringLiteral("berichtdlg"), [&](QDialog *d) {
            auto &editor = *static_cast<Tberichtdlg *>(d);
            QApplication::setActiveWindow(d);
            editor.taetigkeitedit()->setFocus();
            QCOMPARE(QApplication::focusWidget(), editor.taetigkeitedit());
            // The sheet was seen: changing it is asked once.
            f->messages().answer(platform::Answer::Yes);
            for (const QString &line : lines(60).split(QLatin1Char('\n'))) {
                QTest::keyClicks(QApplication::focusWidget(), line);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            f->messages().answer(platform::Answer::No); // nothing moves to a follow-up sheet
            d->findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        w.maengelliste()->setFocus();
        for (int i = 0; i < target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY2(rowOf(w, QStringLiteral("Text zu lang|") + sheet2) >= 0, qPrintable(rows(w).join('\n')));
        QVERIFY(rowOf(w, QStringLiteral("Ohne Tätigkeiten|") + sheet2) < 0);
    }

    // "Als PDF speichern...": the rows in the file, or why there is none.
    void savesThePdf_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("written");
        QTest::newRow("a folder that exists") << "" << true;
        QTest::newRow("a folder that does not") << "fehlt/" << false;
    }
    void savesThePdf()
    {
        QFETCH(QString, folder);
        QFETCH(bool, written);
        startWithRecord();
        set(idOf(2), QStringLiteral("Taetigkeit = ?"), {QString()});
        Tpruefform &w = openCheck();
        QTemporaryDir out;
        const QString file = out.filePath(folder + QStringLiteral("pruefung.pdf"));
        platform::setNextSaveFileName(file);
        f->messages().clear();
        QTest::mouseClick(w.pdfbtn(), Qt::LeftButton);
        QCOMPARE(QFile::exists(file), written);
        QCOMPARE(f->messages().errors().size(), written ? 0 : 1);
        QCOMPARE(f->messages().notices().size(), written ? 1 : 0);
        if (!written)
            return;
        const QString text = testsupport::readPdf(file).pageTexts().join(QLatin1Char(' '));
        for (const QString &word : {QStringLiteral("Prüfung des Ausbildungsnachweises"), QStringLiteral("Anna Berg"),
                                    QStringLiteral("10.03.2026"), QStringLiteral("Ohne Tätigkeiten Bericht 2 (1. Lehrjahr), Blatt 1")})
            QVERIFY2(text.contains(word), qPrintable(word + QStringLiteral(" not in ") + text));
        for (const QString &row : rows(w))
            QVERIFY2(text.contains(row.section(QLatin1Char('|'), 1, 1)), qPrintable(row));
    }
};

QTEST_MAIN(TestReadiness)
#include "test_readiness.moc"
