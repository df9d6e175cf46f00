#pragma once

#include "platform/modalrunner.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// A modal runner for tests. Each showing of a dialog is handled by the first
// queued handler for the dialog's objectName: the dialog is shown without
// blocking, the handler drives it like a user, and the runner returns the
// dialog's result once it has closed itself. Installs itself while it exists.
class ScriptedModalRunner final : public ModalRunner
{
public:
    using Handler = std::function<void(QDialog *)>;

    ScriptedModalRunner();
    ~ScriptedModalRunner() override;
    ScriptedModalRunner(const ScriptedModalRunner &) = delete;
    ScriptedModalRunner &operator=(const ScriptedModalRunner &) = delete;

    // Handles the next showing of the dialog named objectName.
    void onNext(const QString &objectName, Handler handler);
    // How long a dialog may take to close after its handler returned.
    void setCloseTimeout(int ms) { m_closeTimeoutMs = ms; }

    // objectName of every dialog shown, in order.
    QStringList shownNames() const { return m_shown; }
    // objectNames of the handlers not used yet.
    QStringList pendingNames() const;

    int run(QDialog &dialog) override;

private:
    struct Pending
    {
        QString name;
        Handler handler;
    };
    QList<Pending> m_pending;
    QStringList m_shown;
    int m_closeTimeoutMs = 5000;
};

} // namespace platform
