#include "reporteditor.h"

#include "datepicker.h"
#include "fieldcheckdialog.h"
#include "followupdialog.h"
#include "followupsheet.h"
#include "sampledrag.h"

#include "controls/dbcontrols.h"
#include "domain/coveredparts.h"
#include "platform/clock.h"
#include "platform/filedialog.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "platform/pictureloader.h"
#include "print/backsheet.h"
#include "print/engine/previewinterface.h"
#include "print/frontsheet.h"
#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <cmath>

namespace field = store::field;

namespace {

// How often the typed texts of an open editor are saved for recovery.
constexpr int recoveryIntervalMs = 5000;
// How long after the last key the fit of the texts is measured.
constexpr int fitDelayMs = 300;

// Rounds halves to the even neighbour.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

Tberichtdlg::Tberichtdlg(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("berichtdlg"));
    setWindowTitle(QStringLiteral("Bericht bearbeiten"));
    platform::setHelpContext(this, platform::helpcontext::ReportEditor);

    m_berichtsource = new controls::DataSource(QStringLiteral("berichtsource"), &tables.berichttable(), this);
    m_tempsource = new controls::DataSource(QStringLiteral("tempsource"), &tables.temptable(), this);
    m_berichtdetailsource =
        new controls::DataSource(QStringLiteral("berichtdetailsource"), &tables.berichtdetailtable(), this);
    m_hintsource = new controls::DataSource(QStringLiteral("hintsource"), &tables.hinttable(), this);
    connect(&tables.berichttable(), &store::Table::afterPost, this, [this] {
        if (isVisible() && newReportMode())
            m_newReportStored = true;
    });
    // A change of a stored sheet through its controls first asks whether
    // the trainer's review may go.
    for (controls::DataSource *s : {m_berichtsource, m_berichtdetailsource})
        s->setChangeGate([this] { return mayChangeSheet(); });
    connect(&tables.berichttable(), &store::Table::afterScroll, this, [this] {
        if (isVisible())
            platform::guarded([this] { showReview(); });
    });

    m_kaldlg = new Tkaldlg(this);
    m_bernoclosedlg = new Tbernoclosedlg(this);
    m_folgedialog = new Tfolgedialog(m_berichtdetailsource, this);
    buildPages();
    m_sampleDrag = new SampleDrag(m_hintedit, m_taetigkeitedit, this);

    connect(m_seiten, &QTabWidget::currentChanged, this, [this](int) {
        platform::guarded([this] {
            const int leaving = m_page;
            m_page = m_seiten->currentIndex();
            seitenChanging(leaving);
            seitenChange();
        });
    });
    m_recoveryTimer = new QTimer(this);
    m_recoveryTimer->setObjectName(QStringLiteral("recoverytimer"));
    m_recoveryTimer->setInterval(recoveryIntervalMs);
    connect(m_recoveryTimer, &QTimer::timeout, this, &Tberichtdlg::writeRecovery);

    // The fit of the texts follows the typing a moment later, not at every
    // key.
    m_fitFront = new Tberichtform(tables, session, this);
    m_fitBack = new Tqrruecksform(tables, session, this);
    m_fitTimer = new QTimer(this);
    m_fitTimer->setObjectName(QStringLiteral("fittimer"));
    m_fitTimer->setSingleShot(true);
    m_fitTimer->setInterval(fitDelayMs);
    connect(m_fitTimer, &QTimer::timeout, this, [this] { platform::guarded([this] { updateFit(); }); });
    const auto later = [this] {
        if (isVisible())
            m_fitTimer->start();
    };
    for (controls::DBRichEdit *e : {m_taetigkeitedit, m_darstellungedit})
        connect(e, &QTextEdit::textChanged, this, later);
    connect(m_berichtsource, &controls::DataSource::dataChanged, this, later);
    for (controls::DataSource *items : {m_berichtdetailsource, m_tempsource})
        connect(items, &controls::DataSource::dataChanged, this, later);
    for (QSlider *slider : m_trackBar)
        connect(slider, &QSlider::valueChanged, this, later);

    // FormCreate
    m_seiten->setCurrentIndex(0);
    setItemSource(m_berichtdetailsource);
}

Tberichtdlg::~Tberichtdlg() = default;

store::Table &Tberichtdlg::report() const
{
    return m_tables.berichttable();
}

