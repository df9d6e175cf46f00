#include "platform/modalrunner.h"

#include <QApplication>
#include <QDialog>

namespace platform {

namespace {

class ExecRunner final : public ModalRunner
{
public:
    int run(QDialog &dialog) override { return dialog.exec(); }
};

ExecRunner &execRunner()
{
    static ExecRunner runner;
    return runner;
}

} // namespace

Hook<ModalRunner *> &modalRunnerHook()
{
    static Hook<ModalRunner *> hook(&execRunner());
    return hook;
}

ModalRunner &modalRunner()
{
    return *modalRunnerHook().get();
}

void setModalRunner(ModalRunner *runner)
{
    modalRunnerHook().set(runner);
}

QWidget *windowOwner(QWidget *fallback)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : fallback;
}

} // namespace platform
