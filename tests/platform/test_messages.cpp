#include "platform/language.h"
#include "platform/messages.h"
#include "scriptedmessages.h"
#include "selfrun.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using platform::Answer;
using platform::ScriptedMessages;

// Cases that must fail the test they run in; run in a child process.
class FailingCases : public QObject
{
    Q_OBJECT
private slots:
    void unansweredQuestion()
    {
        ScriptedMessages scripted;
        platform::messages().confirmYesNo(QStringLiteral("Bericht wirklich löschen?"));
    }
    void wrongKindOfAnswer()
    {
        ScriptedMessages scripted;
        scripted.answer(Answer::Ok);
        platform::messages().confirmYesNo(QStringLiteral("Programm wirklich beenden?."));
    }
    void answeredQuestion() // the control case: passes
    {
        ScriptedMessages scripted;
        scripted.answer(Answer::Cancel);
        QCOMPARE(platform::messages().confirmOkCancel(QStringLiteral("Weiter?")), Answer::Cancel);
    }
};

class TestMessages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setApplicationDisplayName(QStringLiteral("Lernora"));
        platform::useGermanTexts();
    }
    void answersInOrderAndRecordsEverything();
    void installsAndRestores();
    void questionWithoutFittingAnswerFailsTheTest_data();
    void questionWithoutFittingAnswerFailsTheTest();
    void questionWithoutFittingAnswerGivesNegative();
    void realBoxes_data();
    void realBoxes();
};

void TestMessages::answersInOrderAndRecordsEverything()
{
    ScriptedMessages scripted;
    scripted.answer(Answer::Yes);
    scripted.answer(Answer::Cancel);
    scripted.answer(Answer::No);
    scripted.answer(Answer::Ok);
    QCOMPARE(scripted.pendingAnswers(), 4);

    platform::MessageService &m = platform::messages();
    QCOMPARE(m.confirmYesNo(QStringLiteral("F1")), Answer::Yes);
    m.information(QStringLiteral("N1"));
    QCOMPARE(m.confirmOkCancel(QStringLiteral("F2")), Answer::Cancel);
    m.error(QStringLiteral("E1"));
    m.beep();
    m.beep();
    QCOMPARE(m.confirmYesNo(QStringLiteral("F3")), Answer::No);
    QCOMPARE(m.confirmOkCancel(QStringLiteral("F4")), Answer::Ok);

    QCOMPARE(scripted.shown(), (QStringList{"F1", "N1", "F2", "E1", "F3", "F4"}));
    QCOMPARE(scripted.questions(), (QStringList{"F1", "F2", "F3", "F4"}));
    QCOMPARE(scripted.notices(), QStringList{"N1"});
    QCOMPARE(scripted.errors(), QStringList{"E1"});
    QCOMPARE(scripted.beeps(), 2);
    QCOMPARE(scripted.pendingAnswers(), 0);

    scripted.answer(Answer::Yes);
    scripted.clear();
    QCOMPARE(scripted.pendingAnswers(), 0);
    QVERIFY(scripted.shown().isEmpty() && scripted.questions().isEmpty());
    QCOMPARE(scripted.beeps(), 0);
}

void TestMessages::installsAndRestores()
{
    platform::MessageService *real = &platform::messages();
    {
        ScriptedMessages scripted;
        QCOMPARE(&platform::messages(), static_cast<platform::MessageService *>(&scripted));
    }
    QCOMPARE(&platform::messages(), real);
    QVERIFY(!dynamic_cast<ScriptedMessages *>(real));
}

void TestMessages::questionWithoutFittingAnswerFailsTheTest_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("no answer") << "unansweredQuestion" << "Bericht wirklich löschen?";
    QTest::newRow("wrong kind") << "wrongKindOfAnswer" << "Programm wirklich beenden?.";
}

void TestMessages::questionWithoutFittingAnswerFailsTheTest()
{
    QFETCH(QString, function);
    QFETCH(QString, expectedText);
    const ChildRun control = runFailingCase(QStringLiteral("answeredQuestion"));
    QVERIFY2(!control.failed, qPrintable(control.output));

    const ChildRun run = runFailingCase(function);
    QVERIFY2(run.failed, qPrintable(run.output));
    QVERIFY2(run.output.contains(QStringLiteral("FAIL!")) && run.output.contains(expectedText),
             qPrintable(run.output));
}