store::Table *Tberichtdlg::itemTable() const
{
    return m_detailgrid->dataSource() ? m_detailgrid->dataSource()->table() : nullptr;
}

// --- Modes ---

void Tberichtdlg::setItemSource(controls::DataSource *source)
{
    if (m_detailgrid->dataSource() == source)
        return;
    m_detailgrid->setDataSource(source);
    // Whichever table the list shows, moving in it refreshes the samples.
    for (controls::DataSource *s : {m_tempsource, m_berichtdetailsource})
        disconnect(s, &controls::DataSource::dataChanged, this, nullptr);
    connect(source, &controls::DataSource::dataChanged, this, [this] {
        if (isVisible())
            detailgridnichtClick();
    });
}

void Tberichtdlg::showCompositionItems()
{
    setItemSource(m_tempsource);
}

bool Tberichtdlg::newReportMode() const
{
    return m_detailgrid->dataSource() == m_tempsource;
}

void Tberichtdlg::setMode(Mode mode)
{
    const bool stored = mode == Mode::StoredReport;
    // A closed dialog keeps its item list: switching it while the new
    // report's items are being stored would rebuild the hidden list for each.
    if (mode != Mode::Closed)
        setItemSource(stored ? m_berichtdetailsource : m_tempsource);
    m_storedMode = stored;
    m_gesehencheck->setEnabled(stored);
    if (!stored)
        m_gesehenlabel->clear();
    m_navigator->setVisible(stored);
    m_folgeblattbtn->setEnabled(stored);
    m_vorschaubtn->setEnabled(stored);
    m_loeschbtn->setEnabled(mode == Mode::NewReport);
}

bool Tberichtdlg::openNew(const QDate &week)
{
    const auto back = qScopeGuard([this] { setMode(Mode::Closed); });
    setMode(Mode::NewReport);
    if (week.isValid())
        setWeek(week);
    else
        datumbtnClick();
    return platform::modalRunner().run(*this) == QDialog::Accepted;
}

bool Tberichtdlg::openStored()
{
    store::Table &reports = report();
    if (!reports.isOpen() || reports.isEmpty())
        return false;
    return openStored(reports.asInt(field::AJahr), reports.asInt(field::Nummer));
}

bool Tberichtdlg::openStored(int year, int number)
{
    store::Table &reports = report();
    // Declared before the mode's reset, so that the list is put back last.
    const store::ScopedView keep(reports);
    const auto back = qScopeGuard([this] { setMode(Mode::Closed); });
    setMode(Mode::StoredReport);
    // Moving between sheets and pages stores the sheet it leaves; "Abbrechen"
    // still gives the report back as it was opened, so every row is noted
    // before it is first written.
    store::Table &details = m_tables.berichtdetailtable();
    reports.keepBeforeImages();
    details.keepBeforeImages();
    const auto forget = qScopeGuard([&] {
        reports.dropBeforeImages();
        details.dropBeforeImages();
    });
    // The navigator steps through the sheets of this report only.
    reports.setFilter(QStringLiteral("ajahr=%1 and nummer=%2").arg(year).arg(number));
    reports.setFiltered(true);
    reports.gotoBookmark(keep.saved().row);
    return platform::modalRunner().run(*this) == QDialog::Accepted;
}

// --- Opening ---

void Tberichtdlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void Tberichtdlg::FormShow()
{
    m_newReportStored = false;
    m_sheetRemembered = false;
    // A wrong date typed at the last opening is not this report's.
    for (controls::DBEdit *e : {m_anfedit, m_endedit, m_datumedit})
        e->discardTyped();
    {
        // Selecting the page from the program is no page change of the user.
        const QSignalBlocker block(m_seiten);
        m_seiten->setCurrentIndex(0);
        m_page = 0;
    }
    setSlider(0, report().asInt(field::Zoom1));
    setSlider(1, report().asInt(field::Zoom2));
    m_bkmName->setText(m_session.trainerName);
    m_bkmName->adjustSize();
    m_stiftName->setText(m_session.apprenticeName);
    m_stiftName->adjustSize();
    m_scrollBox->verticalScrollBar()->setValue(0);
    checknavigator();
    detailgridnichtClick();
    m_reviewsAsOpened.clear();
    showReview();
    showStoredPictureSize(0);
    showStoredPictureSize(1);
    // The texts as opened are no change to recover.
    m_recoveryLast = recoverySheet();
    m_recoveryWritten = false;
    m_recoveryTimer->start();
    updateFit();
}

