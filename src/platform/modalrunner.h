#pragma once

class QDialog;

namespace platform {

// Shows a dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected). Production code never calls QDialog::exec itself.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;
    virtual int run(QDialog &dialog) = 0;
};

ModalRunner &modalRunner();
// Installs a runner (not owned); nullptr restores the real one.
void setModalRunner(ModalRunner *runner);

} // namespace platform
