#include "platform/hint.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

class TestStatusHint : public QObject
{
    Q_OBJECT
private slots:
    void splitsShortAndLongPart_data();
    void splitsShortAndLongPart();
    void statusLineShowsLongPart();
};

void TestStatusHint::splitsShortAndLongPart_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("short and long") << "Beenden|Diese Anwendung beenden" << "Beenden"
                                    << "Diese Anwendung beenden";
    QTest::newRow("no bar") << "Diese Anwendung beenden" << "Diese Anwendung beenden"
                            << "Diese Anwendung beenden";
    QTest::newRow("second bar belongs to long part") << "a|b|c" << "a" << "b|c";
    QTest::newRow("long part only") << "|lang" << "" << "lang";
    QTest::newRow("short part only") << "kurz|" << "kurz" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TestStatusHint::splitsShortAndLongPart()
{
    QFETCH(QString, hint);
    QFETCH(QString, toolTip);
    QFETCH(QString, statusTip);

    QPushButton button;
    platform::setHint(&button, hint);
    QCOMPARE(button.toolTip(), toolTip);
    QCOMPARE(button.statusTip(), statusTip);

    QAction action(QStringLiteral("&Beenden"));
    platform::setHint(&action, hint);
    QCOMPARE(action.statusTip(), statusTip);
    if (!toolTip.isEmpty()) // an action without tooltip shows its text instead
        QCOMPARE(action.toolTip(), toolTip);
}

void TestStatusHint::statusLineShowsLongPart()
{
    QMainWindow window;
    QStatusBar *statusLine = window.statusBar();
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("&Datei"));
    QAction *exit = menu->addAction(QStringLiteral("&Beenden"));
    platform::setHint(exit, QStringLiteral("Beenden|Diese Anwendung beenden"));
    auto *button = new QPushButton(QStringLiteral("OK"), &window);
    window.setCentralWidget(button);
    platform::setHint(button, QStringLiteral("Programminformationen anzeigen"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    exit->showStatusText(&window);
    QCOMPARE(statusLine->currentMessage(), QStringLiteral("Diese Anwendung beenden"));

    QTest::mouseMove(button);
    QTRY_COMPARE(statusLine->currentMessage(), QStringLiteral("Programminformationen anzeigen"));
}

QTEST_MAIN(TestStatusHint)
#include "test_statushint.moc"
