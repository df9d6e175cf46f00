#include "mainform.h"

#include "aboutbox.h"
#include "controls/keyboard.h"
#include "basicdatadialog.h"
#include "controls/anchors.h"
#include "controls/dbcontrols.h"
#include "controls/dbgrid.h"
#include "editor/reporteditor.h"
#include "exchange/eximform.h"
#include "exchange/filetransfer.h"
#include "overviews/readiness.h"
#include "overviews/reportofreportstab.h"
#include "overviews/reportoverview.h"
#include "overviews/trainingtime.h"
#include "plan/creation.h"
#include "plan/composition.h"
#include "plan/planpages.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/hint.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "reminderbar.h"
#include "domain/creation.h"
#include "domain/weeks.h"
#include "overviews/weekledger.h"
#include "print/bulkprint.h"
#include "print/engine/previewinterface.h"
#include "print/recordpdf.h"
#include "print/trainingrecordprint.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/reset.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QScopeGuard>

namespace keys = store::settingskeys;

TMainForm::TMainForm(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QMainWindow(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Lernora"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    const QScreen *screen = QGuiApplication::primaryScreen();
    placeWithin(screen ? screen->availableGeometry() : QRect(0, 0, 987, 748));

    buildMenu();
    buildClient();

    // The status line shows the long part of the hint under the mouse:
    // controls carry it as their status tip (platform::setHint), which the
    // main window passes on to its status line; menu items through ShowHint.
    m_tables.openAtStart();
}

TMainForm::~TMainForm() = default;

void TMainForm::placeWithin(const QRect &room)
{
    const QSize design(987, 748);
    // On a screen smaller than the design (1366 x 768 and less) the window
    // takes what the screen offers, its frame included, instead of reaching
    // below the screen's edge. The frame is not known before the window is
    // shown: the room it takes on common desktops is kept free.
    const QSize frame(2 * 4, 30 + 4);
    resize(design.boundedTo(room.size() - frame));
    QRect placed(QPoint(), size() + frame);
    placed.moveCenter(room.center());
    placed.moveTopLeft(QPoint(std::max(placed.left(), room.left()), std::max(placed.top(), room.top())));
    move(placed.topLeft());
}

void TMainForm::buildMenu()
{
    QMenuBar *bar = menuBar();
    platform::setHelpContext(bar, platform::helpcontext::Menus); // its menus are its children
    auto item = [this](QMenu *menu, const char *name, const QString &caption, void (TMainForm::*handler)(),
                       const QString &hint = {}) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (!hint.isEmpty())
            platform::setHint(a, hint);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto menu = [this, bar](const char *name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name) + QStringLiteral("Item"));
        connect(m, &QMenu::hovered, this, [this](QAction *a) { ShowHint(a->statusTip()); });
        return m;
    };

    QMenu *datei = menu("File1", QStringLiteral("&Datei"));
    item(datei, "ImportExport1", QStringLiteral("&Import/Export"), &TMainForm::ImportExport1Click);
    datei->addSeparator()->setObjectName(QStringLiteral("N1"));
    item(datei, "FileExitItem", QStringLiteral("&Beenden"), &TMainForm::FileExit,
         QStringLiteral("Beenden|Diese Anwendung beenden"));

    QMenu *settings = menu("Einstellungen1", QStringLiteral("&Einstellungen"));
    item(settings, "Grunddaten1", QStringLiteral("&Grunddaten"), &TMainForm::Grunddaten1Click);
    QMenu *years = settings->addMenu(QStringLiteral("&Lehrjahr"));
    years->setObjectName(QStringLiteral("Lehrjahr1"));
    connect(years, &QMenu::hovered, this, [this](QAction *a) { ShowHint(a->statusTip()); });
    m_yearGroup = new QActionGroup(this);
    m_yearGroup->setExclusive(true);
    for (int y = 1; y <= 3; ++y) {
        QAction *a = years->addAction(QStringLiteral("&%1. Lehrjahr").arg(y));
        a->setObjectName(QStringLiteral("N%1Lehrjahr1").arg(y));
        a->setCheckable(true);
        a->setChecked(y == 1);
        m_yearGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, y] { N1Lehrjahr1Click(y); });
        m_yearItems[y - 1] = a;
    }

    m_erinnerung = settings->addAction(QStringLiteral("&Erinnerung an fehlende Berichte"));
    m_erinnerung->setObjectName(QStringLiteral("Erinnerung1"));
    m_erinnerung->setCheckable(true);
    m_erinnerung->setChecked(true);
    connect(m_erinnerung, &QAction::triggered, this,
            [this](bool on) { platform::guarded([this, on] { Erinnerung1Click(on); }); });

    QMenu *forms = menu("Formulare1", QStringLiteral("&Formulare"));
    item(forms, "Ausbildungsnachweis1", QStringLiteral("&Ausbildungsnachweis"), &TMainForm::Ausbildungsnachweis1Click);
    item(forms, "AusbildungsnachweisalsPDF1", QStringLiteral("Ausbildungsnachweis als P&DF speichern..."),
         &TMainForm::AusbildungsnachweisalsPDF1Click,
         QStringLiteral("Ausbildungsnachweis als PDF speichern|Der ganze Ausbildungsnachweis in einer "
                        "archivierbaren PDF-Datei"));
    item(forms, "Ausbildungsnachweispruefen1", QStringLiteral("Ausbildungsnachweis &prüfen..."),
         &TMainForm::Ausbildungsnachweispruefen1Click,
         QStringLiteral("Ausbildungsnachweis prüfen|Listet alles, was am Ausbildungsnachweis noch fehlt"));
    item(forms, "bersichtdieAusbildungszeit1", QStringLiteral("&Übersicht ü. die Ausbildungszeit"),
         &TMainForm::bersichtdieAusbildungszeit1Click);
    item(forms, "Wochen1", QStringLiteral("&Wochen..."), &TMainForm::Wochen1Click,
         QStringLiteral("Wochen|Alle Wochen der Ausbildung mit ihren Berichten"));

    QMenu *help = menu("Help1", QStringLiteral("&Hilfe"));
    item(help, "HelpContentsItem", QStringLiteral("&Inhalt"), &TMainForm::HelpContents,
         QStringLiteral("Inhalt|Inhaltsübersicht der Hilfe anzeigen"));
    help->addSeparator()->setObjectName(QStringLiteral("N2"));
    item(help, "HelpAboutItem", QStringLiteral("I&nfo..."), &TMainForm::HelpAboutItemClick,
         QStringLiteral("Info|Programminformationen anzeigen"));

    // "E" opens "Einstellungen".
    QMenu *extras = menu("Extras1", QStringLiteral("E&xtras"));
    item(extras, "Ausgangszustandherstellen1", QStringLiteral("&Ausgangszustand herstellen"),
         &TMainForm::Ausgangszustandherstellen1Click);
}

