// The bound controls' common part (DataSource, FieldLink) and the simple
// controls: DBText, DBCheckBox, DBImage. The edits, the rich-text edit, the
// control grid and the navigator have files of their own.

#include "dbcontrols.h"

#include "platform/messages.h"
#include "store/table.h"

#include <QBuffer>
#include <QEvent>
#include <QImageReader>
#include <QScopedValueRollback>

namespace controls {

namespace {

const QString dateFormat = QStringLiteral("dd.MM.yyyy");

} // namespace

QDate parseDate(const QString &text)
{
    return store::dateFromText(text);
}

// --- DataSource ---

DataSource::DataSource(const QString &name, store::Table *table, QObject *parent) : QObject(parent)
{
    setObjectName(name);
    setTable(table);
}

void DataSource::setTable(store::Table *table)
{
    for (auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table) {
        m_connections = {
            connect(table, &store::Table::afterScroll, this, &DataSource::dataChanged),
            connect(table, &store::Table::stateChanged, this, &DataSource::dataChanged),
            connect(table, &store::Table::afterOpen, this, &DataSource::dataChanged),
            connect(table, &store::Table::fieldChanged, this, &DataSource::fieldChanged),
            connect(table, &store::Table::beforePost, this, &DataSource::updateRecord),
            connect(table, &store::Table::afterPost, this, &DataSource::recordStored),
        };
    }
    emit dataChanged();
}

// --- FieldLink ---

namespace detail {

// A control waits while the window it sits in is hidden; a control that is
// a window of its own always shows its row.
QWidget *hiddenWindow(const QWidget *control)
{
    QWidget *window = control->window();
    return window != control && !window->isVisible() ? window : nullptr;
}

} // namespace detail

using detail::hiddenWindow;

// Refreshes a control that missed changes while its window was hidden when
// the window is shown (also the controls of its pages that are not showing).
class ShowWatcher : public QObject
{
public:
    ShowWatcher(FieldLink *link, QObject *control) : QObject(control), m_link(link) {}
    void watch(QWidget *window)
    {
        if (m_window == window)
            return;
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window;
        window->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && m_link->m_stale && !m_link->unseen())
            m_link->catchUp();
        return false;
    }

private:
    FieldLink *m_link;
    QPointer<QWidget> m_window;
};

void FieldLink::sync()
{
    if (m_writing)
        return;
    const auto *widget = dynamic_cast<const QWidget *>(this);
    if (QWidget *window = widget ? hiddenWindow(widget) : nullptr; window && mayWait()) {
        if (!m_watcher)
            m_watcher = new ShowWatcher(this, const_cast<QWidget *>(widget));
        m_watcher->watch(window);
        m_stale = true;
        return;
    }
    if (unseen() && mayWait()) {
        m_stale = true; // caught up by the control's own showing
        return;
    }
    m_stale = false;
    refresh();
}

bool FieldLink::unseen() const
{
    const auto *widget = dynamic_cast<const QWidget *>(this);
    return waitsUntilSeen() && widget && !widget->isVisible();
}

void FieldLink::catchUp() const
{
    auto *self = const_cast<FieldLink *>(this);
    if (!self->m_stale || self->m_writing)
        return;
    self->m_stale = false;
    self->refresh();
}

void FieldLink::bind(DataSource *source, const QString &field)
{
    for (auto &c : m_connections)
        QObject::disconnect(c);
    m_connections.clear();
    m_source = source;
    m_field = field;
    auto *control = dynamic_cast<QObject *>(this);
    if (source && control) {
        m_connections = {
            QObject::connect(source, &DataSource::dataChanged, control, [this] { sync(); }),
            QObject::connect(source, &DataSource::fieldChanged, control,
                             [this](const QString &f) {
                                 if (f.compare(m_field, Qt::CaseInsensitive) == 0)
                                     sync();
                             }),
        };
    }
    bound();
    m_stale = false;
    refresh();
}

