#pragma once

// Runs test functions that are meant to fail in a child process of the test
// executable, so that a test can check that (and how) they fail.

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

inline constexpr char failingCasesArgument[] = "--failing-cases";

struct ChildRun
{
    bool failed = false; // ended normally with a non-zero exit code
    QString output;
};

inline ChildRun runFailingCase(const QString &function)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(failingCasesArgument), function});
    child.waitForFinished(60000);
    ChildRun run;
    run.failed = child.exitStatus() == QProcess::NormalExit && child.exitCode() != 0;
    run.output = QString::fromUtf8(child.readAll());
    return run;
}

// main() for a test object plus an object of failing cases run on demand.
#define LERNORA_TEST_MAIN_WITH_FAILING_CASES(TestClass, FailingClass)                          \
    int main(int argc, char **argv)                                                            \
    {                                                                                          \
        QApplication app(argc, argv);                                                          \
        if (argc > 1 && qstrcmp(argv[1], failingCasesArgument) == 0) {                         \
            FailingClass cases;                                                                \
            QStringList args = app.arguments();                                                \
            args.removeAt(1);                                                                  \
            return QTest::qExec(&cases, args);                                                 \
        }                                                                                      \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }
