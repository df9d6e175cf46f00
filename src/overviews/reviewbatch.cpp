#include "reviewbatch.h"

#include "platform/clock.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "store/session.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString dayText(const QDate &day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

Tgesehendlg::Tgesehendlg(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("gesehendlg"));
    platform::setHelpContext(this, platform::helpcontext::Review);
    setWindowTitle(QStringLiteral("Berichte als gesehen markieren"));
    resize(560, 460);

    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("jahrwahl"));
    for (int year = 1; year <= 3; ++year)
        m_year->addItem(QStringLiteral("%1. Ausbildungsjahr").arg(year), year);
    m_from = new QSpinBox(this);
    m_from->setObjectName(QStringLiteral("vonspin"));
    m_to = new QSpinBox(this);
    m_to->setObjectName(QStringLiteral("bisspin"));
    auto *range = new QHBoxLayout;
    range->addWidget(m_from);
    auto *until = new QLabel(QStringLiteral("&bis Nr."), this);
    until->setBuddy(m_to);
    range->addWidget(until);
    range->addWidget(m_to);
    range->addStretch();

    auto *form = new QFormLayout;
    auto *yearLabel = new QLabel(QStringLiteral("&Ausbildungsjahr:"), this);
    yearLabel->setBuddy(m_year);
    auto *fromLabel = new QLabel(QStringLiteral("Berichte &von Nr."), this);
    fromLabel->setBuddy(m_from);
    form->addRow(yearLabel, m_year);
    form->addRow(fromLabel, range);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("gesehenliste"));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHeaderLabels(
        {QStringLiteral("Nr."), QStringLiteral("Blatt"), QStringLiteral("Woche"), QStringLiteral("gesehen")});
    m_list->setAccessibleName(QStringLiteral("Blätter, die als gesehen markiert werden"));
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("anzahllabel"));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_count);
    layout->addWidget(m_buttons);

    connect(m_year, &QComboBox::currentIndexChanged, this, [this] { platform::guarded([this] { yearChanged(); }); });
    for (QSpinBox *box : {m_from, m_to})
        connect(box, &QSpinBox::valueChanged, this, [this] { showRange(); });
}

void Tgesehendlg::load()
{
    m_reports = domain::reportWeeks(m_tables);
    m_reviews = domain::reviews(m_tables);
    const int year = m_session.year >= 1 && m_session.year <= 3 ? m_session.year : 1;
    if (m_year->currentIndex() == year - 1)
        yearChanged();
    else
        m_year->setCurrentIndex(year - 1); // applies itself
}

void Tgesehendlg::yearChanged()
{
    const int year = m_year->currentData().toInt();
    int first = 0, last = 0;
    for (const domain::ReportWeeks &r : std::as_const(m_reports)) {
        if (r.year != year)
            continue;
        first = first ? std::min(first, r.number) : r.number;
        last = std::max(last, r.number);
    }
    {
        const QSignalBlocker blockFrom(m_from), blockTo(m_to);
        for (QSpinBox *box : {m_from, m_to})
            box->setRange(first, last);
        m_from->setValue(first);
        m_to->setValue(last);
    }
    showRange();
}

void Tgesehendlg::showRange()
{
    const int year = m_year->currentData().toInt();
    const int from = m_from->value(), to = m_to->value();
    m_list->clear();
    m_toMark.clear();
    int seen = 0;
    for (const domain::ReportWeeks &r : std::as_const(m_reports)) {
        if (r.year != year || r.number < from || r.number > to)
            continue;
        const QString week = r.from.isValid()
                                 ? domain::weekLabel(domain::mondayOf(r.from)) + QStringLiteral(" (") + dayText(r.from)
                                       + QStringLiteral(" – ") + dayText(r.to) + QLatin1Char(')')
                                 : QStringLiteral("keine Woche");
        for (int i = 0; i < r.sheets.size(); ++i) {
            const domain::Review review = m_reviews.value(r.sheets[i]);
            QString state;
            if (review.isSeen()) {
                state = QStringLiteral("bereits am %1").arg(dayText(review.seen));
                ++seen;
            } else {
                state = review.changedAfterReview()
                            ? QStringLiteral("nein (geändert am %1)").arg(dayText(review.changedAfter))
                            : QStringLiteral("nein");
                m_toMark << r.sheets[i];
            }
            auto *line = new QTreeWidgetItem(m_list, {QString::number(r.number), QString::number(i + 1), week, state});
            line->setData(0, Qt::UserRole, r.sheets[i]);
        }
    }
    QString text = m_toMark.size() == 1
                       ? QStringLiteral("1 Blatt wird als gesehen markiert.")
                       : QStringLiteral("%1 Blätter werden als gesehen markiert.").arg(m_toMark.size());
    if (seen > 0)
        text += QStringLiteral(" %1 %2 bereits gesehen.")
                    .arg(seen)
                    .arg(seen == 1 ? QStringLiteral("Blatt ist") : QStringLiteral("Blätter sind"));
    m_count->setText(text);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_toMark.isEmpty());
}

void Tgesehendlg::done(int result)
{
    if (result == QDialog::Accepted) {
        if (m_toMark.isEmpty())
            return;
        const QString trainer = m_session.trainerName.trimmed();
        if (trainer.isEmpty()
            && platform::messages().confirmYesCancel(
                   QStringLiteral("In den Grunddaten ist kein Name des Ausbildenden eingetragen. Sollen die Berichte "
                                  "trotzdem ohne Namen als gesehen markiert werden?"))
                   != platform::Answer::Yes)
            return;
        bool marked = false;
        platform::guarded([&] {
            domain::markSeen(m_tables, m_toMark, platform::clock().now().date(), trainer);
            marked = true;
        });
        if (!marked)
            return;
    }
    QDialog::done(result);
}
