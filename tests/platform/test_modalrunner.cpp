#include "platform/modalrunner.h"
#include "scriptedmodalrunner.h"
#include "selfrun.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using platform::ScriptedModalRunner;

namespace {

// A dialog with OK and Cancel, as the program's dialogs have.
class OkCancelDialog : public QDialog
{
public:
    explicit OkCancelDialog(const QString &name)
    {
        setObjectName(name);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okbtn"));
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelbtn"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(buttons);
    }
};

void click(QDialog *dialog, const char *button)
{
    auto *b = dialog->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

// Cases that must fail the test they run in; run in a child process.
class FailingCases : public QObject
{
    Q_OBJECT
private slots:
    void dialogWithoutHandler()
    {
        ScriptedModalRunner runner;
        runner.onNext(QStringLiteral("anderer"), [](QDialog *d) { d->accept(); });
        OkCancelDialog dialog(QStringLiteral("grunddaten"));
        platform::modalRunner().run(dialog);
    }
    void dialogLeftOpen()
    {
        ScriptedModalRunner runner;
        runner.setCloseTimeout(100);
        runner.onNext(QStringLiteral("kalender"), [](QDialog *) {});
        OkCancelDialog dialog(QStringLiteral("kalender"));
        platform::modalRunner().run(dialog);
    }
    void dialogClosed() // the control case: passes
    {
        ScriptedModalRunner runner;
        runner.onNext(QStringLiteral("kalender"), [](QDialog *d) { click(d, "okbtn"); });
        OkCancelDialog dialog(QStringLiteral("kalender"));
        QCOMPARE(platform::modalRunner().run(dialog), int(QDialog::Accepted));
    }
};

class TestModalRunner : public QObject
{
    Q_OBJECT
private slots:
    void resultFollowsTheClickedButton_data();
    void resultFollowsTheClickedButton();
    void waitsForTheDialogToCloseItself();
    void handlersByNameInQueueOrderAndNested();
    void deleteOnCloseDialog();
    void installsAndRestores();
    void missingHandlerOrOpenDialogFailsTheTest_data();
    void missingHandlerOrOpenDialogFailsTheTest();
    void missingHandlerOrOpenDialogRejects();
    void realRunnerRunsModally();
};

void TestModalRunner::resultFollowsTheClickedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK") << "okbtn" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "cancelbtn" << int(QDialog::Rejected);
}

void TestModalRunner::resultFollowsTheClickedButton()
{
    QFETCH(QString, button);
    QFETCH(int, expected);
    ScriptedModalRunner runner;
    OkCancelDialog dialog(QStringLiteral("grunddaten"));
    bool visibleAndModal = false;
    runner.onNext(QStringLiteral("grunddaten"), [&](QDialog *d) {
        visibleAndModal = d == &dialog && d->isVisible() && d->isModal()
            && QApplication::activeModalWidget() == d;
        click(d, button.toLatin1().constData());
    });
    QCOMPARE(platform::modalRunner().run(dialog), expected);
    QVERIFY(visibleAndModal);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(runner.shownNames(), QStringList{"grunddaten"});
    QVERIFY(runner.pendingNames().isEmpty());
}

void TestModalRunner::waitsForTheDialogToCloseItself()
{
    ScriptedModalRunner runner;
    OkCancelDialog dialog(QStringLiteral("vorschau"));
    runner.onNext(QStringLiteral("vorschau"), [](QDialog *d) {
        QTimer::singleShot(100, d, &QDialog::accept); // closes after the handler returned
    });
    QCOMPARE(platform::modalRunner().run(dialog), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestModalRunner::handlersByNameInQueueOrderAndNested()
{
    ScriptedModalRunner runner;
    OkCancelDialog outer(QStringLiteral("bericht"));
    OkCancelDialog inner(QStringLiteral("kalender"));
    int innerResult = -1;
    // Queued out of showing order: each showing takes the first handler of its name.
    runner.onNext(QStringLiteral("bericht"), [&](QDialog *d) {
        innerResult = platform::modalRunner().run(inner);
        click(d, "okbtn");
    });
    runner.onNext(QStringLiteral("bericht"), [](QDialog *d) { click(d, "cancelbtn"); });
    runner.onNext(QStringLiteral("kalender"), [](QDialog *d) { click(d, "cancelbtn"); });

    QCOMPARE(platform::modalRunner().run(outer), int(QDialog::Accepted));
    QCOMPARE(innerResult, int(QDialog::Rejected));
    QCOMPARE(runner.pendingNames(), QStringList{"bericht"});
    QCOMPARE(platform::modalRunner().run(outer), int(QDialog::Rejected));
    QCOMPARE(runner.shownNames(), (QStringList{"bericht", "kalender", "bericht"}));
    QVERIFY(runner.pendingNames().isEmpty());
}

void TestModalRunner::deleteOnCloseDialog()
{
    ScriptedModalRunner runner;
    QPointer<QDialog> dialog = new OkCancelDialog(QStringLiteral("info"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    runner.onNext(QStringLiteral("info"), [](QDialog *d) { click(d, "okbtn"); });
    QCOMPARE(platform::modalRunner().run(*dialog), int(QDialog::Accepted));
    QVERIFY(dialog.isNull());
}

void TestModalRunner::installsAndRestores()
{
    platform::ModalRunner *real = &platform::modalRunner();
    {
        ScriptedModalRunner runner;
        QCOMPARE(&platform::modalRunner(), static_cast<platform::ModalRunner *>(&runner));
    }
    QCOMPARE(&platform::modalRunner(), real);
    QVERIFY(!dynamic_cast<ScriptedModalRunner *>(real));
}

void TestModalRunner::missingHandlerOrOpenDialogFailsTheTest_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("no handler") << "dialogWithoutHandler" << "\"grunddaten\"";
    QTest::newRow("left open") << "dialogLeftOpen" << "\"kalender\" still open";
}

void TestModalRunner::missingHandlerOrOpenDialogFailsTheTest()
{
    QFETCH(QString, function);
    QFETCH(QString, expectedText);
    const ChildRun control = runFailingCase(QStringLiteral("dialogClosed"));
    QVERIFY2(!control.failed, qPrintable(control.output));

    const ChildRun run = runFailingCase(function);
    QVERIFY2(run.failed, qPrintable(run.output));
    QVERIFY2(run.output.contains(QStringLiteral("FAIL!")) && run.output.contains(expectedText),
             qPrintable(run.output));
}

void TestModalRunner::missingHandlerOrOpenDialogRejects()
{
    ScriptedModalRunner runner;
    runner.setCloseTimeout(100);
    OkCancelDialog dialog(QStringLiteral("offen"));
    dialog.setResult(QDialog::Accepted);

    QEXPECT_FAIL("", "no handler queued", Continue);
    const int unhandled = platform::modalRunner().run(dialog);
    // Passes only when the showing above already failed the test.
    QCOMPARE(unhandled, int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());

    runner.onNext(QStringLiteral("offen"), [](QDialog *) {});
    QEXPECT_FAIL("", "handler left the dialog open", Continue);
    const int leftOpen = platform::modalRunner().run(dialog);
    QCOMPARE(leftOpen, int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(runner.shownNames(), (QStringList{"offen", "offen"}));
}

void TestModalRunner::realRunnerRunsModally()
{
    OkCancelDialog dialog(QStringLiteral("echt"));
    bool wasModal = false;
    QTimer::singleShot(50, &dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &dialog;
        click(&dialog, "okbtn");
    });
    QCOMPARE(platform::modalRunner().run(dialog), int(QDialog::Accepted));
    QVERIFY(wasModal);
}

LERNORA_TEST_MAIN_WITH_FAILING_CASES(TestModalRunner, FailingCases)
#include "test_modalrunner.moc"
