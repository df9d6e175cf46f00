#include "planpages.h"

#include "domain/planitems.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/table.h"
#include "store/tableset.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace field = store::field;

namespace plan {

namespace {

// Page geometry: the text column starts at x 8, the count columns at 400,
// 50 wide each (year 2 part B half a column after year 2 part A).
constexpr int textLeft = 8;
constexpr int ruleRight = 550;
constexpr int headingX = 12;
constexpr int itemX = 32;
constexpr int textRight = 400 - 8;
constexpr int useCountX = 392;
constexpr int noTarget = 99;

} // namespace

void applyTargetCorrections(store::Table &plan)
{
    const store::ScopedView keep(plan);
    plan.setIndexName(QStringLiteral("_lfdftag"));
    auto correct = [&plan](int tag, std::initializer_list<std::pair<const QString &, int>> values) {
        if (!plan.findKey({tag}))
            return false;
        for (const auto &[name, value] : values) {
            if (!plan.isNull(name) && plan.asInt(name) == value)
                continue;
            if (!plan.isEditing())
                plan.edit();
            plan.setValue(name, value);
        }
        if (plan.isEditing())
            plan.post();
        return true;
    };
    correct(95, {{field::L2b, 2}});
    correct(87, {{field::L2b, 0}});
    for (int tag : {98, 100, 101})
        correct(tag, {{field::L2a, 0}, {field::L2b, 2}});
    if (correct(102, {{field::L2a, 0}, {field::L2b, 2}}))
        correct(192, {{field::L2b, 0}, {field::L3, 2}});
}

void placeGroupCounts(PlanLabel *actual, PlanLabel *slash, PlanLabel *target)
{
    const bool noTarget = target->text() == QLatin1String("-");
    slash->move(actual->x() + (noTarget ? 2 : 1) * actual->width(), actual->y());
    target->move(slash->x() + slash->width(), actual->y());
}

// ---------------------------------------------------------------------------

namespace {

// A plan item as a screen reader sees it: a check box named by its text,
// checked while it is chosen.
class PlanItemAccessible final : public QAccessibleWidget
{
public:
    explicit PlanItemAccessible(PlanLabel *item) : QAccessibleWidget(item, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return item()->text();
        return own;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = item()->chosen();
        return s;
    }

private:
    PlanLabel *item() const { return static_cast<PlanLabel *>(widget()); }
};

QAccessibleInterface *planItemAccessible(const QString &className, QObject *object)
{
    auto *label = qobject_cast<PlanLabel *>(object);
    if (className != QLatin1String(PlanLabel::staticMetaObject.className()) || !label
        || label->role() != PlanLabel::Role::Item)
        return nullptr;
    return new PlanItemAccessible(label);
}

} // namespace

PlanLabel::PlanLabel(Role role, int tag, QWidget *parent) : QLabel(parent), m_role(role), m_tag(tag)
{
    static const bool factory = [] {
        QAccessible::installFactory(planItemAccessible);
        return true;
    }();
    static_cast<void>(factory);
    // Plan texts are shown as they stand, never read as markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(role == Role::Item);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PlanLabel::setSelectable(bool on)
{
    if (on == m_selectable)
        return;
    m_selectable = on;
    // A selectable item takes the focus from Tab, the arrow keys and a click.
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void PlanLabel::setChosen(bool on)
{
    const bool changed = on != m_chosen;
    m_chosen = on;
    setAccessibleDescription(on ? QStringLiteral("ausgewählt") : QString());
    if (changed && m_role == Role::Item && QAccessible::isActive()) {
        QAccessible::State s;
        s.checked = true;
        QAccessibleStateChangeEvent event(this, s);
        QAccessible::updateAccessibility(&event);
    }
}

void PlanLabel::setColour(const QColor &colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    if (!colour.isValid()) {
        setPalette(QPalette());
        return;
    }
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void PlanLabel::setBold(bool on)
{
    if (on == m_bold)
        return;
    m_bold = on;
    QFont f = font();
    f.setBold(on);
    setFont(f);
    if (!wordWrap())
        resize(sizeHint());
}

void PlanLabel::setTextAutoSized(const QString &t)
{
    if (t == text() && m_sized)
        return;
    setText(t);
    resize(sizeHint());
    m_sized = true;
}

void PlanLabel::placeWrapped(int x, int y, int width)
{
    if (width != m_wrappedWidth || text() != m_wrappedText) {
        m_wrappedText = text();
        m_wrappedWidth = width;
        m_wrappedHeight = heightForWidth(width);
    }
    setGeometry(x, y, width, m_wrappedHeight);
}

std::optional<int> PlanLabel::number() const
{
    bool ok = false;
    const int n = text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

void PlanLabel::keyPressEvent(QKeyEvent *event)
{
    const auto *sheet = qobject_cast<const PlanSheet *>(parentWidget());
    if (!m_selectable || !sheet || (event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    int steps = 0;
    switch (event->key()) {
    case Qt::Key_Space:
        event->accept();
        if (!event->isAutoRepeat())
            emit mouseDown(this, Qt::LeftButton);
        return;
    case Qt::Key_Up:
    case Qt::Key_Left:
        steps = -1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        steps = 1;
        break;
    case Qt::Key_Home:
        steps = -100000;
        break;
    case Qt::Key_End:
        steps = 100000;
        break;
    default:
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    if (PlanLabel *to = sheet->itemAfter(this, steps); to && to != this)
        to->setFocus(Qt::OtherFocusReason);
}

void PlanLabel::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    if (auto *sheet = qobject_cast<PlanSheet *>(parentWidget()))
        sheet->m_current = this;
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *box = qobject_cast<QScrollArea *>(w)) {
            box->ensureWidgetVisible(this, 0, 8);
            break;
        }
    }
    update();
}

void PlanLabel::focusOutEvent(QFocusEvent *event)
{
    QLabel::focusOutEvent(event);
    update();
}

void PlanLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus frame: a dotted line around the item in its own text
    // colour, so that the page keeps its colours.
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PlanLabel::mousePressEvent(QMouseEvent *event)
{
    if (m_selectable) {
        event->accept();
        emit mouseDown(this, event->button());
        return;
    }
    QLabel::mousePressEvent(event);
}

// ---------------------------------------------------------------------------

PlanSheet::PlanSheet(int part, QWidget *parent) : QWidget(parent), m_part(part)
{
    setObjectName(QStringLiteral("plansheet%1").arg(part));
    setAutoFillBackground(true);
}

const QVector<int> &PlanSheet::solidColumns()
{
    static const QVector<int> columns{8, 400, 450, 500, 550};
    return columns;
}

QVector<PlanLabel *> PlanSheet::items() const
{
    QVector<PlanLabel *> out;
    for (PlanLabel *label : m_used)
        if (label->role() == PlanLabel::Role::Item && label->selectable())
            out.append(label);
    return out;
}

PlanLabel *PlanSheet::entryItem() const
{
    const QVector<PlanLabel *> all = items();
    if (m_current && all.contains(m_current.data()))
        return m_current;
    return all.value(0);
}

PlanLabel *PlanSheet::itemAfter(PlanLabel *from, int steps) const
{
    const QVector<PlanLabel *> all = items();
    if (all.isEmpty())
        return nullptr;
    const int at = all.indexOf(from);
    if (at < 0)
        return all.first();
    return all.at(qBound<qsizetype>(0, qsizetype(at) + steps, all.size() - 1));
}

void PlanSheet::beginBuild(quint64 generation)
{
    m_generation = generation;
    m_used.clear();
    m_rules.clear();
    m_verticalTop = m_verticalHeight = 0;
}

PlanLabel *PlanSheet::take(const QString &name, PlanLabel::Role role, int tag, bool *created)
{
    PlanLabel *&label = m_pool[name];
    *created = !label;
    if (!label)
        label = new PlanLabel(role, tag, this);
    label->m_generation = m_generation;
    m_used.append(label);
    return label;
}

void PlanSheet::endBuild(int bottom)
{
    for (auto it = m_pool.cbegin(); it != m_pool.cend(); ++it) {
        PlanLabel *label = it.value();
        if (label->m_generation == m_generation) {
            if (label->objectName() != it.key())
                label->setObjectName(it.key());
            if (label->isHidden())
                label->show();
        } else if (!label->isHidden() || !label->objectName().isEmpty()) {
            label->hide();
            label->setObjectName(QString());
        }
    }
    const QSize size(ruleRight + 1 + textLeft, bottom);
    if (this->size() != size)
        setFixedSize(size);
    update();
}

void PlanSheet::clear()
{
    m_used.clear();
    m_rules.clear();
    m_verticalTop = m_verticalHeight = 0;
    for (PlanLabel *label : std::as_const(m_pool)) {
        label->hide();
        label->setObjectName(QString());
    }
    update();
}

void PlanSheet::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor ink = palette().color(QPalette::WindowText);
    for (int y : std::as_const(m_rules))
        p.fillRect(textLeft, y, ruleRight - textLeft + 1, 1, ink);
    if (m_verticalHeight <= 0)
        return;
    for (int x : solidColumns())
        p.fillRect(x, m_verticalTop, 1, m_verticalHeight, ink);
    // The middle of the year-2 column, between its parts A and B.
    QPen dotted(ink, 1, Qt::DotLine);
    p.setPen(dotted);
    p.drawLine(dottedColumn, m_verticalTop, dottedColumn, m_verticalTop + m_verticalHeight - 1);
}

// ---------------------------------------------------------------------------

struct PlanPages::Line
{
    int tag = 0, group = 0, groupCnt = 0, themaCnt = 0;
    int l1 = 0, l2a = 0, l2b = 0, l3 = 0;
    bool header = false, noChild = false;
    QString text;
    // A heading with sub-items: never chosen, opens the group below it.
    bool subHeading() const { return header && !noChild; }
};

PlanPages::PlanPages(store::TableSet &tables, QTabWidget *pageControl)
    : QObject(pageControl), m_tables(tables), m_pageControl(pageControl)
{
    for (int part = 1; part <= partCount; ++part) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(part + 3));
        auto *box = new QScrollArea(page);
        box->setObjectName(QStringLiteral("ScrollBox%1").arg(part));
        box->setFrameShape(QFrame::NoFrame);
        // The keyboard goes to the items on the page, not to the box.
        box->setFocusPolicy(Qt::NoFocus);
        box->setAccessibleName(partTitle(part));
        box->setBackgroundRole(QPalette::Window);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        auto *sheet = new PlanSheet(part);
        box->setWidget(sheet);
        box->setWidgetResizable(false);
        // The scroll box fills its page.
        auto *fill = new QVBoxLayout(page);
        fill->setContentsMargins(0, 0, 0, 0);
        fill->addWidget(box);
        m_pageControl->addTab(page, partTitle(part));
        m_sheets.append(sheet);
        m_scrollBoxes.append(box);
    }
}

PlanLabel *PlanPages::take(PlanSheet *sheet, const char *prefix, PlanLabel::Role role, int tag)
{
    bool created = false;
    PlanLabel *label = sheet->take(QLatin1String(prefix) + QString::number(tag), role, tag, &created);
    if (created && role == PlanLabel::Role::Item)
        connect(label, &PlanLabel::mouseDown, this, &PlanPages::itemMouseDown);
    return label;
}

void PlanPages::discard()
{
    for (PlanSheet *sheet : std::as_const(m_sheets))
        sheet->clear();
    m_labels.clear();
}

void PlanPages::build(int year, bool allYears)
{
    // A build ends every composition.
    store::Table &composition = m_tables.temptable();
    composition.close();
    composition.emptyTable();
    composition.open();

    store::Table &plan = m_tables.table1();
    const store::ScopedView keep(plan);
    plan.setIndexName(QString());
    const QString years = allYears ? QString() : domain::trainingYearFilter(year);
    const QString yearFilter = years.isEmpty() ? QString() : QStringLiteral(" and ") + years;

    ++m_generation;
    m_labels.clear();
    QVector<Line> lines;
    for (int part = 1; part <= partCount; ++part) {
        plan.setFilter(QStringLiteral("Lfdnr = %1").arg(part) + yearFilter);
        plan.setFiltered(true);
        lines.clear();
        for (plan.first(); !plan.eof(); plan.next()) {
            Line l;
            l.tag = plan.asInt(field::LfdfTag);
            l.group = plan.asInt(field::GroupId);
            l.groupCnt = plan.asInt(field::GroupCnt);
            l.themaCnt = plan.asInt(field::ThemaCnt);
            l.l1 = plan.asInt(field::L1);
            l.l2a = plan.asInt(field::L2a);
            l.l2b = plan.asInt(field::L2b);
            l.l3 = plan.asInt(field::L3);
            l.header = plan.asBool(field::Isheader);
            l.noChild = plan.asBool(field::NoChild);
            l.text = plan.asString(field::Text);
            lines.append(l);
        }
        buildSheet(m_sheets[part - 1], lines);
    }
}

void PlanPages::buildSheet(PlanSheet *sheet, const QVector<Line> &lines)
{
    sheet->beginBuild(m_generation);
    int y = 8;
    int previousGroup = 100;
    bool previousWasSubHeading = false;
    PlanLabel *actual = nullptr, *target = nullptr;

    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        const bool afterSubHeading = previousWasSubHeading;
        previousWasSubHeading = line.subHeading();
        const bool groupChanged = line.group != previousGroup;
        previousGroup = line.group;

        if (groupChanged && !afterSubHeading) {
            const int rule = y + 5;
            sheet->m_rules.append(rule);
            y += 10;
            // A heading with sub-items shows the values of the line below it.
            const Line &counting = line.subHeading() && i + 1 < lines.size() ? lines[i + 1] : line;
            int column = 400;
            QString targetText;
            bool counted = true;
            if (counting.l1 == noTarget)
                targetText = QStringLiteral("-");
            else if (counting.l1 > 0)
                targetText = QString::number(counting.l1);
            else if (counting.l2a > 0)
                column = 450, targetText = QString::number(counting.l2a);
            else if (counting.l2b > 0)
                column = 475, targetText = QString::number(counting.l2b);
            else if (counting.l3 > 0)
                column = 500, targetText = QString::number(counting.l3);
            else
                counted = false;

            actual = take(sheet, "grpcnt", PlanLabel::Role::Actual, counting.tag);
            PlanLabel *slash = take(sheet, "slash", PlanLabel::Role::Slash, counting.tag);
            target = take(sheet, "lzahl", PlanLabel::Role::Target, counting.tag);
            actual->mark = 0;
            actual->setBold(false);
            target->setBold(false);
            actual->setTextAutoSized(counted ? QString::number(counting.groupCnt) : QString());
            slash->setTextAutoSized(counted ? QStringLiteral("/") : QString());
            target->setTextAutoSized(targetText);
            const int top = (y + rule) / 2;
            actual->move(column + 5, top);
            placeGroupCounts(actual, slash, target);
        }

        PlanLabel *item = take(sheet, "myl", PlanLabel::Role::Item, line.tag);
        item->mark = 0;
        if (item->text() != line.text) {
            item->setText(line.text);
            item->setAccessibleName(line.text);
        }
        item->setChosen(false);
        const int x = line.header ? headingX : itemX;
        item->placeWrapped(x, y, textRight - x);
        const bool selectable = !line.subHeading();
        item->setSelectable(selectable);
        item->setColour(selectable ? colours::selectable : QColor());
        if (selectable) {
            PlanLabel *use = take(sheet, "cnt", PlanLabel::Role::Use, line.tag);
            use->mark = 0;
            use->setTextAutoSized(QString::number(line.themaCnt));
            use->move(useCountX, y);
        }

        if (actual && target) {
            const auto a = actual->number(), t = target->number();
            const QColor c = a && t ? (*a < *t ? colours::below : colours::reached) : QColor();
            actual->setColour(c);
            target->setColour(c);
        }
        y = item->y() + item->height() + 5;
    }

    // The closing rule, then the column rules from the first rule down.
    sheet->m_rules.append(y + 5);
    sheet->m_verticalTop = 13;
    sheet->m_verticalHeight = y - 8;
    sheet->endBuild(y + 5 + 8);
    for (PlanLabel *label : std::as_const(sheet->m_used))
        m_labels.insert(label->objectName(), label);
}

} // namespace plan