void TMainForm::buildClient()
{
    auto *client = new QWidget(this);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The bar with the training year at its right edge.
    auto *panel = new QWidget(client);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(33);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 0, 16, 0);
    row->addStretch();
    QFont bold = font();
    bold.setBold(true);
    auto *caption = new QLabel(QStringLiteral("Lehrjahr:"), panel);
    caption->setObjectName(QStringLiteral("Label1"));
    m_lehrjahrlabel = new QLabel(panel);
    m_lehrjahrlabel->setObjectName(QStringLiteral("lehrjahrlabel"));
    for (QLabel *l : {caption, m_lehrjahrlabel}) {
        l->setFont(bold);
        l->setStyleSheet(QStringLiteral("color: blue;"));
        row->addWidget(l);
    }
    column->addWidget(panel);

    m_pageControl1 = new QTabWidget(client);
    m_pageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl1->setAccessibleName(QStringLiteral("Reiter"));
    platform::setHelpContext(m_pageControl1, platform::helpcontext::MainWindow);
    const QStringList tabs{QStringLiteral("Bericht zusammenstellen"), QStringLiteral("Berichte Übersicht"),
                           QStringLiteral("Berichte Report")};
    const int tabContexts[] = {platform::helpcontext::Composition, platform::helpcontext::ReportOverview,
                               platform::helpcontext::ReportOfReports};
    for (int i = 0; i < tabs.size(); ++i) {
        auto *page = new QWidget(m_pageControl1);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        platform::setHelpContext(page, tabContexts[i]);
        m_pageControl1->addTab(page, tabs[i]);
    }
    // Each tab's contents fill its page; on a screen smaller than the
    // design they keep their designed size and the page scrolls.
    const auto fillPage = [this](int page, QWidget *contents) {
        auto *fill = new QVBoxLayout(m_pageControl1->widget(page));
        fill->setContentsMargins(0, 0, 0, 0);
        auto *scroller = new QScrollArea;
        scroller->setObjectName(QStringLiteral("TabScroller%1").arg(page + 1));
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setFocusPolicy(Qt::NoFocus);
        scroller->setWidgetResizable(true);
        const QRect designed = contents->childrenRect();
        contents->setMinimumSize(designed.right() + 4, designed.bottom() + 4);
        scroller->setWidget(contents);
        fill->addWidget(scroller);
    };
    // The composition of the next report, on the first tab.
    m_composition = new plan::CompositionTab(m_tables, m_session, m_pageControl1->widget(0));
    fillPage(0, m_composition);
    connect(m_composition, &plan::CompositionTab::erzeugbtnClicked, this,
            [this] { platform::guarded([this] { erzeugbtnClick(); }); });
    // The report overview on the second tab.
    m_overview = new overviews::ReportOverviewTab(m_tables, m_session, m_pageControl1->widget(1));
    fillPage(1, m_overview);
    connect(m_overview, &overviews::ReportOverviewTab::openRequested, this,
            [this] { platform::guarded([this] { beranzeigebtnClick(); }); });
    // A deleted report lowered the counts: the pages show them, on the part
    // that was showing.
    connect(m_overview, &overviews::ReportOverviewTab::reportDeleted, this,
            [this] { platform::guarded([this] { m_composition->rebuildPages(); }); });
    // The report of reports on the third tab; it computes its grid when shown.
    m_reportOfReports = new overviews::ReportOfReportsTab(m_tables, m_session, m_pageControl1->widget(2));
    fillPage(2, m_reportOfReports);
    connect(m_pageControl1, &QTabWidget::currentChanged, this,
            [this] { platform::guarded([this] { PageControl1Change(); }); });
    column->addWidget(m_pageControl1, 1);
    setCentralWidget(client);
    controls::addPageKeys(m_pageControl1);
    m_composition->addPageKeys();

    // Maximised, the composition and the report list grow downwards and
    // the buttons below them follow.
    auto *anchors = new controls::Anchors(this, QSize(987, 748));
    m_composition->anchorIn(*anchors);
    m_overview->anchorIn(*anchors);

    // Below the training year: the weeks without a report, and "Wie letzte
    // Woche" of the composition.
    m_reminder = new ReminderBar(client);
    column->insertWidget(1, m_reminder);
    connect(m_reminder, &ReminderBar::showWeeks, this, [this] { Wochen1Click(); });
    connect(m_composition, &plan::CompositionTab::wieletztebtnClicked, this,
            [this] { platform::guarded([this] { wieletztebtnClick(); }); });

    m_statusLine = new QStatusBar(this);
    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    setStatusBar(m_statusLine);
}

