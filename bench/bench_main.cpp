#include "bench.h"
#include "benchdata.h"

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
    if (args.size() == 4 && args[1] == QLatin1String("--recordpdf"))
        return bench::recordPdfChild(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("--pdf"))
        return bench::exportDocuments(args[2]);
    // "--daten ORDNER JAHRE": a working directory with that many training
    // years of reports, every second one with two 800 x 600 photos, to look
    // at in the program (lernora --daten-ordner ORDNER).
    if (args.size() == 4 && args[1] == QLatin1String("--daten")) {
        bench::ReportData data = bench::trainingYears(args[3].toInt());
        data.pictureEvery = 2;
        bench::makeDataDirectory(args[2], data);
        return 0;
    }
    if (args.size() == 2 && args[1] == QLatin1String("--buerosuite"))
        return bench::officeComparison();
    if (args.size() == 2 && args[1] == QLatin1String("--rechtschreibung")) {
        bench::spellingBenchmarks();
        return 0;
    }
    // "--sizes [name]": only the benchmarks at real sizes (or one of them).
    if (args.size() >= 2 && args[1] == QLatin1String("--sizes")) {
        bench::sizeBenchmarks(args.value(2));
        return 0;
    }
    bench::storeBenchmarks();
    bench::appBenchmarks();
    bench::planBenchmarks();
    bench::editorBenchmarks();
    bench::spellingBenchmarks();
    bench::pictureBenchmarks();
    bench::printBenchmarks();
    bench::sizeBenchmarks();
    return 0;
}
