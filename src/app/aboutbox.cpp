#include "aboutbox.h"

#include "controls/designed.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "platform/shell.h"
#include "programicon.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(316, 261);

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setGeometry(8, 8, 300, 208);
    m_panel->installEventFilter(this);

    auto *icon = new QLabel(m_panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 73, 73);
    icon->setPixmap(lernora::programIcon().pixmap(QSize(73, 73), devicePixelRatioF()));

    QLabel *product = controls::designedLabel(m_panel, "ProductName", QStringLiteral("Lernora"), QPoint(96, 12));
    QFont large = font();
    large.setPointSize(14);
    large.setBold(true);
    product->setFont(large);
    product->adjustSize();
    controls::designedLabel(m_panel, "Version", QStringLiteral("Version 2.02"), QPoint(96, 44));
    m_compiled = controls::designedLabel(m_panel, "compiled", QStringLiteral("Mai 2012"), QPoint(96, 64));

    controls::designedLabel(m_panel, "Copyright", QStringLiteral("Ein Programm des Lernora-Projekts"), QPoint(8, 96));
    controls::designedLabel(m_panel, "Comments", QStringLiteral("Musterstraße 1 · 12345 Musterstadt"), QPoint(8, 116));

    const auto link = [this](const char *name, const QString &text, int y) {
        QLabel *l = controls::designedLinkLabel(m_panel, name, text, QPoint(8, y));
        l->installEventFilter(this);
        // Reached with Tab and opened with Enter or Space, framed while it
        // has the focus.
        l->setFocusPolicy(Qt::StrongFocus);
        l->setStyleSheet(QStringLiteral("QLabel { color: blue; border: 1px dotted transparent; }"
                                        " QLabel:focus { border-color: blue; }"));
        l->adjustSize();
        return l;
    };
    m_web = link("Label1", QUrl(webAddress()).host(), 148);
    m_web->setAccessibleName(QStringLiteral("Webseite ") + m_web->text());
    m_web->setAccessibleDescription(QStringLiteral("öffnet die Seite im Browser"));
    m_mail = link("Label2", mailAddress(), 172);
    m_mail->setAccessibleName(QStringLiteral("E-Mail an ") + m_mail->text());
    m_mail->setAccessibleDescription(QStringLiteral("öffnet das E-Mail-Programm"));

    QPushButton *ok = controls::designedButton(this, "OKButton", QStringLiteral("&OK"), QRect(120, 226, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::execute()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
    platform::modalRunner().run(*this);
}

void TAboutBox::FormDblClick()
{
    const QDateTime built = platform::programFileTime();
    const QLocale system = QLocale::system();
    m_compiled->setText(QStringLiteral("Built: ") + system.toString(built.date(), QLocale::ShortFormat)
                        + QLatin1Char(' ') + system.toString(built.time(), QLocale::LongFormat));
    m_compiled->adjustSize();
}

void TAboutBox::Label1Click()
{
    if (!platform::openUrl(QUrl(webAddress())))
        platform::messages().error(
            QStringLiteral("Die Seite %1 kann nicht geöffnet werden: Es ist kein Browser eingerichtet.")
                .arg(webAddress()));
}

void TAboutBox::Label2Click()
{
    if (!platform::openUrl(QUrl(QStringLiteral("mailto:") + mailAddress())))
        platform::messages().error(
            QStringLiteral(
                "Es kann keine Nachricht an %1 geschrieben werden: Es ist kein E-Mail-Programm eingerichtet. Bitte "
                "schreiben Sie die Adresse in Ihr E-Mail-Programm.")
                .arg(mailAddress()));
}

void TAboutBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FormDblClick();
    QDialog::mouseDoubleClickEvent(event);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        FormDblClick();
        return true;
    }
    if (watched == m_web || watched == m_mail) {
        // A link answers a click, and a double click is its own, not the
        // panel's beneath it.
        if (event->type() == QEvent::MouseButtonDblClick)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton
                && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint())) {
                if (watched == m_web)
                    Label1Click();
                else
                    Label2Click();
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                if (watched == m_web)
                    Label1Click();
                else
                    Label2Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
