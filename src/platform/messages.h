#pragma once

#include "platform/hook.h"

#include <QString>

namespace platform {

// The answer a user gave to a question.
enum class Answer { Yes, No, Ok, Cancel, YesToAll };

// Every message the program shows to the user goes through this service, so
// that tests can answer questions and read what was shown.
class MessageService
{
public:
    virtual ~MessageService() = default;

    // Confirmation with the buttons Yes and No.
    virtual Answer confirmYesNo(const QString &text) = 0;
    // Notice with an information icon and the buttons OK and Cancel.
    virtual Answer confirmOkCancel(const QString &text) = 0;
    // Confirmation with the buttons Yes and Cancel.
    virtual Answer confirmYesCancel(const QString &text) = 0;
    // Question with the buttons Yes, No and Cancel. A service without it
    // asks Yes or No.
    virtual Answer confirmYesNoCancel(const QString &text) { return confirmYesNo(text); }
    // Whether to replace a file: Yes, YesToAll (this one and every further
    // one), No (keep this one and go on) or Cancel (stop).
    virtual Answer confirmReplace(const QString &text) = 0;
    // Notice with an information icon and OK.
    virtual void information(const QString &text) = 0;
    // Confirmation-type box (question icon) with OK alone: it asks nothing.
    virtual void confirmation(const QString &text) = 0;
    // Error with an error icon and OK.
    virtual void error(const QString &text) = 0;
    // The same with technical words behind it (what a library said), shown
    // only on request below the text; an empty detail shows none.
    virtual void error(const QString &text, const QString &detail)
    {
        Q_UNUSED(detail);
        error(text);
    }
    // The platform's default beep, given for a refused click.
    virtual void beep() = 0;
};

// Whether a message already tells the user what to do ("Bitte …"), so that
// a caller adds its own advice only to one that does not.
bool saysWhatToDo(const QString &text);

// The notice for a function of the program that is not available yet.
void notYetAvailable(const QString &what);

// The service in force: the real message boxes unless a test installed another.
Hook<MessageService *> &messagesHook();
MessageService &messages();
// Installs a service (not owned); nullptr restores the real message boxes.
void setMessages(MessageService *service);

} // namespace platform
