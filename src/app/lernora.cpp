// Program start: the start proper (start.h), then the message loop.

#include "application.h"
#include "start.h"
#include "platform/shell.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lernora"));
    lernora::Started started = lernora::start(QApplication::arguments().mid(1), platform::userDataDirectory());
    if (!started.program)
        return started.exitCode;
    return app.exec();
}