// --- Fit of the texts ---

void Tberichtdlg::showFit(QLabel *label, const forms::TextFit &fit, const QString &side)
{
    label->setText(fit.description(side));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, fit.fits() ? QColor(0, 110, 0) : QColor(180, 0, 0));
    label->setPalette(pal);
}

void Tberichtdlg::updateFit()
{
    m_fitTimer->stop();
    store::Table &rep = report();
    if (!rep.isOpen() || (rep.isEmpty() && !rep.isEditing()))
        return;
    // A new report's items are the composition until it is stored.
    m_fitFront->setItemTable(newReportMode() ? &m_tables.temptable() : nullptr);
    showFit(m_taetigkeitenPasst, m_fitFront->activitiesFit(m_taetigkeitedit->pendingText()),
            QStringLiteral("Vorderseite"));
    // The back sheet's pictures at the size they are shown here.
    for (int i = 0; i < 2; ++i)
        m_fitBack->setPictureDisplaySize(i, m_image[i]->size());
    showFit(m_darstellungPasst, m_fitBack->descriptionFit(m_darstellungedit->pendingText()),
            QStringLiteral("Rückseite"));
}

std::optional<domain::Activities> Tberichtdlg::activitiesToMove()
{
    const QString text = report().asString(field::Taetigkeit);
    m_fitFront->setItemTable(nullptr);
    const store::Table &details = m_tables.berichtdetailtable();
    const forms::TextFit fit = m_fitFront->activitiesFit(
        text, [&details](int row) { return details.valueAt(row, field::Verschieben).toBool(); });
    if (fit.over() <= 0 || fit.splitAt < 0)
        return std::nullopt;
    const QString question =
        QStringLiteral("Die Tätigkeiten sind %1 zu lang für die Vorderseite. Soll der Teil, der nicht mehr auf "
                       "die Seite passt, auf das Folgeblatt verschoben werden?")
            .arg(forms::linesText(fit.over()));
    if (platform::messages().confirmYesNo(question) != platform::Answer::Yes)
        return std::nullopt;
    const richtext::SplitText parts = richtext::split(text, fit.splitAt);
    return domain::Activities{QString::fromLatin1(parts.before), QString::fromLatin1(parts.after)};
}

void Tberichtdlg::checknavigator()
{
    store::Table &t = report();
    m_navigator->setEnabled(!(t.bof() && t.eof()));
}

void Tberichtdlg::detailgridnichtClick()
{
    store::Table *items = newReportMode() ? &m_tables.temptable() : &m_tables.berichtdetailtable();
    const int part = items->isOpen() ? items->asInt(field::Lfdnr) : 0;
    const int hint = items->isOpen() ? items->asInt(field::Hintid) : 0;
    store::Table &hints = m_tables.hinttable();
    const bool found = hints.isOpen() && hints.findKey({part, hint});
    m_hintedit->setVisible(found);
}

// --- Week dates ---

void Tberichtdlg::datumbtnClick()
{
    // The Monday of the current week; on a Sunday the following Monday.
    const QDate today = platform::clock().now().date();
    const int weekday = today.dayOfWeek() % 7 + 1; // 1 = Sunday ... 7 = Saturday
    m_kaldlg->setDate(today.addDays(2 - weekday));
    if (platform::modalRunner().run(*m_kaldlg) != QDialog::Accepted)
        return;
    setWeek(m_kaldlg->date());
}

void Tberichtdlg::setWeek(const QDate &monday)
{
    store::Table &t = report();
    if (monday != t.asDate(field::WocheVom) && !mayChangeSheet())
        return;
    t.edit();
    t.setValue(field::WocheVom, monday);
    t.setValue(field::WocheBis, monday.addDays(4));
    t.setValue(field::Datum, monday.addDays(4));
}

// --- Save guard and sheets ---

