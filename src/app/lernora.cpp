// Program start: the place to work in, one instance only, then the windows
// and the message loop.

#include "application.h"
#include "mainform.h"
#include "startplace.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lernora"));

    const QString userDir = platform::userDataDirectory();
    const lernora::StartPlace place =
        lernora::chooseStartPlace(QApplication::arguments().mid(1), QDir::currentPath(), userDir);
    if (place.kind == lernora::StartPlace::Kind::Invalid) {
        platform::messages().error(place.problem);
        return 2;
    }

    // A second start brings the running program to the front and ends.
    platform::SingleInstance guard(QStringLiteral("Berichtsheft"));
    if (!guard.acquire())
        return 0;

    std::unique_ptr<lernora::Application> program;
    try {
        lernora::enterStartPlace(place);
        program = std::make_unique<lernora::Application>();
    } catch (const store::StoreError &e) {
        QString text = e.message() + QStringLiteral("\n\nDas Programm kann nicht gestartet werden.");
        if (place.kind == lernora::StartPlace::Kind::Current
            && !QFileInfo(QDir::current().filePath(QStringLiteral("daten"))).isDir())
            text += QStringLiteral("\n\n") + lernora::howToStart(userDir);
        platform::messages().error(text);
        return 1;
    }
    TMainForm *main = program->mainForm();
    QObject::connect(&guard, &platform::SingleInstance::activationRequested, main, [main] {
        main->showNormal();
        main->raise();
        main->activateWindow();
    });
    main->show();
    program->offerRecovery();
    return app.exec();
}