void TMainForm::ShowHint(const QString &hint)
{
    m_statusLine->showMessage(hint);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void TMainForm::FormShow()
{
    m_pageControl1->setCurrentIndex(0);
    const store::Settings ini(m_tables.places().settingsFile());
    m_session.trainerName = ini.readString(keys::BKM, keys::Name);
    m_session.apprenticeName = ini.readString(keys::Stift, keys::Name);
    m_session.year = ini.readInteger(keys::Stift, keys::Jahr, keys::defaultJahr);
    showYear();
    m_overview->setDisplayChoice(ini.readInteger(keys::Werte, keys::Anzeigewahl, keys::defaultAnzeigewahl));
    plan::applyTargetCorrections(m_tables.table1());
    m_composition->buildPages();
    m_composition->setPartIndex(4);
    if (m_tables.berichttable().isOpen())
        m_tables.berichttable().last();
    remindOfMissingWeeks();
}

void TMainForm::showYear()
{
    m_lehrjahrlabel->setText(QString::number(m_session.year));
    if (m_session.year >= 1 && m_session.year <= 3)
        m_yearItems[m_session.year - 1]->setChecked(true);
}

void TMainForm::N1Lehrjahr1Click(int year)
{
    m_session.year = year;
    showYear();
    // The overview shows the new year when it shows one year.
    platform::guarded([this] { m_overview->showYear(); });
    // A new year ends the composition; discarding it builds the pages of
    // the new year and keeps the part shown.
    platform::guarded([this] { m_composition->discard(); });
}

void TMainForm::PageControl1Change()
{
    // The editor lists a stored sheet's items only for "Anzeigen"; a change
    // of the main tab gives it the composition back as its item list.
    if (m_berichtdlg)
        m_berichtdlg->showCompositionItems();
}

void TMainForm::setQrbuebersichtform(Tqrbuebersichtform *form)
{
    m_overview->setPrintForm(form);
}

void TMainForm::setReportreportform(Treportreportform *form)
{
    m_reportOfReports->setPrintForm(form);
}

void TMainForm::setDrauswdlg(Tdrauswdlg *dialog)
{
    m_overview->setBulkPrint([dialog] { platform::modalRunner().run(*dialog); });
}

void TMainForm::beranzeigebtnClick()
{
    if (m_berichtdlg)
        m_berichtdlg->openStored();
}

void TMainForm::setBerichtdlg(Tberichtdlg *dialog)
{
    m_berichtdlg = dialog;
}

void TMainForm::erzeugbtnClick()
{
    if (m_composition->hasItems() && m_berichtdlg) {
        Tberichtdlg &dialog = *m_berichtdlg;
        plan::createReport(m_tables, m_session.year, platform::clock().now().date(), [&] { return dialog.openNew(); });
        m_composition->reportCreated();
        return;
    }
    // A rebuild empties the composition and keeps the part shown.
    m_composition->rebuildPages();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (platform::messages().confirmYesNo(QStringLiteral("Programm wirklich beenden?.")) != platform::Answer::Yes) {
        event->ignore();
        return;
    }
    // Both values with one write of the file; a failure is ignored, the
    // program ends in any case.
    store::Settings(m_tables.places().settingsFile()).writeStrings({{keys::Stift, keys::Jahr, QString::number(m_session.year)},
                                    {keys::Werte, keys::Anzeigewahl, QString::number(m_overview->displayChoice())}});
    if (m_help)
        m_help->close();
    if (m_pruefform)
        m_pruefform->close();
    event->accept();
}

void TMainForm::FileExit()
{
    close();
}

void TMainForm::HelpContents()
{
    showHelp(platform::helpcontext::Contents);
}

void TMainForm::showHelp(int context)
{
    if (!m_help) {
        m_help = new QTextBrowser(this);
        m_help->setWindowFlag(Qt::Window);
        m_help->setObjectName(QStringLiteral("HelpWindow"));
        // The platform adds the program's name to the title.
        m_help->setWindowTitle(QStringLiteral("Hilfe"));
        m_help->setOpenExternalLinks(true);
        m_help->resize(640, 560);
        m_help->setSource(QUrl(QStringLiteral("qrc:/help/hilfe.html")));
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_help);
        connect(escape, &QShortcut::activated, m_help, &QWidget::close);
    }
    // Asked for from a modal dialog (the report editor), the help belongs to
    // that dialog: a window of the main window would stay blocked by it.
    QWidget *owner = platform::windowOwner(this);
    const bool moved = m_help->parentWidget() != owner;
    if (moved)
        m_help->setParent(owner, Qt::Window);
    if (moved || !m_help->isVisible())
        m_help->move(owner->frameGeometry().center() - m_help->rect().center());
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    // Each section starts at an anchor named after its context.
    if (context == platform::helpcontext::Contents)
        m_help->verticalScrollBar()->setValue(0);
    else
        m_help->scrollToAnchor(QStringLiteral("h%1").arg(context));
}

void TMainForm::HelpAboutItemClick()
{
    if (m_aboutBox)
        m_aboutBox->execute();
}

void TMainForm::ImportExport1Click()
{
    if (!m_eximForm)
        return;
    platform::guarded([this] {
        // The window copies the table files while every table is closed.
        m_tables.closeAll();
        std::exception_ptr failed;
        try {
            m_eximForm->execute();
        } catch (...) {
            failed = std::current_exception();
        }
        m_tables.reopenAll();
        // A rebuild empties the composition and shows the data brought in.
        m_composition->rebuildPages();
        if (failed)
            std::rethrow_exception(failed);
    });
}

void TMainForm::Grunddaten1Click()
{
    if (m_grunddatendlg)
        m_grunddatendlg->execute();
}

void TMainForm::Ausgangszustandherstellen1Click()
{
    if (platform::messages().confirmOkCancel(
            QStringLiteral("Ausgangszustand wiederherstellen und Programm beenden? \n"
                           "Alle Berichte und Änderungen werden gelöscht, das Programm wird beendet."))
        != platform::Answer::Ok)
        return;
    const std::optional<QString> safety = safetyBackup();
    if (!safety)
        return;
    bool reset = false;
    platform::guarded([this, &reset] {
        // Whole or not at all; the tables stay open.
        store::resetToDelivered(m_tables);
        reset = true;
        // The windows show the delivered state: no composition, every count
        // at 0, no report in the overview. Answering No to the exit
        // question leaves a program that goes on working.
        m_composition->discard();
        m_overview->showYear();
    });
    if (!reset)
        return;
    platform::messages().information(
        QStringLiteral("Ihre bisherigen Daten sind in der Sicherung „%1“ aufbewahrt. Falls Sie den Ausgangszustand "
                       "nicht wollten: Unter „Datei“ › „Import/Export“ wählen Sie diese Sicherung und klicken auf "
                       "„Wiederherst.“.")
            .arg(*safety));
    close();
}

