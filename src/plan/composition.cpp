#include "composition.h"

#include "controls/anchors.h"
#include "controls/designed.h"
#include "controls/keyboard.h"
#include "domain/planitems.h"
#include "planpages.h"
#include "platform/guard.h"
#include "platform/hint.h"
#include "platform/messages.h"
#include "store/fields.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace field = store::field;

namespace plan {

namespace {

// The page control keeps its distance to the tab's right and bottom edges.
const QRect pageControlDesign(376, 24, 571, 581);
constexpr int pageControlMargin = 8;

// A plan row as the choose action needs it.
struct PlanRow
{
    int lfdnr = 0, group = 0, tag = 0, hintId = 0;
    bool header = false, noChild = false;
    QString text, headerText;
};

QLabel *heading(const QString &text, const QColor &colour, QPoint at, QWidget *parent, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->adjustSize();
    l->move(at);
    return l;
}

QPushButton *button(const QString &caption, const char *name, QPoint at, QWidget *parent)
{
    QPushButton *b = controls::designedButton(parent, name, caption, QRect(at, QSize(153, 25)));
    b->setEnabled(false);
    return b;
}

} // namespace

CompositionTab::CompositionTab(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QWidget(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("CompositionTab"));
    // The headings name the selector and the pages; their letters lead there.
    QLabel *partHeading =
        heading(QStringLiteral("&Teil des Ausbildungsberufsbildes"), QColor(255, 0, 0), {44, 8}, this, "Label2");
    QLabel *pagesHeading =
        heading(QStringLiteral("Fertigkeiten und &Kenntnisse nach dem betrieblichen Ausbildungsplan"),
                QColor(0, 128, 64), {381, 8}, this, "Label3");

    // "Alle Jahre anzeigen", its text left of the box.
    m_allYearsBox = new QCheckBox(QStringLiteral("&Alle Jahre anzeigen"), this);
    m_allYearsBox->setObjectName(QStringLiteral("verkuerztbox"));
    m_allYearsBox->setLayoutDirection(Qt::RightToLeft);
    platform::setHint(m_allYearsBox, QStringLiteral("Nur für verkürzte Ausbildungszeit"));
    m_allYearsBox->adjustSize();
    m_allYearsBox->move(825, 6);
    m_allYearsBox->setVisible(true);
    connect(m_allYearsBox, &QCheckBox::clicked, this, [this] { platform::guarded([this] { verkuerztboxClick(); }); });

    m_selector = new QComboBox(this);
    m_selector->setObjectName(QStringLiteral("ComboBox1"));
    m_selector->setMaxVisibleItems(14);
    partHeading->setBuddy(m_selector);
    m_selector->setGeometry(3, 24, 374, m_selector->sizeHint().height());
    for (int part = 1; part <= partCount; ++part)
        m_selector->addItem(QString::number(part) + QLatin1Char(' ') + partTitle(part));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("zusammenstellung"));
    m_list->setGeometry(0, 56, 369, 440);
    m_list->setAccessibleName(QStringLiteral("Zusammenstellung"));
    m_list->setAccessibleDescription(QStringLiteral("Die gewählten Fertigkeiten und Kenntnisse des nächsten Berichts"));

    m_erzeugbtn = button(QStringLiteral("Bericht &neu erzeugen"), "erzeugbtn", {18, 520}, this);
    m_verwerfbtn = button(QStringLiteral("Zusammenstellung &verwerfen"), "Verwerfbtn", {184, 520}, this);
    // A new report with last week's items, for the next week without one.
    m_wieletztebtn = button(QStringLiteral("Wie &letzte Woche"), "wieletztebtn", {18, 552}, this);
    m_wieletztebtn->setEnabled(true);
    platform::setHint(m_wieletztebtn, QStringLiteral("Neuer Bericht mit den Punkten des letzten Berichts"));
    connect(m_wieletztebtn, &QPushButton::clicked, this, &CompositionTab::wieletztebtnClicked);
    connect(m_erzeugbtn, &QPushButton::clicked, this, &CompositionTab::erzeugbtnClicked);
    connect(m_verwerfbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { VerwerfbtnClick(); }); });

    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName(QStringLiteral("PageControl2"));
    m_pageControl->setGeometry(pageControlDesign);
    m_pageControl->setUsesScrollButtons(true);
    m_pageControl->setElideMode(Qt::ElideNone);
    m_pageControl->setAccessibleName(
        QStringLiteral("Fertigkeiten und Kenntnisse nach dem betrieblichen Ausbildungsplan"));
    pagesHeading->setBuddy(m_pageControl);
    m_pages = new PlanPages(m_tables, m_pageControl);
    connect(m_pages, &PlanPages::itemMouseDown, this, [this](PlanLabel *label, Qt::MouseButton button) {
        platform::guarded([=, this] { labelMouseDown(label, button); });
    });

    // The part selector and the page tabs show the same part.
    connect(m_selector, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Click(); });
    connect(m_pageControl, &QTabWidget::currentChanged, this, [this] { PageControl2Change(); });
}

