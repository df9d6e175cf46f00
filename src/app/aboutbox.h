#pragma once

#include <QDialog>

class QFrame;
class QLabel;

// "Info": the program's icon, name, version and build line, its makers and
// a web and a mail link. A double click on the box or its panel shows when
// the program file was built.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // Shows the box modally, centred on the screen.
    void execute();

    static QString webAddress() { return QStringLiteral("https://lernora.example.org/"); }
    static QString mailAddress() { return QStringLiteral("info@lernora.example.org"); }

    // Handlers
    // The build line becomes "Built: " and the program file's date and time.
    void FormDblClick();
    void Label1Click(); // the web link
    void Label2Click(); // the mail link

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *m_panel = nullptr;
    QLabel *m_compiled = nullptr;
    QLabel *m_web = nullptr;
    QLabel *m_mail = nullptr;
};
