#include "platform/help.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace platform {

namespace {

const char *const contextProperty = "lernoraHelpContext";

class HelpKey final : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        showHelp(helpContext(static_cast<QWidget *>(watched)));
        return true;
    }
};

} // namespace

void setHelpContext(QWidget *widget, int context)
{
    widget->setProperty(contextProperty, context);
}

int helpContext(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QVariant context = w->property(contextProperty);
        if (context.isValid())
            return context.toInt();
    }
    return helpcontext::Contents;
}

Hook<std::function<void(int context)>> &helpViewerHook()
{
    // Without a viewer nothing happens.
    static Hook<std::function<void(int)>> hook;
    return hook;
}

void showHelp(int context)
{
    if (const auto &viewer = helpViewerHook().get())
        viewer(context);
}

void setHelpViewer(std::function<void(int context)> v)
{
    helpViewerHook().set(std::move(v));
}

void installHelpKey()
{
    static HelpKey *installed = nullptr;
    if (installed || !qApp)
        return;
    installed = new HelpKey(qApp);
    qApp->installEventFilter(installed);
}

} // namespace platform
