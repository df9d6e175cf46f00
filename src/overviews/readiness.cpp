#include "readiness.h"

#include "domain/fingerprint.h"
#include "platform/clock.h"
#include "platform/filedialog.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "print/engine/document.h"
#include "print/engine/previewinterface.h"
#include "print/engine/report.h"
#include "print/readinessprint.h"
#include "print/sheetfit.h"
#include "richtext/rtf.h"
#include "store/session.h"
#include "store/settings.h"
#include "store/tableset.h"

#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

using domain::Defect;

namespace {

// A kind counted in the summary: "1 fehlende Woche", "7 fehlende Wochen".
QString countText(Defect::Kind kind, int n)
{
    const auto say = [n](const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
    };
    switch (kind) {
    case Defect::Kind::BasicData:
        return say("fehlende Angabe der Grunddaten", "fehlende Angaben der Grunddaten");
    case Defect::Kind::MissingWeek:
        return say("fehlende Woche", "fehlende Wochen");
    case Defect::Kind::WeekConflict:
        return say("doppelt belegte Woche", "doppelt belegte Wochen");
    case Defect::Kind::NoWeek:
        return say("Blatt ohne Woche oder Datum", "Blätter ohne Woche oder Datum");
    case Defect::Kind::NoActivities:
        return say("Blatt ohne Tätigkeiten", "Blätter ohne Tätigkeiten");
    case Defect::Kind::NotReviewed:
        return say("Blatt nicht vom Ausbildenden gesehen", "Blätter nicht vom Ausbildenden gesehen");
    case Defect::Kind::ChangedAfterReview:
        return say("Blatt nach der Durchsicht geändert", "Blätter nach der Durchsicht geändert");
    case Defect::Kind::TextOverflow:
        return say("Blatt mit zu langem Text", "Blätter mit zu langem Text");
    case Defect::Kind::BelowTarget:
        return say("Planpunkt unter dem Soll", "Planpunkte unter dem Soll");
    case Defect::Kind::ChangedSincePdf:
        return QStringLiteral("Änderungen seit der letzten PDF-Datei");
    }
    return QString::number(n);
}

constexpr Defect::Kind kindsInOrder[] = {
    Defect::Kind::BasicData,          Defect::Kind::MissingWeek,  Defect::Kind::WeekConflict,
    Defect::Kind::NoWeek,             Defect::Kind::NoActivities, Defect::Kind::NotReviewed,
    Defect::Kind::ChangedAfterReview, Defect::Kind::TextOverflow, Defect::Kind::BelowTarget,
    Defect::Kind::ChangedSincePdf,
};

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    // Enter in the list jumps; no button takes it.
    b->setAutoDefault(false);
    return b;
}

} // namespace

