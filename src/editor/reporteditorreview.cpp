// The report editor's review of a sheet: "vom Ausbildenden gesehen", and the
// question before a seen sheet is changed.

#include "reporteditor.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QCheckBox>
#include <QLabel>
#include <QScopeGuard>

namespace field = store::field;
qint64 Tberichtdlg::sheetOnScreen() const
{
    const store::Table &rep = report();
    if (!m_storedMode || !rep.isOpen() || rep.isEmpty() || rep.state() == store::TableState::Insert)
        return 0;
    return rep.value(field::BerLfd).toLongLong();
}

void Tberichtdlg::showReview()
{
    const qint64 sheet = sheetOnScreen();
    m_review = sheet ? domain::reviewOf(m_tables, sheet) : domain::Review{};
    m_review.sheet = sheet;
    const QSignalBlocker block(m_gesehencheck);
    m_gesehencheck->setChecked(m_review.isSeen());
    QString text;
    if (m_review.isSeen()) {
        text = QStringLiteral("gesehen am %1").arg(m_review.seen.toString(QStringLiteral("dd.MM.yyyy")));
        if (!m_review.trainer.isEmpty())
            text += QStringLiteral(" von ") + m_review.trainer;
    } else if (m_review.changedAfterReview()) {
        text = QStringLiteral("geändert nach Durchsicht am %1")
                   .arg(m_review.changedAfter.toString(QStringLiteral("dd.MM.yyyy")));
    }
    m_gesehenlabel->setText(text);
}

void Tberichtdlg::gesehencheckClick(bool checked)
{
    const qint64 sheet = sheetOnScreen();
    const auto shown = qScopeGuard([this] { showReview(); });
    if (!sheet)
        return;
    if (checked) {
        const QString trainer = m_session.trainerName.trimmed();
        if (trainer.isEmpty()
            && platform::messages().confirmYesCancel(
                   QStringLiteral("In den Grunddaten ist kein Name des Ausbildenden eingetragen. Soll der Bericht "
                                  "trotzdem ohne Namen als gesehen markiert werden?"))
                   != platform::Answer::Yes)
            return;
        domain::markSeen(m_tables, {sheet}, platform::clock().now().date(), trainer);
    } else {
        if (platform::messages().confirmYesNo(
                QStringLiteral("Soll die Markierung „vom Ausbildenden gesehen“ dieses Berichts entfernt werden?"))
            != platform::Answer::Yes)
            return;
        domain::unmarkSeen(m_tables, {sheet});
    }
    // Set or taken back on purpose: "Abbrechen" leaves it so.
    m_reviewsAsOpened.remove(sheet);
}

bool Tberichtdlg::mayChangeSheet()
{
    const qint64 sheet = sheetOnScreen();
    if (!sheet)
        return true;
    if (m_review.sheet != sheet)
        showReview();
    if (!m_review.isSeen())
        return true;
    if (platform::messages().confirmYesNo(
            QStringLiteral("Dieser Bericht wurde vom Ausbildenden bereits gesehen. Wenn Sie ihn ändern, wird die "
                           "Markierung „gesehen“ entfernt. Trotzdem ändern?"))
        != platform::Answer::Yes)
        return false;
    if (!m_reviewsAsOpened.contains(sheet))
        m_reviewsAsOpened.insert(sheet, m_review);
    domain::recordChangeAfterReview(m_tables, sheet, platform::clock().now().date());
    showReview();
    return true;
}

void Tberichtdlg::putBackReviews()
{
    // The sheets are back as they were opened: so are their reviews.
    const QHash<qint64, domain::Review> reviews = std::exchange(m_reviewsAsOpened, {});
    for (auto it = reviews.cbegin(); it != reviews.cend(); ++it)
        domain::markSeen(m_tables, {it.key()}, it->seen, it->trainer);
}
