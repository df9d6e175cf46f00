// The about box: its texts, the build line a double click replaces, the
// links that open through the platform's shell; and the program's icon.

#include "app/aboutbox.h"
#include "app/application.h"
#include "app/mainform.h"
#include "app/programicon.h"
#include "platform/shell.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"
#include "tempdatadir.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QTest>
#include <memory>

class TestAboutBox : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::TempDataDir> m_dir;
    std::unique_ptr<platform::ScriptedMessages> m_messages;
    std::unique_ptr<platform::ScriptedModalRunner> m_runner;
    std::unique_ptr<lernora::Application> m_app;
    // What the links asked the shell to open; whether it could.
    QList<QUrl> m_opened;
    bool m_opens = true;

    // Opens "Info" from the menu; `user` works in the box, then OK closes it.
    void about(const std::function<void(TAboutBox *)> &user)
    {
        m_runner->onNext(QStringLiteral("AboutBox"), [&](QDialog *d) {
            auto *box = qobject_cast<TAboutBox *>(d);
            QVERIFY(box);
            user(box);
            QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        });
        m_app->mainForm()->findChild<QAction *>(QStringLiteral("HelpAboutItem"))->trigger();
        QCOMPARE(m_runner->pendingNames(), QStringList());
        QCOMPARE(m_runner->shownNames(), QStringList{QStringLiteral("AboutBox")});
    }
    static QString text(const QWidget *box, const char *label)
    {
        return box->findChild<QLabel *>(QLatin1String(label))->text();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<testsupport::TempDataDir>();
        m_messages = std::make_unique<platform::ScriptedMessages>();
        m_runner = std::make_unique<platform::ScriptedModalRunner>();
        m_opened.clear();
        m_opens = true;
        platform::setUrlOpener([this](const QUrl &url) {
            m_opened << url;
            return m_opens;
        });
        m_app = std::make_unique<lernora::Application>();
        m_app->mainForm()->show();
    }
    void cleanup()
    {
        m_messages->answer(platform::Answer::Yes);
        m_app->mainForm()->close();
        m_app.reset();
        m_runner.reset();
        m_messages.reset();
        m_dir.reset();
        platform::setUrlOpener({});
    }

    void showsTheProgram()
    {
        about([](TAboutBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Info"));
            QCOMPARE(box->size(), QSize(316, 261));
            const QPoint offCentre = box->frameGeometry().center() - box->screen()->availableGeometry().center();
            QVERIFY2(offCentre.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
            QCOMPARE(text(box, "ProductName"), QStringLiteral("Lernora"));
            QCOMPARE(text(box, "Version"), QStringLiteral("Version 2.02"));
            QCOMPARE(text(box, "compiled"), QStringLiteral("Mai 2012"));
            const QPixmap icon = box->findChild<QLabel *>(QStringLiteral("ProgramIcon"))->pixmap();
            QCOMPARE(icon.size(), QSize(73, 73));
            QCOMPARE(icon.toImage().convertToFormat(QImage::Format_ARGB32),
                     lernora::programIconImage(73).convertToFormat(QImage::Format_ARGB32));
            for (QLabel *l : box->findChildren<QLabel *>())
                QVERIFY2(box->rect().contains(l->geometry().translated(l->parentWidget()->mapTo(box, QPoint()))),
                         qPrintable(l->objectName()));
        });
    }

    // A double click on the box, its panel or a text on the panel shows
    // when the program file was built; on a link it does not.
    void doubleClickShowsTheBuildTime_data()
    {
        QTest::addColumn<QString>("target"); // "" for the box itself
        QTest::addColumn<bool>("built");
        QTest::newRow("box") << "" << true;
        QTest::newRow("panel") << "Panel1" << true;
        QTest::newRow("product name") << "ProductName" << true;
        QTest::newRow("web link") << "Label1" << false;
    }
    void doubleClickShowsTheBuildTime()
    {
        QFETCH(QString, target);
        QFETCH(bool, built);
        const QDateTime file = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
        const QString stamp = QStringLiteral("Built: ") + QLocale::system().toString(file.date(), QLocale::ShortFormat)
                              + QLatin1Char(' ') + QLocale::system().toString(file.time(), QLocale::LongFormat);
        about([&](TAboutBox *box) {
            QWidget *w = target.isEmpty() ? box : box->findChild<QWidget *>(target);
            const QPoint at = target.isEmpty() ? QPoint(4, 250) : target == QLatin1String("Panel1") ? QPoint(290, 200)
                                                                                                   : QPoint(3, 3);
            QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, at);
            QCOMPARE(text(box, "compiled"), built ? stamp : QStringLiteral("Mai 2012"));
        });
    }

    // The links open the maker's page and a message to the maker through
    // the platform's shell, with a hand cursor; a desktop without a program
    // for them says so.
    void linksOpenThroughTheShell_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QUrl>("address");
        QTest::addColumn<bool>("opens");
        QTest::newRow("web") << "Label1" << QUrl(QStringLiteral("https://lernora.example.org/")) << true;
        QTest::newRow("mail") << "Label2" << QUrl(QStringLiteral("mailto:info@lernora.example.org")) << true;
        QTest::newRow("mail, no mail program") << "Label2" << QUrl(QStringLiteral("mailto:info@lernora.example.org"))
                                               << false;
    }
    void linksOpenThroughTheShell()
    {
        QFETCH(QString, link);
        QFETCH(QUrl, address);
        QFETCH(bool, opens);
        m_opens = opens;
        about([&](TAboutBox *box) {
            auto *label = box->findChild<QLabel *>(link);
            QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
            QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        });
        QCOMPARE(m_opened, QList<QUrl>{address});
        QCOMPARE(m_messages->errors().size(), opens ? 0 : 1);
    }

    // The icon at every size a desktop takes: the rounded square fills the
    // picture and leaves its corners clear; written as PNG files; the main
    // window shows it.
    void programIconAtEverySize()
    {
        QTemporaryDir out;
        QVERIFY(lernora::writeProgramIconFiles(out.path()));
        for (int size : lernora::programIconSizes) {
            const QImage image(out.filePath(QStringLiteral("lernora-%1.png").arg(size)));
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
            QCOMPARE(qAlpha(image.pixel(size / 2, size - 1 - size / 16)), 255);
        }
        QCOMPARE(m_app->mainForm()->windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
                 lernora::programIconImage(32).convertToFormat(QImage::Format_ARGB32));
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