std::optional<QString> TMainForm::safetyBackup()
{
    const QString data = m_tables.dataDir();
    const QString root = m_tables.places().backupRoot();
    exchange::BackupResult backup;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto cursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        backup = exchange::backupDataDirectory(data, root, platform::clock().now());
    }
    if (!backup.failure)
        return backup.name;
    const QString why = backup.failure->text();
    const QString advice = platform::saysWhatToDo(why)
                               ? QString()
                               : QStringLiteral(" Bitte prüfen Sie, ob im Ordner „%1“ geschrieben werden kann und "
                                                "genug Platz frei ist, und versuchen Sie es dann noch einmal.")
                                     .arg(QDir::toNativeSeparators(root));
    platform::messages().error(QStringLiteral("Bevor der Ausgangszustand hergestellt wird, sichert Lernora Ihre "
                                              "Daten. Diese Sicherung ist fehlgeschlagen:\n%1\n\nEs wurde nichts "
                                              "gelöscht, Ihre Berichte sind unverändert.%2")
                                   .arg(why, advice));
    return std::nullopt;
}

void TMainForm::Ausbildungsnachweis1Click()
{
    if (!m_qrmdform)
        return;
    engine::preview(m_qrmdform->qrnachweis(), engine::PrintKind::TrainingRecord);
}

void TMainForm::AusbildungsnachweisalsPDF1Click()
{
    if (m_recordPdf)
        platform::guarded([this] { m_recordPdf->save(this); });
}

void TMainForm::bersichtdieAusbildungszeit1Click()
{
    if (m_uebersichtdlg)
        platform::guarded([this] { m_uebersichtdlg->execute(); });
}

// --- The week ledger, the reminder and "Wie letzte Woche" ---

void TMainForm::setWochenform(Twochenform *form)
{
    m_wochenform = form;
    form->setCreateReport([this](const QDate &monday, int year) { return createReportForWeek(monday, year); });
    form->setOpenReport([this](int year, int number) { openReport(year, number); });
}

void TMainForm::Wochen1Click()
{
    if (!m_wochenform)
        return;
    m_wochenform->execute();
    // The weeks made or marked there are no longer missing.
    if (m_reminder->isVisible())
        platform::guarded([this] { updateReminder(); });
}

void TMainForm::remindOfMissingWeeks()
{
    const store::Settings ini(m_tables.places().settingsFile());
    const bool on = ini.readInteger(keys::Werte, keys::Erinnerung, keys::defaultErinnerung) != 0;
    m_erinnerung->setChecked(on);
    if (m_reminded)
        return;
    m_reminded = true;
    if (on)
        updateReminder();
}

void TMainForm::updateReminder()
{
    const QDate today = platform::clock().now().date();
    const QVector<domain::LedgerWeek> ledger =
        domain::weekLedger(m_tables, store::Settings(m_tables.places().settingsFile()), today);
    m_reminder->remind(domain::missingWeeksText(domain::missingBefore(ledger, today)));
}

void TMainForm::Erinnerung1Click(bool on)
{
    if (!on)
        m_reminder->hide();
    if (!store::Settings(m_tables.places().settingsFile()).writeInteger(keys::Werte, keys::Erinnerung, on ? 1 : 0))
        platform::messages().error(QStringLiteral("Die Einstellung konnte nicht in „Ruririd.ini“ gespeichert werden. "
                                                  "Bitte prüfen Sie, ob die Datei schreibgeschützt ist."));
}

bool TMainForm::createReportForWeek(const QDate &monday, int year, const std::optional<QString> &activities)
{
    if (!m_berichtdlg)
        return false;
    Tberichtdlg &dialog = *m_berichtdlg;
    const bool created =
        plan::createReport(m_tables, year > 0 ? year : m_session.year, platform::clock().now().date(),
                           [&] { return dialog.openNew(monday); }, activities);
    // Made or cancelled, the composition is used up, as after "Bericht neu
    // erzeugen".
    m_composition->reportCreated();
    return created;
}

