#include "bench.h"

#include <QApplication>
#include <QStringList>
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
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--start"))
        return bench::startUpChild(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--pdf"))
        return bench::exportDocuments(args[2]);
    // "--sizes [name]": only the benchmarks at real sizes (or one of them).
    if (args.size() >= 2 && args[1] == QLatin1String("--sizes")) {
        bench::sizeBenchmarks(args.value(2));
        return 0;
    }
    bench::storeBenchmarks();
    bench::appBenchmarks();
    bench::planBenchmarks();
    bench::editorBenchmarks();
    bench::pictureBenchmarks();
    bench::printBenchmarks();
    bench::sizeBenchmarks();
    return 0;
}