void CompositionTab::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = std::max(pageControlDesign.width(), width() - pageControlDesign.x() - pageControlMargin);
    const int h = std::max(pageControlDesign.height(), height() - pageControlDesign.y() - pageControlMargin);
    m_pageControl->setGeometry(pageControlDesign.x(), pageControlDesign.y(), w, h);
}

namespace {

bool takesTab(const QWidget *w)
{
    return w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

} // namespace

bool CompositionTab::focusNextPrevChild(bool next)
{
    QWidget *focus = QApplication::focusWidget();
    const auto *sheet = m_pages->sheet(m_pageControl->currentIndex() + 1);
    const QVector<QWidget *> order{
        m_allYearsBox, m_selector,  m_pageControl->tabBar(), sheet ? sheet->entryItem() : nullptr, m_list,
        m_erzeugbtn,   m_verwerfbtn, m_wieletztebtn};
    qsizetype at = order.indexOf(focus);
    if (auto *item = qobject_cast<PlanLabel *>(focus); item && isAncestorOf(item))
        at = 3;
    if (at < 0 || !focus)
        return QWidget::focusNextPrevChild(next);
    const Qt::FocusReason reason = next ? Qt::TabFocusReason : Qt::BacktabFocusReason;
    const int step = next ? 1 : -1;
    for (qsizetype i = at + step; i >= 0 && i < order.size(); i += step) {
        if (takesTab(order[i])) {
            order[i]->setFocus(reason);
            return true;
        }
    }
    // Out of the tab: the next control of the window outside it.
    for (QWidget *w = next ? focus->nextInFocusChain() : focus->previousInFocusChain(); w && w != focus;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (w != this && !isAncestorOf(w) && w->window() == window() && takesTab(w)) {
            w->setFocus(reason);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void CompositionTab::buildPages()
{
    m_pages->build(m_session.year, m_allYears);
    // The selector stays with the page shown, whatever the build did.
    PageControl2Change();
}

void CompositionTab::discardPages()
{
    m_pages->discard();
}

void CompositionTab::rebuildPages()
{
    const int index = partIndex();
    // A build reuses the labels of the build before: discarding first would
    // only hide what the build shows again.
    buildPages();
    setPartIndex(index);
}

int CompositionTab::partIndex() const
{
    return m_selector->currentIndex();
}

void CompositionTab::setPartIndex(int index)
{
    m_selector->setCurrentIndex(index);
    ComboBox1Click();
}

void CompositionTab::ComboBox1Click()
{
    if (m_selector->currentIndex() >= 0 && m_pageControl->currentIndex() != m_selector->currentIndex())
        m_pageControl->setCurrentIndex(m_selector->currentIndex());
}

void CompositionTab::PageControl2Change()
{
    if (m_pageControl->currentIndex() >= 0 && m_selector->currentIndex() != m_pageControl->currentIndex())
        m_selector->setCurrentIndex(m_pageControl->currentIndex());
}

void CompositionTab::labelMouseDown(PlanLabel *label, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        label5a1Click(label);
    else
        platform::messages().beep();
}

bool CompositionTab::confirmBeyondTarget(const PlanLabel *actual, const PlanLabel *target) const
{
    if (target->text() == QLatin1String("-"))
        return true;
    const auto a = actual->number(), t = target->number();
    if (!a || !t || *a < *t)
        return true;
    platform::messages().beep();
    return platform::messages().confirmYesNo(QStringLiteral(
               "Anzahl der vorgeschriebenen Ausbildungsnachweise schon geschrieben. Thema freiwillig fortsetzen?"))
           == platform::Answer::Yes;
}

void CompositionTab::label5a1Click(PlanLabel *item)
{
    const int tag = item->tag();
    PlanLabel *use = m_pages->label(QStringLiteral("cnt%1").arg(tag));
    if (item->mark) {
        if (use && use->mark)
            platform::messages().beep();
        platform::messages().beep();
        return;
    }

    // Everything the choice needs is read before anything changes, so that
    // declining the question leaves the page, the list and the table as
    // they were.
    const domain::PlanItem planRow = domain::planItem(m_tables, tag);
    const bool found = planRow.found;
    const int countingTag = found ? planRow.countingTag : -1;
    PlanRow row;
    if (found) {
        row.lfdnr = planRow.part;
        row.group = planRow.group;
        row.tag = tag;
        row.hintId = planRow.hintId;
        row.header = planRow.header;
        row.noChild = planRow.noChild;
        row.text = planRow.text;
        row.headerText = planRow.headerText;
    }

    PlanLabel *actual = countingTag < 0 ? nullptr : m_pages->label(QStringLiteral("grpcnt%1").arg(countingTag));
    PlanLabel *target = countingTag < 0 ? nullptr : m_pages->label(QStringLiteral("lzahl%1").arg(countingTag));
    if (found && actual && target && !confirmBeyondTarget(actual, target))
        return;

    if (use && !use->mark) {
        use->setTextAutoSized(QString::number(use->number().value_or(0) + 1));
        use->mark = 1;
    }
    item->mark = 1;
    item->setColour(colours::chosen);
    item->setChosen(true);
    if (!found)
        return;

    store::Table &composition = m_tables.temptable();
    composition.append();
    composition.setValue(field::Lfdnr, row.lfdnr);
    composition.setValue(field::Text, row.text);
    composition.setValue(field::Isheader, row.header);
    composition.setValue(field::NoChild, row.noChild);
    composition.setValue(field::GroupId, row.group);
    composition.setValue(field::LfdfTag, row.tag);
    composition.setValue(field::Hintid, row.hintId);
    composition.setValue(field::Headertext, row.headerText);
    const QString part = QString::number(row.lfdnr) + QLatin1Char(' ');
    composition.setValue(field::Alltext,
                         row.header ? part + row.text + QLatin1Char('\n')
                                    : part + row.headerText + QLatin1Char('\n') + row.text + QLatin1Char('\n'));
    composition.post();

    if (!actual || !target) {
        platform::messages().error(QStringLiteral("Fehler beim Hochzählen der Berichte: ")
                                   + (countingTag < 0 ? QString() : QString::number(countingTag)));
        return;
    }
    increment(actual, target, item);
}

void CompositionTab::increment(PlanLabel *actual, PlanLabel *target, PlanLabel *item)
{
    // The group counts once per composition, however many of its items are
    // chosen. A group without a target shows no count to raise.
    if (actual->mark == 0) {
        if (const auto a = actual->number())
            actual->setTextAutoSized(QString::number(*a + 1));
    }
    ++actual->mark;
    if (target->text() != QLatin1String("-")) {
        const auto a = actual->number(), t = target->number();
        if (a && t && *a >= *t) {
            for (PlanLabel *l : {actual, target}) {
                l->setColour(colours::reached);
                l->setBold(true);
            }
        }
    }
    placeGroupLabels(actual);

    const int page = m_pageControl->currentIndex() + 1;
    m_list->addItem(QString::number(page) + QLatin1Char(' ') + item->text());
    m_verwerfbtn->setEnabled(true);
    m_erzeugbtn->setEnabled(m_list->count() >= 1);
}

void CompositionTab::placeGroupLabels(PlanLabel *actual)
{
    // The count may have grown a digit or turned bold: the separator and the
    // target move along so that nothing overlaps.
    PlanLabel *slash = m_pages->label(QStringLiteral("slash%1").arg(actual->tag()));
    PlanLabel *target = m_pages->label(QStringLiteral("lzahl%1").arg(actual->tag()));
    if (!slash || !target)
        return;
    placeGroupCounts(actual, slash, target);
}

bool CompositionTab::hasItems() const
{
    return m_list->count() > 0;
}

QList<int> CompositionTab::chooseItems(const QList<int> &tags)
{
    const int shown = partIndex();
    QList<int> left;
    for (const int tag : tags) {
        PlanLabel *item = m_pages->label(QStringLiteral("myl%1").arg(tag));
        const auto *sheet = item ? qobject_cast<const PlanSheet *>(item->parentWidget()) : nullptr;
        if (!sheet || !item->selectable() || item->isHidden()) {
            left << tag;
            continue;
        }
        if (item->mark)
            continue;
        // The list names the item with the part of the page it is on.
        setPartIndex(sheet->part() - 1);
        label5a1Click(item);
    }
    setPartIndex(shown);
    return left;
}

void CompositionTab::reportCreated()
{
    m_list->clear();
    // A rebuild empties the composition and keeps the part shown.
    rebuildPages();
}

void CompositionTab::addPageKeys()
{
    controls::addPageKeys(m_pageControl);
}

void CompositionTab::anchorIn(controls::Anchors &anchors)
{
    anchors.anchor(m_list, Qt::TopEdge | Qt::BottomEdge);
    for (QPushButton *b : findChildren<QPushButton *>(Qt::FindDirectChildrenOnly))
        anchors.anchor(b, Qt::BottomEdge);
}

void CompositionTab::VerwerfbtnClick()
{
    discard();
}

void CompositionTab::discard()
{
    m_tables.temptable().emptyTable();
    m_list->clear();
    m_erzeugbtn->setEnabled(false);
    m_verwerfbtn->setEnabled(false);
    rebuildPages();
}

void CompositionTab::verkuerztboxClick()
{
    m_allYears = m_allYearsBox->isChecked();
    // The discard rebuilds the pages with the new choice.
    VerwerfbtnClick();
}

} // namespace plan
