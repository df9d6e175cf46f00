// The cover sheet of the training record, previewed from the menu: values
// read from the settings file at print time whatever the case of their keys,
// their places on A4, the end date growing to the left, values that never
// wrap, and a missing settings file.

#include "planfixture.h"

#include "pdfwords.h"
#include "previewfixture.h"
#include "print/engine/document.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

using testsupport::PdfText;
using testsupport::PdfWord;

namespace {

constexpr double tolerance = 0.5; // mm
// The band's top-left corner on the page: the margins.
constexpr double left0 = 25.0, top0 = 12.7;

} // namespace

class TestTrainingRecord : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::PlanFixture> f;
    QTemporaryDir m_out;

    PdfText previewed()
    {
        const QString file = m_out.filePath(QStringLiteral("nachweis.pdf"));
        engine::PrintKind kind = engine::PrintKind::None;
        testsupport::whenShown([&](Tbwprformd5 *w) {
            kind = w->printKind();
            engine::exportPdf(*w->document(), file);
        });
        f->form()->findChild<QAction *>(QStringLiteral("Ausbildungsnachweis1"))->trigger();
        [&] { QCOMPARE(kind, engine::PrintKind::TrainingRecord); }();
        return testsupport::readPdf(file);
    }

private slots:
    void init() { f = std::make_unique<testsupport::PlanFixture>(); }
    void cleanup() { f.reset(); }

    void valuesInPlace()
    {
        f->start(1);
        // Written after the start: the form reads the file when it prints. The
        // period's keys are spelled as the basic data writes them.
        store::Settings ini;
        for (const auto &[section, key, value] :
             {std::tuple{"Stift", "Name", "Lena Kaminski"}, std::tuple{"Stift", "Gebdat", "02.05.2008"},
              std::tuple{"Stift", "Ort", "Eulenbach"}, std::tuple{"Stift", "Strasse", "Am Schlot 3"},
              std::tuple{"Stift", "AZvom", "01.08.2025"}, std::tuple{"Stift", "AZbis", "31.07.2028"},
              std::tuple{"Stift", "ABNStart", "04.08.2025"}, std::tuple{"BKM", "Name", "Rußmeister Ofenberg"},
              std::tuple{"BKM", "Innung", "Schornsteinfeger-Innung Nord"}})
            ini.writeString(QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(value));

        const PdfText pdf = previewed();
        QCOMPARE(pdf.pages, 1);
        const QList<std::tuple<QString, double, double>> places{
            {"Ausbildungsnachweis", 10.6, 12.7}, {"Lena", 10.1, 84.4},        {"Auszubildender", 10.1, 90.0},
            {"02.05.2008", 10.1, 102.1},         {"Eulenbach", 10.1, 120.1}, {"Am", 90.0, 120.1},
            {"Rußmeister", 10.1, 154.3},         {"Innung", 10.1, 195.3},    {"01.08.2025", 74.1, 224.9},
            {"04.08.2025", 90.2, 250.3},         {"abgeschlossen", 0, 263.8}};
        for (const auto &[text, left, top] : places) {
            const PdfWord w = pdf.word(text);
            QVERIFY2(w.page, qPrintable(text));
            if (left > 0)
                QVERIFY2(qAbs(w.box.left() - (left0 + left)) < tolerance, qPrintable(text));
            QVERIFY2(qAbs(w.box.top() - (top0 + top)) < tolerance, qPrintable(text));
        }
        // The end date ends at 139.7 mm, wherever it begins.
        QVERIFY(qAbs(pdf.word(QStringLiteral("31.07.2028")).box.right() - (left0 + 139.7)) < tolerance);
        // The title wraps in its box; the values do not.
        QVERIFY(pdf.word(QStringLiteral("Schornsteinfegerhandwerk")).box.top() > top0 + 12.7 + 5);
        QCOMPARE(pdf.word(QStringLiteral("Nord")).box.top(), pdf.word(QStringLiteral("Schornsteinfeger-Innung")).box.top());
        // First names are not printed; the empty completion date prints nothing.
        QVERIFY(!pdf.pageText(1).contains(QLatin1String("VorName")));
    }

    void missingSettingsPrintEmptyValues()
    {
        f->start(1);
        QFile::remove(store::Settings::defaultPath());
        const PdfText pdf = previewed();
        QCOMPARE(pdf.pages, 1);
        QStringList words;
        for (const PdfWord &w : pdf.words)
            words << w.text;
        words.sort();
        QStringList captions = QStringLiteral("Ausbildungsnachweis zur Berufsausbildung im Schornsteinfegerhandwerk "
                                              "Auszubildender Geburtsdatum Ort Straße Ausbildender Ort Straße Innung "
                                              "Vertragliche Ausbildungszeit vom: bis: Ausbildungsnachweis begonnen am: "
                                              "Ausbildungsnachweis abgeschlossen am:")
                                   .split(QLatin1Char(' '));
        captions.sort();
        QCOMPARE(words, captions);
    }
};

QTEST_MAIN(TestTrainingRecord)
#include "test_trainingrecord.moc"