store::Table *FieldLink::table() const
{
    return m_source ? m_source->table() : nullptr;
}

QVariant FieldLink::read() const
{
    store::Table *t = table();
    if (!t || !t->isOpen() || m_field.isEmpty())
        return {};
    if (m_row >= 0)
        return t->valueAt(m_row, m_field);
    return t->value(m_field);
}

QString FieldLink::readText() const
{
    const QVariant v = read();
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(dateFormat);
    return v.toString();
}

bool FieldLink::mayChange() const
{
    return !m_source || m_source->mayChange();
}

bool FieldLink::askChange()
{
    const QScopedValueRollback<bool> guard(m_writing, true);
    return mayChange();
}

bool FieldLink::beginEdit()
{
    store::Table *t = table();
    if (!t || !t->isOpen())
        return false;
    const QScopedValueRollback<bool> guard(m_writing, true);
    if (m_row >= 0 && t->recNo() != m_row) {
        if (m_row >= t->recordCount())
            return false;
        t->moveTo(m_row);
    }
    if (!t->isEditing()) {
        if (m_row >= 0 && t->isEmpty())
            return false;
        t->edit();
    }
    return true;
}

int FieldLink::sizeLimit() const
{
    const store::Table *t = table();
    const int f = t ? t->def().fieldIndex(m_field) : -1;
    return f >= 0 && t->def().fields[f].type == store::FieldType::String ? t->def().fields[f].size : 0;
}

void refuseTooLongText(const QString &what, int size, qsizetype length)
{
    platform::messages().error(QStringLiteral("Der Text ist zu lang für das Feld „%1“: Es fasst höchstens %2 Zeichen, "
                                              "der eingefügte Text ergäbe %3 Zeichen. Es wurde nichts eingefügt; bitte kürzen Sie den "
                                              "Text.")
                                   .arg(what)
                                   .arg(size)
                                   .arg(length));
}

void FieldLink::refuseTooLong(qsizetype length, qsizetype added) const
{
    if (added <= 1)
        platform::messages().beep();
    else
        refuseTooLongText(m_field, sizeLimit(), length);
}

void FieldLink::write(const QVariant &value)
{
    if (!beginEdit())
        return;
    const QScopedValueRollback<bool> guard(m_writing, true);
    table()->setValue(m_field, value);
}

// --- DBText ---

DBText::DBText(QWidget *parent) : QLabel(parent)
{}

void DBText::refresh()
{
    setText(readText());
}

// --- DBCheckBox ---

DBCheckBox::DBCheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        if (!mayChange() || !beginEdit()) {
            refresh();
            return;
        }
        write(on);
    });
}

void DBCheckBox::refresh()
{
    if (!dataSource())
        return;
    const QVariant v = read();
    setChecked(!v.isNull() && v.isValid() && v.toBool());
}

// --- DBImage ---

DBImage::DBImage(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

void DBImage::refresh()
{
    if (!dataSource())
        return;
    const QVariant v = read();
    const QByteArray bytes = v.isValid() && !v.isNull() ? v.toByteArray() : QByteArray();
    m_picture = bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
    setPixmap(m_picture.isNull() ? QPixmap() : QPixmap::fromImage(m_picture));
}

void DBImage::showEvent(QShowEvent *event)
{
    catchUp();
    QLabel::showEvent(event);
}

QSize DBImage::pictureSize() const
{
    store::Table *t = table();
    if (stale() && t && t->isOpen() && row() < 0) {
        // BMP, PNG and JPEG name the size in their first bytes.
        QByteArray head = t->leadingBytes(dataField(), 64 * 1024);
        QBuffer buffer(&head);
        QImageReader reader(&buffer);
        if (const QSize size = reader.size(); size.isValid() && !size.isEmpty())
            return size;
    }
    return picture().size();
}

QImage DBImage::picture() const
{
    catchUp();
    return m_picture;
}

} // namespace controls
