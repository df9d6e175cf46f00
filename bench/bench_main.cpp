#include "bench.h"

#include <QApplication>
#include <cstdio>

// The offscreen platform warns about every window it cannot size; the
// benchmark output stays readable without that noise.
static void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(msg));
}

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietHandler);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    bench::storeBenchmarks();
    bench::appBenchmarks();
    bench::planBenchmarks();
    bench::editorBenchmarks();
    bench::pictureBenchmarks();
    bench::printBenchmarks();
    return 0;
}