void Tberichtdlg::checkspeichern()
{
    store::Table &temp = m_tables.temptable();
    store::Table &rep = report();
    if (!temp.isEditing() && !rep.isEditing())
        return;
    const auto answer =
        platform::messages().confirmYesNo(QStringLiteral("Diese Funktion erfordert ein Abspeichern des Berichtes. "
                                                         "Jetzt speichern? (Änderungen werden "
                                                         "ansonsten verworfen!)"));
    if (answer == platform::Answer::Yes) {
        if (temp.isEditing())
            temp.post();
        if (rep.isEditing())
            rep.post();
        storedOnPurpose();
    } else {
        temp.cancel();
        // A new report that was never stored stays pending: dropping it
        // here would leave the dialog on some other stored report, and OK
        // would then give that one the new report's items.
        if (rep.state() != store::TableState::Insert)
            rep.cancel();
    }
}

void Tberichtdlg::storedOnPurpose()
{
    // What the apprentice chose to store stays stored, also after "Abbrechen",
    // and so does the review it took away.
    m_reviewsAsOpened.clear();
    for (store::Table *t : {&report(), &m_tables.berichtdetailtable()})
        if (t->keepsBeforeImages())
            t->keepBeforeImages();
}

bool Tberichtdlg::storedSinceOpening() const
{
    return report().hasBeforeImages() || m_tables.berichtdetailtable().hasBeforeImages();
}

void Tberichtdlg::putBackAsOpened()
{
    if (!storedSinceOpening())
        return;
    store::Transaction transaction(m_tables);
    m_tables.berichtdetailtable().putBackBeforeImages();
    report().putBackBeforeImages();
    transaction.commit();
}

// --- Current rich-text field ---

void Tberichtdlg::memoEnter(controls::DBRichEdit *edit)
{
    m_currentRichEdit = edit;
    report().edit();
    // The samples are only read: their text is never written back.
    if (edit != m_hintedit)
        edit->setModified(true);
}

void Tberichtdlg::anfeditEnter()
{
    m_currentRichEdit = nullptr;
}

