#include "trainingrecordprint.h"

#include "formparts.h"
#include "store/settings.h"
#include "store/settingskeys.h"

namespace keys = store::settingskeys;

using engine::Band;
using forms::arial;
using forms::mm;

namespace {

// The nine lines under the value lines, 129.9 mm from 10.1 mm; each is the
// middle of a 4 mm high element.
constexpr double lineTops[] = {89.6, 107.3, 125.3, 159.4, 177.1, 195.1, 230.1, 255.5, 268.9};
constexpr double valueHeight = 5.3; // mm, a line of Arial 12 pt

} // namespace

TQRMDForm::TQRMDForm(const store::Places &places, QObject *parent)
    : QObject(parent), m_places(places), m_report(QStringLiteral("qrnachweis"))
{
    setObjectName(QStringLiteral("QRMDForm"));
    build();
}

void TQRMDForm::build()
{
    engine::Report &r = m_report;
    r.title = QStringLiteral("Ausbildungsbachweis");
    r.margins = QMarginsF(250, 127, 127, 0);
    r.font = arial(10);
    r.beforePrint = [this](engine::Report &, bool &) { qrnachweisBeforePrint(); };

    Band &band = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 2781);
    r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), 63);

    auto &title = band.add<engine::Label>(QStringLiteral("QRLabel1"),
                                          QStringLiteral("Ausbildungsnachweis zur Berufsausbildung im "
                                                         "Schornsteinfegerhandwerk"));
    title.geometry = mm(10.6, 12.7, 127.3, 49.0);
    title.font = arial(25);
    title.wordWrap = true;

    // Values print as stored, on one line however long.
    const auto value = [&](const char *name, double x, double y, QLatin1String section, QLatin1String key,
                           Qt::Alignment alignment = Qt::AlignLeft) {
        auto &v = band.add<engine::Label>(QString::fromLatin1(name), QString());
        v.geometry = mm(x, y, 0, valueHeight);
        v.font = arial(12);
        v.alignment = alignment;
        v.autoSize = true;
        m_values.push_back({&v, section, key});
        return &v;
    };
    const auto caption = [&](const char *name, const QString &text, double x, double y, double points = 10) {
        forms::label(band, QString::fromLatin1(name), text, x, y, arial(points));
    };

    value("stiftname", 10.1, 84.4, keys::Stift, keys::Name);
    caption("QRLabel2", QStringLiteral("Auszubildender"), 10.1, 90.0);
    value("gebdat", 10.1, 102.1, keys::Stift, keys::Gebdat);
    caption("QRLabel3", QStringLiteral("Geburtsdatum"), 10.1, 107.4);
    value("stiftort", 10.1, 120.1, keys::Stift, keys::Ort);
    value("stiftstrasse", 90.0, 120.1, keys::Stift, keys::Strasse);
    caption("QRLabel4", QStringLiteral("Ort"), 10.1, 125.4);
    caption("QRLabel5", QStringLiteral("Straße"), 90.0, 125.7);
    value("bkmname", 10.1, 154.3, keys::BKM, keys::Name);
    caption("QRLabel6", QStringLiteral("Ausbildender"), 10.1, 159.8);
    value("bkmort", 10.1, 172.0, keys::BKM, keys::Ort);
    value("bkmstrasse", 90.0, 172.0, keys::BKM, keys::Strasse);
    caption("QRLabel7", QStringLiteral("Ort"), 10.1, 177.3);
    caption("QRLabel8", QStringLiteral("Straße"), 90.0, 177.3);
    value("innung", 10.1, 190.0, keys::BKM, keys::Innung);
    caption("QRLabel9", QStringLiteral("Innung"), 10.1, 195.3);
    caption("QRLabel10", QStringLiteral("Vertragliche Ausbildungszeit vom: "), 10.1, 224.9, 12);
    value("azvom", 74.1, 224.9, keys::Stift, keys::AZvom);
    caption("QRLabel11", QStringLiteral("bis:"), 102.7, 224.9, 12);
    // The end date grows to the left from its right edge.
    engine::Label *end = value("azbis", 139.7, 224.9, keys::Stift, keys::AZbis, Qt::AlignRight);
    end->geometry.moveRight(1397);
    caption("QRLabel12", QStringLiteral("Ausbildungsnachweis begonnen am: "), 10.1, 250.3, 12);
    value("abnstart", 90.2, 250.3, keys::Stift, keys::ABNStart);
    caption("QRLabel13", QStringLiteral("Ausbildungsnachweis abgeschlossen am: "), 10.1, 263.8, 12);
    value("abnende", 90.2, 263.8, keys::Stift, keys::ABNEnde);

    // Below the last line, in the room the title band has left.
    m_fingerprint = &band.add<engine::Label>(QStringLiteral("pruefsumme"), QString());
    m_fingerprint->geometry = mm(10.1, 271.3, 129.9, 6.6);
    m_fingerprint->font = arial(6.5);
    m_fingerprint->wordWrap = true;
    m_fingerprint->enabled = false;

    int n = 1;
    for (double top : lineTops)
        forms::horizontalLine(band, QStringLiteral("QRShape%1").arg(n++), mm(10.1, top - 2.0, 129.9, 4.0));
}

void TQRMDForm::qrnachweisBeforePrint()
{
    // Read at every run: the basic data may have changed since the last one.
    const store::Settings ini(m_places.settingsFile());
    for (const Value &v : m_values)
        v.item->caption = ini.readString(v.section, v.key);
}

void TQRMDForm::setFingerprint(const QByteArray &hex)
{
    m_fingerprint->enabled = !hex.isEmpty();
    m_fingerprint->caption = QStringLiteral("Prüfsumme (SHA-256): %1\nSie ändert sich mit jeder späteren Änderung "
                                            "an den Berichten; sie ist keine Unterschrift.")
                                 .arg(QString::fromLatin1(hex));
}
