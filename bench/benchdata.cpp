#include "benchdata.h"

#include "richtext/rtf.h"
#include "store/fields.h"
#include "store/install.h"
#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <algorithm>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>

namespace field = store::field;

namespace bench {

QByteArray activityText()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat plain, bold, raised, symbol;
    bold.setFontWeight(QFont::Bold);
    richtext::setHeightAndOffset(raised, 160, 66);
    richtext::setSymbolFont(symbol);
    for (int i = 0; i < 40; ++i) {
        c.insertText(QStringLiteral("zu 5 aa) "), bold);
        c.insertText(QStringLiteral("Abgaswege geprüft, Messwerte CO"), plain);
        c.insertText(QStringLiteral("2"), raised);
        c.insertText(QStringLiteral(" unter 1000 ppm, Abweichung "), plain);
        c.insertText(QString(richtext::symbolToUnicode(0xb1)), symbol);
        c.insertText(QStringLiteral(" 2 % festgestellt und notiert."), plain);
        c.insertBlock();
    }
    return richtext::writeRtf(doc);
}

QByteArray pictureBytes(const QSize &size, const char *format)
{
    // A ramp with noise, which compresses about as badly as a photo.
    QImage picture(size, QImage::Format_RGB888);
    quint32 noise = 12345;
    for (int y = 0; y < picture.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = int((noise >> 16) & 31) - 16;
            line[3 * x] = uchar(qBound(0, x % 256 + n, 255));
            line[3 * x + 1] = uchar(qBound(0, y % 256 - n, 255));
            line[3 * x + 2] = uchar(qBound(0, (x + y) % 256 + n / 2, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

void fillReports(store::TableSet &tables, const ReportData &data)
{
    store::Table &reports = tables.berichttable();
    store::Table &items = tables.berichtdetailtable();
    const QString activities = data.activities ? QString::fromLatin1(activityText()) : QString();
    // Items name plan rows that exist (else a deletion stops as inconsistent).
    store::Table &plan = tables.table1();
    QList<int> tags;
    for (plan.first(); !plan.eof() && tags.size() < 50; plan.next())
        if (!plan.asBool(field::Isheader))
            tags << plan.asInt(field::LfdfTag);
    const QDate start = firstReportWeek();
    store::Transaction tx(tables);
    for (int i = 0; i < data.reports; ++i) {
        const int year = (i / 52) % 3 + 1;
        const int number = (i / 156) * 52 + i % 52 + 1;
        const QDate monday = start.addDays(7 * i);
        reports.append();
        reports.setValue(field::AJahr, year);
        reports.setValue(field::Nummer, number);
        reports.setValue(field::Blatt, 1);
        reports.setValue(field::WocheVom, monday);
        reports.setValue(field::WocheBis, monday.addDays(4));
        reports.setValue(field::Datum, monday.addDays(4));
        reports.setValue(field::Thema, QStringLiteral("Abgasmessung Woche %1").arg(i + 1));
        if (!activities.isEmpty())
            reports.setValue(field::Taetigkeit, activities);
        if (!data.picture.isEmpty() && i % std::max(1, data.pictureEvery) == 0) {
            QByteArray first = data.picture, second = data.picture;
            if (data.distinctPictures) {
                // The last bytes of a bitmap are pixels of its top row.
                first[first.size() - 1 - (i % 1000)] = char(i / 1000 + 1);
                second[second.size() - 1001 - (i % 1000)] = char(i / 1000 + 1);
            }
            reports.setValue(field::Bild1, first);
            reports.setValue(field::Bild2, second);
        }
        reports.post();
        const int master = reports.asInt(field::BerLfd);
        for (int k = 0; k < data.itemsPerReport; ++k) {
            items.append();
            items.setValue(field::Masterlfd, master);
            items.setValue(field::Lfdnr, 5);
            items.setValue(field::LfdfTag, tags[(i * data.itemsPerReport + k) % tags.size()]);
            items.setValue(field::Text, QStringLiteral("Punkt %1 des Berichts %2").arg(k + 1).arg(i + 1));
            items.post();
        }
    }
    tx.commit();
}

ReportData trainingYears(int years)
{
    ReportData data;
    data.reports = 52 * years;
    data.picture = pictureBytes(QSize(800, 600));
    data.pictureEvery = years > 3 ? 2 : 1;
    data.distinctPictures = true;
    return data;
}

void writeBasicData(const QString &dir, const ReportData &data)
{
    namespace keys = store::settingskeys;
    store::Settings settings(QDir(dir).filePath(QStringLiteral("Ruririd.ini")));
    const QDate start = firstReportWeek();
    // The training lasts as long as the reports go, at least a year.
    const int years = std::max(1, (data.reports + 51) / 52);
    auto text = [](const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); };
    settings.writeString(keys::Stift, keys::Name, QStringLiteral("Anna Beispiel"));
    settings.writeString(keys::BKM, keys::Name, QStringLiteral("Bernd Meister"));
    settings.writeString(keys::Stift, keys::AZvom, text(start));
    settings.writeString(keys::Stift, keys::AZbis, text(start.addDays(7 * 52 * years - 3)));
    const QLatin1String firsts[] = {keys::vom1, keys::vom2, keys::vom3};
    const QLatin1String lasts[] = {keys::bis1, keys::bis2, keys::bis3};
    for (int y = 0; y < 3; ++y) {
        settings.writeString(keys::Stift, firsts[y], text(start.addDays(7 * 52 * y)));
        settings.writeString(keys::Stift, lasts[y], text(start.addDays(7 * 52 * (y + 1) - 3)));
    }
}

void makeDataDirectory(const QString &dir, const ReportData &data)
{
    store::installDataDirectory(dir);
    writeBasicData(dir, data);
    store::TableSet tables(QDir(dir).filePath(QStringLiteral("daten")));
    tables.openAtStart();
    fillReports(tables, data);
}

namespace {

double statusMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace

double residentMb()
{
    return statusMb("VmRSS:");
}

double peakResidentMb()
{
    return statusMb("VmHWM:");
}

} // namespace bench
