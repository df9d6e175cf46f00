#include "platform/messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace platform {

namespace {

// The real service: modal message boxes captioned with the program's name.
class BoxMessages final : public MessageService
{
public:
    Answer confirmYesNo(const QString &text) override
    {
        return ask(QMessageBox::Question, text, {{QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes},
                                                 {QStringLiteral("&Nein"), QMessageBox::NoRole, Answer::No}});
    }

    Answer confirmOkCancel(const QString &text) override
    {
        return ask(QMessageBox::Information, text,
                   {{QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok},
                    {QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel}});
    }

    Answer confirmYesCancel(const QString &text) override
    {
        return ask(QMessageBox::Question, text,
                   {{QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes},
                    {QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel}});
    }

    Answer confirmYesNoCancel(const QString &text) override
    {
        return ask(QMessageBox::Question, text,
                   {{QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes},
                    {QStringLiteral("&Nein"), QMessageBox::NoRole, Answer::No},
                    {QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel}});
    }

    Answer confirmReplace(const QString &text) override
    {
        return ask(QMessageBox::Question, text,
                   {{QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes},
                    {QStringLiteral("Ja, &alle"), QMessageBox::YesRole, Answer::YesToAll},
                    {QStringLiteral("&Nein"), QMessageBox::NoRole, Answer::No},
                    {QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel}});
    }

    void information(const QString &text) override { notice(QMessageBox::Information, text); }
    void confirmation(const QString &text) override { notice(QMessageBox::Question, text); }

    void error(const QString &text) override { notice(QMessageBox::Critical, text); }
    void error(const QString &text, const QString &detail) override { notice(QMessageBox::Critical, text, detail); }

    void beep() override { QApplication::beep(); }

private:
    static QString caption() { return QGuiApplication::applicationDisplayName(); }

    // Texts break their lines the Windows way too ("\r", "\r\n", even
    // "\n\r"); a box shows each of them as one line break, and shows the
    // text as it is, never as markup.
    static QString boxText(QString text)
    {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return text;
    }

    // A screen reader reads the box's title as its name and the message as
    // its description.
    static void tellScreenReaders(QMessageBox &box)
    {
        box.setAccessibleName(box.windowTitle());
        box.setAccessibleDescription(box.text());
    }

    struct Choice
    {
        QString caption;
        QMessageBox::ButtonRole role;
        Answer answer;
    };

    // A question with its buttons in order: the first is the default, the
    // last answers Escape and the close box.
    static Answer ask(QMessageBox::Icon icon, const QString &text, const std::vector<Choice> &choices)
    {
        QMessageBox box(icon, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        tellScreenReaders(box);
        std::vector<QAbstractButton *> buttons;
        for (const Choice &c : choices)
            buttons.push_back(box.addButton(c.caption, c.role));
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.front()));
        box.setEscapeButton(buttons.back());
        box.exec();
        for (size_t i = 0; i < choices.size(); ++i)
            if (box.clickedButton() == buttons[i])
                return choices[i].answer;
        return choices.back().answer;
    }

    static void notice(QMessageBox::Icon icon, const QString &text, const QString &detail = {})
    {
        QMessageBox box(icon, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        tellScreenReaders(box);
        // Behind the box's own button ("Details einblenden..." in Qt's
        // German texts, see language.cpp).
        if (!detail.isEmpty())
            box.setDetailedText(boxText(detail));
        QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
    }
};

BoxMessages &boxMessages()
{
    static BoxMessages service;
    return service;
}

} // namespace

Hook<MessageService *> &messagesHook()
{
    static Hook<MessageService *> hook(&boxMessages());
    return hook;
}

MessageService &messages()
{
    return *messagesHook().get();
}

void setMessages(MessageService *service)
{
    messagesHook().set(service);
}

bool saysWhatToDo(const QString &text)
{
    return text.contains(QStringLiteral("Bitte"));
}

void notYetAvailable(const QString &what)
{
    messages().information(QStringLiteral("„%1“ ist noch nicht verfügbar.").arg(what));
}

} // namespace platform
