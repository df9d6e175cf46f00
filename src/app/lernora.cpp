// Program start: one instance only, then the windows and the message loop.

#include "application.h"
#include "mainform.h"
#include "platform/messages.h"
#include "platform/singleinstance.h"
#include "store/storeerror.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lernora"));

    // A second start brings the running program to the front and ends.
    platform::SingleInstance guard(QStringLiteral("Berichtsheft"));
    if (!guard.acquire())
        return 0;

    std::unique_ptr<lernora::Application> program;
    try {
        program = std::make_unique<lernora::Application>();
    } catch (const store::StoreError &e) {
        platform::messages().error(e.message() + QStringLiteral("\n\nDas Programm kann nicht gestartet werden."));
        return 1;
    }
    TMainForm *main = program->mainForm();
    QObject::connect(&guard, &platform::SingleInstance::activationRequested, main, [main] {
        main->showNormal();
        main->raise();
        main->activateWindow();
    });
    main->show();
    return app.exec();
}
