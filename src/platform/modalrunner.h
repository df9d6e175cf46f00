#pragma once

#include "platform/hook.h"

class QDialog;
class QWidget;

namespace platform {

// Shows a dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected). Production code never calls QDialog::exec itself.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;
    virtual int run(QDialog &dialog) = 0;
};

Hook<ModalRunner *> &modalRunnerHook();
ModalRunner &modalRunner();
// Installs a runner (not owned); nullptr restores the real one.
void setModalRunner(ModalRunner *runner);

// The window a window opened now must belong to: the modal dialog in front
// when there is one (any other parent would leave the new window blocked
// by that dialog, unusable and impossible to close), else `fallback`.
QWidget *windowOwner(QWidget *fallback);

} // namespace platform