void TMainForm::openReport(int year, int number)
{
    if (!m_berichtdlg)
        return;
    // The editor opens on the sheet the cursor stands on: the report's first.
    if (m_tables.berichttable().isOpen())
        m_tables.berichttable().findKey({year, number});
    m_berichtdlg->openStored(year, number);
}

void TMainForm::wieletztebtnClick()
{
    const QVector<domain::ReportWeeks> reports = domain::reportWeeks(m_tables);
    const domain::ReportWeeks *newest = domain::newestReport(reports);
    if (!newest) {
        platform::messages().information(QStringLiteral("Es gibt noch keinen Bericht, den Lernora übernehmen könnte. "
                                                        "Bitte erzeugen Sie Ihren ersten Bericht mit „Bericht neu "
                                                        "erzeugen“."));
        return;
    }
    const QList<qint64> sheets = newest->sheets;
    const platform::Answer answer = platform::messages().confirmYesNoCancel(
        QStringLiteral("Sollen auch die Tätigkeiten der letzten Woche als Entwurf übernommen werden?"));
    if (answer == platform::Answer::Cancel)
        return;
    std::optional<QString> activities;
    if (answer == platform::Answer::Yes) {
        const QString last = plan::joinedActivities(domain::activitiesOfSheets(m_tables, sheets));
        if (!last.isEmpty())
            activities = last;
    }
    const QList<int> left = m_composition->chooseItems(domain::itemsOfSheets(m_tables, sheets));
    if (!left.isEmpty())
        platform::messages().information(
            QStringLiteral("%1 des letzten Berichts %2 nicht zum %3. Lehrjahr und %4 nicht übernommen. Mit „Alle Jahre "
                           "anzeigen“ können Sie sie von Hand wählen.")
                .arg(left.size() == 1 ? QStringLiteral("Ein Punkt") : QStringLiteral("%1 Punkte").arg(left.size()),
                     left.size() == 1 ? QStringLiteral("gehört") : QStringLiteral("gehören"))
                .arg(m_session.year)
                .arg(left.size() == 1 ? QStringLiteral("wurde") : QStringLiteral("wurden")));
    const QDate today = platform::clock().now().date();
    const QVector<domain::LedgerWeek> ledger =
        domain::weekLedger(m_tables, store::Settings(m_tables.places().settingsFile()), today);
    const QDate week = domain::nextMissingWeek(ledger, reports, today);
    int year = 0;
    for (const domain::LedgerWeek &w : ledger)
        if (w.monday == week)
            year = w.trainingYear;
    createReportForWeek(week, year, activities);
}

void TMainForm::Ausbildungsnachweispruefen1Click()
{
    if (!m_pruefform) {
        // A window of its own: what a jump shows in the main window comes
        // to the front.
        m_pruefform = std::make_unique<Tpruefform>(m_tables, m_session);
        m_pruefform->openSheet = [this](qint64 sheet) { openSheet(sheet); };
        m_pruefform->showReportOfReports = [this](int year) {
            m_pageControl1->setCurrentIndex(2);
            m_reportOfReports->showTrainingYear(year);
            raise();
            activateWindow();
        };
        m_pruefform->openBasicData = [this] { Grunddaten1Click(); };
        m_pruefform->showWeek = [this](const QDate &monday) {
            if (m_wochenform)
                m_wochenform->showWeek(monday);
            updateReminder();
        };
        m_pruefform->openTrainingTimes = [this] {
            if (m_uebersichtdlg)
                m_uebersichtdlg->execute();
        };
    }
    // Open already, it checks again.
    if (m_pruefform->isVisible())
        m_pruefform->aktualisierenbtnClick();
    m_pruefform->setWindowState(m_pruefform->windowState() & ~Qt::WindowMinimized);
    m_pruefform->show();
    m_pruefform->raise();
    m_pruefform->activateWindow();
}

void TMainForm::openSheet(qint64 sheet)
{
    if (!m_berichtdlg)
        return;
    store::Table &reports = m_tables.berichttable();
    const store::ScopedView keep(reports);
    reports.cancelRange();
    reports.setFiltered(false);
    if (!reports.gotoBookmark(sheet)) {
        platform::messages().error(QStringLiteral("Dieses Blatt gibt es nicht mehr. Bitte klicken Sie auf "
                                                  "„Aktualisieren“."));
        return;
    }
    m_berichtdlg->openStored();
}