bool Tberichtdlg::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_scrollBox->parentWidget())
            m_scrollBox->resize(m_scrollBox->width(), static_cast<QResizeEvent *>(event)->size().height());
        break;
    case QEvent::FocusIn:
        if (auto *rich = qobject_cast<controls::DBRichEdit *>(watched))
            platform::guarded([this, rich] { memoEnter(rich); });
        else if (qobject_cast<QSlider *>(watched))
            platform::guarded([this] { report().edit(); }); // the zoom is stored with the report
        else if (watched != m_detailgrid && qobject_cast<QWidget *>(watched))
            anfeditEnter();
        break;
    case QEvent::Wheel:
        if (watched == m_scrollBox->viewport()) {
            ScrollBox1MouseWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void Tberichtdlg::ScrollBox1MouseWheel(int delta)
{
    QScrollBar *bar = m_scrollBox->verticalScrollBar();
    bar->setValue(bar->value() - delta / 10);
}

// --- Deleting a plan item ---

void Tberichtdlg::loeschbtnClick()
{
    store::Table *items = itemTable();
    QStringList lines;
    if (QWidget *panel = m_detailgrid->currentPanel())
        if (auto *memo = panel->findChild<controls::DBMemo *>(QStringLiteral("detailmemo")))
            lines = memo->displayLines();
    while (lines.size() < 2)
        lines << QString();
    const QString question = QStringLiteral("Wollen Sie wirklich \n\n") + lines[0] + QStringLiteral("\n ") + lines[1]
                             + QStringLiteral("\n\nlöschen?");
    if (platform::messages().confirmYesNo(question) != platform::Answer::Yes)
        return;
    if (!items || !items->isOpen() || items->isEmpty())
        return; // nothing to delete: ignored
    try {
        items->cancel();
        items->remove();
    } catch (const std::exception &) {
        // a failed deletion is ignored
    }
    const int pos = items->recNo();
    store::Table &rep = report();
    rep.edit();
    domain::writeCoveredParts(rep, domain::coveredParts(m_tables.temptable(), domain::PartRows::Composition));
    if (pos >= 0)
        items->moveTo(std::min(pos, items->recordCount() - 1));
}

// --- Sample text dragged into the activities ---

void Tberichtdlg::hinteditMouseDown(Qt::MouseButton button)
{
    m_sampleDrag->press(button);
}

bool Tberichtdlg::taetigkeiteditDragOver(const QPoint &pos, QObject *source)
{
    return m_sampleDrag->dragOver(pos, source);
}

void Tberichtdlg::taetigkeiteditDragDrop(const QPoint &pos, QObject *source)
{
    m_sampleDrag->drop(pos, source);
}

// --- Pages ---

void Tberichtdlg::seitenChanging(int leaving)
{
    store::Table &rep = report();
    rep.edit();
    rep.setValue(field::Zoom1, m_trackBar[0]->value());
    rep.setValue(field::Zoom2, m_trackBar[1]->value());
    if (m_vorschaubtn->isEnabled() && leaving == 0) {
        m_rememberedSheet = rep.bookmark();
        m_sheetRemembered = true;
    }
}

void Tberichtdlg::seitenChange()
{
    m_pictureArea[0]->verticalScrollBar()->setValue(0);
    for (int i = 0; i < 2; ++i)
        setSlider(i, std::max(5, roundEven(m_image[i]->width() / 9.0)));
    if (!m_vorschaubtn->isEnabled())
        return;
    store::Table &rep = report();
    if (m_seiten->currentIndex() != 0) {
        rep.first();
    } else if (m_sheetRemembered) {
        rep.gotoBookmark(m_rememberedSheet);
        m_sheetRemembered = false;
    }
}

// --- Previews and follow-up sheet ---

void Tberichtdlg::setPrintForms(Tberichtform *front, Tqrruecksform *back)
{
    m_berichtform = front;
    m_qrruecksform = back;
}

void Tberichtdlg::vorschaubtnClick()
{
    // The sheet prints as it stands on the screen, without being stored:
    // the formatted fields hand their text to the row's edit buffer.
    m_taetigkeitedit->flush();
    m_vermerkeedit->flush();
    if (m_berichtform)
        engine::preview(m_berichtform->QuickRep1(), engine::PrintKind::FrontSheet);
}

void Tberichtdlg::ruecksformvorschauClick()
{
    checkspeichern();
    if (!m_qrruecksform)
        return;
    // The pictures print at the size they are shown here.
    for (int i = 0; i < 2; ++i)
        m_qrruecksform->setPictureDisplaySize(i, m_image[i]->size());
    engine::preview(m_qrruecksform->QuickRep(), engine::PrintKind::BackSheet);
}

void Tberichtdlg::folgeblattbtnClick()
{
    // The sheet gives rows or text to its follow-up sheet.
    if (!mayChangeSheet())
        return;
    checkspeichern();
    // The follow-up sheet and the marks of its choice are stored on purpose,
    // however the choice ends.
    const auto onPurpose = qScopeGuard([this] { storedOnPurpose(); });
    store::Table &rep = report();
    const store::Table::Bookmark onScreen = rep.bookmark();
    const bool chosen = platform::modalRunner().run(*m_folgedialog) == QDialog::Accepted;
    // The mark of the row the choice ended on is stored with the others.
    store::Table &details = m_tables.berichtdetailtable();
    if (details.isEditing())
        details.post();
    // Activities too long for the sheet may take the follow-up sheet's
    // activities with it. Nothing marked and nothing moved: the report
    // stays as it is.
    const std::optional<domain::Activities> moving = chosen ? activitiesToMove() : std::nullopt;
    if (rep.isEditing())
        rep.post();
    const qint64 added =
        chosen ? domain::addFollowUpSheet(m_tables, rep.value(field::BerLfd).toLongLong(), moving ? &*moving : nullptr)
               : 0;
    if (added)
        rep.gotoBookmark(added); // the new sheet comes on screen
    // A follow-up sheet with nothing on it goes: the new one when it
    // received no rows, or the one on screen after a cancelled choice.
    const bool removed = (added != 0 || !chosen) && followup::isEmptyFollowUp(m_tables);
    if (removed) {
        rep.remove();
        if (added)
            rep.gotoBookmark(onScreen);
    }
    checknavigator();
}

// --- Closing ---

void Tberichtdlg::keyPressEvent(QKeyEvent *event)
{
    // Escape is the delete button's key while that button is enabled, and
    // does nothing otherwise.
    if (event->key() == Qt::Key_Escape) {
        if (m_loeschbtn->isEnabled())
            m_loeschbtn->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tberichtdlg::done(int result)
{
    bool close = false;
    platform::guarded([&] { close = FormClose(result); });
    if (close) {
        if (result != QDialog::Accepted)
            platform::guarded([this] { putBackReviews(); });
        m_reviewsAsOpened.clear();
        // Closed normally, by OK or by Cancel: nothing is left to recover.
        m_recoveryTimer->stop();
        m_fitTimer->stop();
        recovery::remove(m_tables.places().recoveryFile());
        m_recoveryWritten = false;
        QDialog::done(result);
    }
}

// --- Recovery of typed texts ---

recovery::Sheet Tberichtdlg::recoverySheet() const
{
    recovery::Sheet sheet;
    store::Table &rep = report();
    if (!rep.isOpen() || (rep.isEmpty() && !rep.isEditing()))
        return sheet;
    // A new report's row is not stored until its creation commits, even
    // when it was posted while the dialog was open.
    sheet.stored = !newReportMode();
    sheet.berLfd = sheet.stored ? rep.value(field::BerLfd).toLongLong() : 0;
    sheet.year = rep.asInt(field::AJahr);
    sheet.number = rep.asInt(field::Nummer);
    sheet.sheet = rep.asInt(field::Blatt);
    const auto text = [](const QVariant &v) {
        return v.isNull() || !v.isValid() || v.toString().isEmpty() ? QVariant() : v;
    };
    for (const QString &name : {field::WocheVom, field::WocheBis, field::Datum, field::Thema})
        sheet.texts[name] = text(rep.value(name));
    sheet.texts[field::Taetigkeit] = text(m_taetigkeitedit->pendingText());
    sheet.texts[field::Vermerke] = text(m_vermerkeedit->pendingText());
    sheet.texts[field::Darstellung] = text(m_darstellungedit->pendingText());
    return sheet;
}

void Tberichtdlg::writeRecovery()
{
    if (!isVisible())
        return;
    try {
        const recovery::Sheet now = recoverySheet();
        // A stored report's sheet that is not being edited holds what the
        // editor shows; a new report is unsaved until the dialog's OK.
        if (!newReportMode() && !report().isEditing()) {
            m_recoveryLast = now;
            if (m_recoveryWritten)
                recovery::remove(m_tables.places().recoveryFile());
            m_recoveryWritten = false;
            return;
        }
        if (now == m_recoveryLast)
            return;
        if (recovery::write(now, m_tables.places().recoveryFile())) {
            m_recoveryLast = now;
            m_recoveryWritten = true;
        }
    } catch (const std::exception &) {
        // A failed write is tried again at the next tick; the editing goes on.
    }
}

bool Tberichtdlg::FormClose(int result)
{
    store::Table &rep = report();
    if (result == QDialog::Accepted) {
        rep.edit();
        rep.setValue(field::Zoom1, m_trackBar[0]->value());
        rep.setValue(field::Zoom2, m_trackBar[1]->value());
        // The week dates as typed: storing the row shows what it holds.
        const bool startFailed = !controls::parseDate(m_anfedit->text()).isValid();
        const bool endFailed = !controls::parseDate(m_endedit->text()).isValid();
        rep.post();
        if (startFailed || endFailed) {
            m_bernoclosedlg->showFields(startFailed, endFailed);
            platform::modalRunner().run(*m_bernoclosedlg);
            return false;
        }
        // The report's date was stored as it was: what was typed is no date.
        if (m_datumedit->hasInvalidDate()) {
            platform::messages().error(QStringLiteral("Im Feld „Datum“ steht kein gültiges Datum: „%1“. Bitte geben "
                                                      "Sie es als TT.MM.JJJJ ein.")
                                           .arg(m_datumedit->text()));
            m_datumedit->setFocus();
            return false;
        }
        return true;
    }
    store::Table *items = itemTable();
    // A new report stored before (OK with a bad week date, or the save
    // guard) is still a new report: cancelling it discards it as a whole.
    // A stored report goes back to what it was when the dialog opened, also
    // where a page change, the navigator or a refused OK stored it since.
    // A date typed wrong is a change too, though never stored.
    const bool pending = rep.isEditing() || (items && items->isEditing()) || (newReportMode() && m_newReportStored)
                         || storedSinceOpening() || m_anfedit->hasInvalidDate() || m_endedit->hasInvalidDate()
                         || m_datumedit->hasInvalidDate();
    if (!pending)
        return true;
    if (platform::messages().confirmYesNo(QStringLiteral("Wollen Sie wirklich abbrechen und die Änderungen verwerfen?"))
        != platform::Answer::Yes)
        return false;
    if (items)
        items->cancel();
    rep.cancel();
    putBackAsOpened();
    return true;
}
