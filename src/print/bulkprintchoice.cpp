#include "bulkprint.h"

#include "backsheet.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>

// The choice of sheets: ticking the lines, the order and layout of the
// ticked sheets and what they take on paper.

std::vector<Tdrauswdlg::RunSheet> Tdrauswdlg::tickedSheets(std::vector<store::Table::Bookmark> *rows) const
{
    std::vector<RunSheet> sheets;
    std::vector<store::Table::Bookmark> marks;
    for (QListWidget *list : {m_front, m_back}) {
        const bool back = list == m_back;
        const std::vector<qint64> &lineRows = back ? m_backRows : m_frontRows;
        const std::vector<LineKey> &keys = back ? m_backKeys : m_frontKeys;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->checkState() != Qt::Checked)
                continue;
            const LineKey &key = keys[size_t(i)];
            RunSheet s;
            s.year = key.year;
            s.number = key.number;
            s.back = back;
            s.file = sheetFileName(s.year, s.number, back, key.blatt);
            sheets.push_back(s);
            marks.push_back(lineRows[size_t(i)]);
        }
    }
    // The order of the merged document: the names, compared without regard
    // to case.
    std::vector<size_t> order(sheets.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return sheets[a].file.compare(sheets[b].file, Qt::CaseInsensitive) < 0;
    });
    std::vector<RunSheet> sorted;
    std::vector<store::Table::Bookmark> sortedMarks;
    for (size_t i : order) {
        sorted.push_back(sheets[i]);
        sortedMarks.push_back(marks[i]);
    }
    if (rows)
        *rows = std::move(sortedMarks);
    return sorted;
}

std::vector<Tdrauswdlg::Piece> Tdrauswdlg::layout(const std::vector<RunSheet> &sheets, bool twoSided)
{
    std::vector<Piece> pieces;
    int pages = 0;
    const auto add = [&](const Piece &p) {
        pieces.push_back(p);
        pages += p.sheet < 0 ? 1 : p.last - p.first + 1;
    };
    for (size_t start = 0; start < sheets.size();) {
        // The sheets of one report follow each other: its front sheets, then
        // its back sheet.
        size_t end = start;
        while (end < sheets.size() && sheets[end].year == sheets[start].year
               && sheets[end].number == sheets[start].number)
            ++end;
        int frontPages = 0;
        bool hasBack = false;
        for (size_t i = start; i < end; ++i) {
            if (sheets[i].back)
                hasBack = true;
            else
                frontPages += sheets[i].pages;
        }
        // The back sheet is the reverse of the last front page: that page
        // must stand on the front of a sheet of paper.
        const bool emptyBeforeLastFront = twoSided && hasBack && frontPages > 0 && frontPages % 2 == 0;
        int frontSeen = 0;
        for (size_t i = start; i < end; ++i) {
            const RunSheet &s = sheets[i];
            if (s.pages <= 0)
                continue;
            if (!s.back && emptyBeforeLastFront && frontSeen + s.pages == frontPages) {
                if (s.pages > 1)
                    add({int(i), 1, s.pages - 1});
                add({});
                add({int(i), s.pages, s.pages});
            } else {
                add({int(i), 1, s.pages});
            }
            if (!s.back)
                frontSeen += s.pages;
        }
        // The next report starts on a new sheet of paper.
        if (twoSided && pages % 2 == 1)
            add({});
        start = end;
    }
    return pieces;
}

