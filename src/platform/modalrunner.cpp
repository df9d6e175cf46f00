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

ModalRunner *g_installed = nullptr;

} // namespace

ModalRunner &modalRunner()
{
    return g_installed ? *g_installed : execRunner();
}

void setModalRunner(ModalRunner *runner)
{
    g_installed = runner;
}

QWidget *windowOwner(QWidget *fallback)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : fallback;
}

} // namespace platform
