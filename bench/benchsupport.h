#pragma once

// Stand-ins for the user in benchmarks that run the real windows: every
// dialog confirmed at once, every question answered Yes, and the working
// directory of a data directory for the time of a scope.

#include "platform/messages.h"
#include "platform/modalrunner.h"

#include <QDialog>
#include <QDir>
#include <cstdio>

namespace bench {

// Confirms every dialog at once, as a user pressing OK would.
class ConfirmingRunner : public platform::ModalRunner
{
public:
    int run(QDialog &dialog) override
    {
        dialog.show();
        dialog.accept();
        return dialog.result();
    }
};

// Answers every question with Yes (going on beyond a group's target).
class YesMessages : public platform::MessageService
{
public:
    platform::Answer confirmYesNo(const QString &) override { return platform::Answer::Yes; }
    platform::Answer confirmOkCancel(const QString &) override { return platform::Answer::Ok; }
    platform::Answer confirmYesCancel(const QString &) override { return platform::Answer::Yes; }
    platform::Answer confirmReplace(const QString &) override { return platform::Answer::YesToAll; }
    void information(const QString &) override { ++notices; }
    void confirmation(const QString &) override {}
    void error(const QString &text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void beep() override {}
    int notices = 0;
};

// The stand-ins installed for the time of a scope; declared before the
// program, so that they outlive its windows.
struct StandIns
{
    StandIns()
    {
        platform::setModalRunner(&runner);
        platform::setMessages(&messages);
    }
    ~StandIns()
    {
        platform::setModalRunner(nullptr);
        platform::setMessages(nullptr);
    }
    StandIns(const StandIns &) = delete;
    StandIns &operator=(const StandIns &) = delete;
    ConfirmingRunner runner;
    YesMessages messages;
};

// The working directory for the time of a scope.
struct InDirectory
{
    explicit InDirectory(const QString &dir) : previous(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~InDirectory() { QDir::setCurrent(previous); }
    QString previous;
};

} // namespace bench