void TestMessages::questionWithoutFittingAnswerGivesNegative()
{
    ScriptedMessages scripted;
    QEXPECT_FAIL("", "no answer queued", Continue);
    const Answer noAnswer = platform::messages().confirmYesNo(QStringLiteral("F1"));
    // Passes only when the question above already failed the test: an
    // expected failure that did not happen makes this an unexpected pass.
    QCOMPARE(noAnswer, Answer::No);

    scripted.answer(Answer::Yes);
    QEXPECT_FAIL("", "Yes does not answer OK/Cancel", Continue);
    const Answer wrongKind = platform::messages().confirmOkCancel(QStringLiteral("F2"));
    QCOMPARE(wrongKind, Answer::Cancel);
    QCOMPARE(scripted.pendingAnswers(), 0);
    QCOMPARE(scripted.questions(), (QStringList{"F1", "F2"}));
}

void TestMessages::realBoxes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<QString>("click");
    QTest::addColumn<int>("expected");
    const QStringList yesNo{"&Ja", "&Nein"};
    const QStringList okCancel{"OK", "Abbrechen"};
    QTest::newRow("yes/no: yes") << 0 << int(QMessageBox::Question) << yesNo << "&Ja" << "&Ja" << int(Answer::Yes);
    QTest::newRow("yes/no: no") << 0 << int(QMessageBox::Question) << yesNo << "&Ja" << "&Nein" << int(Answer::No);
    QTest::newRow("ok/cancel: ok") << 1 << int(QMessageBox::Information) << okCancel << "OK" << "OK" << int(Answer::Ok);
    QTest::newRow("ok/cancel: cancel") << 1 << int(QMessageBox::Information) << okCancel << "OK" << "Abbrechen" << int(Answer::Cancel);
    QTest::newRow("information") << 2 << int(QMessageBox::Information) << QStringList{"OK"} << "OK" << "OK" << -1;
    QTest::newRow("error") << 3 << int(QMessageBox::Critical) << QStringList{"OK"} << "OK" << "OK" << -1;
    QTest::newRow("confirmation, OK alone") << 4 << int(QMessageBox::Question) << QStringList{"OK"} << "OK" << "OK" << -1;
    // The technical words only behind a German button.
    QTest::newRow("error with detail") << 5 << int(QMessageBox::Critical)
                                       << QStringList{"OK", "Details einblenden..."} << "OK" << "OK" << -1;
}

void TestMessages::realBoxes()
{
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    QFETCH(QString, click);
    QFETCH(int, expected);

    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        seen = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("Lernora"));
        // Every kind of line break shows as one; markup shows as typed.
        QCOMPARE(box->text(), QStringLiteral("Zeile 1\nZeile 2\nZeile 3\nZeile <b>4</b>"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->detailedText(), kind == 5 ? QStringLiteral("SQLite: disk I/O error\nAnweisung: COMMIT") : QString());
        QCOMPARE(int(box->icon()), icon);
        QStringList texts;
        QPushButton *toClick = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            texts.append(b->text());
            if (b->text() == click)
                toClick = qobject_cast<QPushButton *>(b);
        }
        texts.sort();
        QStringList wanted = buttons;
        wanted.sort();
        QCOMPARE(texts, wanted);
        QVERIFY(box->defaultButton());
        QCOMPARE(box->defaultButton()->text(), defaultButton);
        QVERIFY(toClick);
        QTest::mouseClick(toClick, Qt::LeftButton);
    });
    QTimer guard; // never hang on a box nobody closes
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    guard.start(10000);
    poll.start();

    int answer = -1;
    platform::MessageService &m = platform::messages();
    const QString text = QStringLiteral("Zeile 1\rZeile 2\n\rZeile 3\r\nZeile <b>4</b>");
    switch (kind) {
    case 0: answer = int(m.confirmYesNo(text)); break;
    case 1: answer = int(m.confirmOkCancel(text)); break;
    case 2: m.information(text); break;
    case 3: m.error(text); break;
    case 4: m.confirmation(text); break;
    case 5: m.error(text, QStringLiteral("SQLite: disk I/O error\r\nAnweisung: COMMIT")); break;
    }
    QVERIFY(seen);
    QCOMPARE(answer, expected);
}

LERNORA_TEST_MAIN_WITH_FAILING_CASES(TestMessages, FailingCases)
#include "test_messages.moc"