Tdrauswdlg::Extent Tdrauswdlg::extent()
{
    std::vector<store::Table::Bookmark> rows;
    std::vector<RunSheet> sheets = tickedSheets(&rows);
    if (sheets.empty())
        return {};
    // Counting renders the sheets; the editor's picture sizes stay as they were.
    const QSize shown[2] = {m_backForm ? m_backForm->pictureDisplaySize(0) : QSize(),
                            m_backForm ? m_backForm->pictureDisplaySize(1) : QSize()};
    const auto restoreSizes = qScopeGuard([&] {
        for (int i = 0; m_backForm && i < 2; ++i)
            m_backForm->setPictureDisplaySize(i, shown[i]);
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    for (size_t i = 0; i < sheets.size(); ++i)
        sheets[i].pages = sheetPages(sheets[i].back, rows[i]);
    // What was counted without being saved is saved while the dialog waits.
    if (!m_running && isVisible())
        m_countAhead->start();
    Extent e;
    int designed = 0;
    for (const RunSheet &s : sheets)
        designed += s.pages;
    for (const Piece &p : layout(sheets, m_duplex->isChecked()))
        e.pages += p.sheet < 0 ? 1 : p.last - p.first + 1;
    e.emptyPages = e.pages - designed;
    e.oneSided = e.pages;
    e.twoSided = (e.pages + 1) / 2;
    return e;
}

void Tdrauswdlg::updateExtent()
{
    if (!m_extent)
        return;
    const Extent e = extent();
    const auto pages = [](int n) {
        return n == 1 ? QStringLiteral("1 Seite") : QStringLiteral("%1 Seiten").arg(n);
    };
    const auto paper = [](int n) {
        return QStringLiteral("%1 Blatt Papier").arg(n);
    };
    if (e.pages == 0)
        m_extent->setText(QStringLiteral("Keine Seite angekreuzt."));
    else if (m_duplex->isChecked())
        m_extent->setText(QStringLiteral("Der Druck umfasst %1%2 auf %3, beidseitig gedruckt.")
                              .arg(pages(e.pages),
                                   e.emptyPages ? QStringLiteral(" (davon %1 leer)").arg(e.emptyPages) : QString(),
                                   paper(e.twoSided)));
    else
        m_extent->setText(QStringLiteral("Der Druck umfasst %1: einseitig gedruckt %2, beidseitig %3.")
                              .arg(pages(e.pages), paper(e.oneSided), paper(e.twoSided)));
}

void Tdrauswdlg::tick(QListWidget *list, int from, int to, bool on)
{
    if (from > to)
        std::swap(from, to);
    {
        const QSignalBlocker block(list);
        for (int i = std::max(from, 0); i <= to && i < list->count(); ++i)
            list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    list->viewport()->update();
    updateExtent();
}

bool Tdrauswdlg::eventFilter(QObject *watched, QEvent *event)
{
    QListWidget *list = nullptr;
    for (QListWidget *l : {m_front, m_back})
        if (watched == l || watched == l->viewport())
            list = l;
    if (!list)
        return QDialog::eventFilter(watched, event);
    // A line is ticked by a click anywhere on it or by Space; with Shift
    // every line from the one ticked last to this one takes its state.
    const auto toggle = [&](int row, bool range) {
        QListWidgetItem *item = list->item(row);
        if (!item)
            return;
        list->setCurrentRow(row);
        const auto anchor = m_anchor.find(list);
        if (range && anchor != m_anchor.end() && anchor->second < list->count()) {
            const bool on = list->item(anchor->second)->checkState() == Qt::Checked;
            tick(list, anchor->second, row, on);
        } else {
            tick(list, row, row, item->checkState() != Qt::Checked);
            m_anchor[list] = row;
        }
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        if (watched != list->viewport())
            break;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const int row = list->row(list->itemAt(mouse->position().toPoint()));
        if (row < 0)
            break;
        if (event->type() == QEvent::MouseButtonPress) {
            list->setFocus(Qt::MouseFocusReason);
            toggle(row, mouse->modifiers() & Qt::ShiftModifier);
        }
        return true; // the list's own handling would tick the box again
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched != list || key->key() != Qt::Key_Space)
            break;
        if (list->currentRow() >= 0)
            toggle(list->currentRow(), key->modifiers() & Qt::ShiftModifier);
        return true;
    }
    case QEvent::ContextMenu:
        if (auto *menu = list->findChild<QMenu *>())
            menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
