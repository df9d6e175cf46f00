#include "platform/messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

// The real service: modal message boxes captioned with the program's name.
class BoxMessages final : public MessageService
{
public:
    Answer confirmYesNo(const QString &text) override
    {
        QMessageBox box(QMessageBox::Question, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        QPushButton *yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }

    Answer confirmOkCancel(const QString &text) override
    {
        QMessageBox box(QMessageBox::Information, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
    }

    Answer confirmYesCancel(const QString &text) override
    {
        QMessageBox box(QMessageBox::Question, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        QPushButton *yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == yes ? Answer::Yes : Answer::Cancel;
    }

    Answer confirmReplace(const QString &text) override
    {
        QMessageBox box(QMessageBox::Question, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
        QPushButton *yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton *all = box.addButton(QStringLiteral("Ja, &alle"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == yes)
            return Answer::Yes;
        if (box.clickedButton() == all)
            return Answer::YesToAll;
        return box.clickedButton() == no ? Answer::No : Answer::Cancel;
    }

    void information(const QString &text) override { notice(QMessageBox::Information, text); }
    void confirmation(const QString &text) override { notice(QMessageBox::Question, text); }

    void error(const QString &text) override { notice(QMessageBox::Critical, text); }

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

    static void notice(QMessageBox::Icon icon, const QString &text)
    {
        QMessageBox box(icon, caption(), boxText(text));
        box.setTextFormat(Qt::PlainText);
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

MessageService *g_installed = nullptr;

} // namespace

MessageService &messages()
{
    return g_installed ? *g_installed : boxMessages();
}

void setMessages(MessageService *service)
{
    g_installed = service;
}

void notYetAvailable(const QString &what)
{
    messages().information(QStringLiteral("„%1“ ist noch nicht verfügbar.").arg(what));
}

} // namespace platform