Tpruefform::Tpruefform(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session), m_printForm(std::make_unique<Tqrpruefform>())
{
    setObjectName(QStringLiteral("pruefform"));
    platform::setHelpContext(this, platform::helpcontext::Readiness);
    setWindowTitle(QStringLiteral("Ausbildungsnachweis prüfen"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(960, 560);

    auto *column = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("ergebnislabel"));
    m_summary->setWordWrap(true);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);
    column->addWidget(m_summary);

    m_list = new QTableWidget(0, 3, this);
    m_list->setObjectName(QStringLiteral("maengelliste"));
    m_list->setAccessibleName(QStringLiteral("Mängel"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Art"), QStringLiteral("Wo"), QStringLiteral("Mangel")});
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTabKeyNavigation(false);
    m_list->setWordWrap(true);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setColumnWidth(0, 180);
    m_list->setColumnWidth(1, 250);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->installEventFilter(this);
    m_summary->setBuddy(m_list);
    column->addWidget(m_list, 1);

    auto *row = new QHBoxLayout;
    m_springen = button(this, "springenbtn", QStringLiteral("&Springen"));
    m_springen->setToolTip(QStringLiteral("Öffnet, wo sich der gewählte Mangel beheben lässt (auch Doppelklick oder "
                                          "Eingabetaste in der Liste)"));
    m_drucken = button(this, "druckenbtn", QStringLiteral("&Drucken..."));
    m_pdf = button(this, "pdfbtn", QStringLiteral("Als &PDF speichern..."));
    m_aktualisieren = button(this, "aktualisierenbtn", QStringLiteral("&Aktualisieren"));
    QPushButton *close = button(this, "schliessenbtn", QStringLiteral("S&chließen"));
    for (QPushButton *b : {m_springen, m_drucken, m_pdf, m_aktualisieren})
        row->addWidget(b);
    row->addStretch();
    row->addWidget(close);
    column->addLayout(row);

    connect(m_springen, &QPushButton::clicked, this, [this] { platform::guarded([this] { springenbtnClick(); }); });
    connect(m_drucken, &QPushButton::clicked, this, [this] { platform::guarded([this] { druckenbtnClick(); }); });
    connect(m_pdf, &QPushButton::clicked, this, [this] { platform::guarded([this] { pdfbtnClick(); }); });
    connect(m_aktualisieren, &QPushButton::clicked, this,
            [this] { platform::guarded([this] { aktualisierenbtnClick(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTableWidget::doubleClicked, this, [this] { platform::guarded([this] { springenbtnClick(); }); });
    connect(m_list, &QTableWidget::currentCellChanged, this, [this] { updateButtons(); });
    updateButtons();
}

Tpruefform::~Tpruefform() = default;

void Tpruefform::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { aktualisierenbtnClick(); });
}

bool Tpruefform::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            platform::guarded([this] { springenbtnClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString Tpruefform::summaryText(const QVector<Defect> &defects)
{
    if (defects.isEmpty())
        return QStringLiteral("Keine Mängel gefunden – der Ausbildungsnachweis ist vollständig.");
    QStringList parts;
    for (Defect::Kind kind : kindsInOrder) {
        const auto n = std::count_if(defects.begin(), defects.end(), [kind](const Defect &d) { return d.kind == kind; });
        if (n > 0)
            parts << countText(kind, int(n));
    }
    QString counted = parts.takeLast();
    if (!parts.isEmpty())
        counted = parts.join(QStringLiteral(", ")) + QStringLiteral(" und ") + counted;
    return QStringLiteral("%1 %2: %3")
        .arg(defects.size())
        .arg(defects.size() == 1 ? QStringLiteral("Mangel") : QStringLiteral("Mängel"), counted);
}

void Tpruefform::aktualisierenbtnClick()
{
    // Measuring every sheet's texts takes a moment with years of reports.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto cursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    m_checked = platform::clock().now().date();
    if (!m_fits)
        m_fits = std::make_unique<forms::SheetFits>(m_tables, m_session);
    const QSet<qint64> overflowing = m_fits->overflowing();
    const store::Settings settings(m_tables.places().settingsFile());
    domain::TextChecks checks;
    checks.overflows = [&overflowing](qint64 sheet) { return overflowing.contains(sheet); };
    checks.plainText = &richtext::toPlainText;
    m_defects = domain::checkRecord(m_tables, settings, m_checked, m_session.year, checks);
    // A PDF that is still current is said too; a stale one is a defect.
    const domain::RecordExport pdf = domain::lastRecordExport(settings);
    const bool stale = std::any_of(m_defects.begin(), m_defects.end(),
                                   [](const Defect &d) { return d.kind == Defect::Kind::ChangedSincePdf; });
    m_pdfNote = pdf.isValid() && !stale
                    ? QStringLiteral("Seit der PDF-Datei vom %1 unverändert.")
                          .arg(pdf.written.toString(QStringLiteral("dd.MM.yyyy")))
                    : QString();
    fillList();
}

void Tpruefform::fillList()
{
    // The list keeps its place, so that after mending one defect the next
    // is at hand.
    const int keep = m_list->currentRow();
    m_summary->setText(m_pdfNote.isEmpty() ? summaryText(m_defects)
                                           : summaryText(m_defects) + QLatin1Char(' ') + m_pdfNote);
    m_list->setRowCount(0);
    m_list->setRowCount(int(m_defects.size()));
    for (int r = 0; r < m_defects.size(); ++r) {
        const Defect &d = m_defects.at(r);
        const QString cells[] = {domain::kindText(d.kind), d.place, d.text};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            m_list->setItem(r, c, item);
        }
    }
    m_list->resizeRowsToContents();
    if (!m_defects.isEmpty())
        m_list->setCurrentCell(std::clamp(keep, 0, int(m_defects.size()) - 1), 0);
    updateButtons();
}

void Tpruefform::updateButtons()
{
    const int row = m_list->currentRow();
    m_springen->setEnabled(row >= 0 && row < m_defects.size() && jumpOf(m_defects.at(row)));
    m_drucken->setEnabled(m_checked.isValid());
    m_pdf->setEnabled(m_checked.isValid());
}

std::function<void()> Tpruefform::jumpOf(const Defect &d) const
{
    // After a dialog that may have changed the record, the list is found
    // anew.
    const auto thenRefresh = [this](const std::function<void()> &open) -> std::function<void()> {
        if (!open)
            return {};
        return [self = const_cast<Tpruefform *>(this), open] {
            open();
            if (!self->isVisible())
                return;
            // The check comes back to the front, where the user left it.
            self->raise();
            self->activateWindow();
            self->aktualisierenbtnClick();
        };
    };
    switch (d.kind) {
    case Defect::Kind::MissingWeek:
    case Defect::Kind::WeekConflict:
        if (!showWeek || !d.week.isValid())
            return {};
        return [this, week = d.week] { showWeek(week); };
    case Defect::Kind::NoWeek:
    case Defect::Kind::NoActivities:
    case Defect::Kind::NotReviewed:
    case Defect::Kind::ChangedAfterReview:
    case Defect::Kind::TextOverflow:
        if (!openSheet || d.sheet <= 0)
            return {};
        return thenRefresh([this, sheet = d.sheet] { openSheet(sheet); });
    case Defect::Kind::BelowTarget:
        if (!showReportOfReports || d.year < 1 || d.year > 3)
            return {};
        return [this, year = d.year] { showReportOfReports(year); };
    case Defect::Kind::ChangedSincePdf:
        // Nothing to mend in the record: the PDF is to be saved again.
        return {};
    case Defect::Kind::BasicData:
        // The dates of the training years are kept in the training-time
        // overview, everything else in the basic data.
        return thenRefresh(d.year > 0 ? openTrainingTimes : openBasicData);
    }
    return {};
}

void Tpruefform::springenbtnClick()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_defects.size())
        return;
    if (const std::function<void()> jump = jumpOf(m_defects.at(row)))
        jump();
}

void Tpruefform::preparePrint()
{
    m_printForm->setContents(&m_defects, m_session.apprenticeName, m_checked, summaryText(m_defects));
}

void Tpruefform::druckenbtnClick()
{
    preparePrint();
    engine::preview(m_printForm->report(), engine::PrintKind::RecordCheck);
}

void Tpruefform::pdfbtnClick()
{
    const QString suggested =
        QStringLiteral("Pruefung Ausbildungsnachweis %1.pdf").arg(m_checked.toString(Qt::ISODate));
    const QString fileName = platform::getSaveFileName(this, QStringLiteral("Prüfung als PDF-Datei speichern"),
                                                       suggested, QStringLiteral("PDF-Dateien (*.pdf)"));
    if (fileName.isEmpty())
        return;
    preparePrint();
    engine::Document document;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto cursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        document = m_printForm->report().render();
    }
    try {
        if (!engine::exportPdf(document, fileName))
            throw engine::FileError(QStringLiteral("Die PDF-Datei „%1“ wurde nicht geschrieben. Bitte versuchen Sie es noch einmal.")
                                        .arg(QDir::toNativeSeparators(fileName)));
    } catch (const engine::FileError &e) {
        platform::messages().error(e.message());
        return;
    }
    platform::messages().information(QStringLiteral("Die Prüfung ist als „%1“ gespeichert.")
                                         .arg(QDir::toNativeSeparators(fileName)));
}
