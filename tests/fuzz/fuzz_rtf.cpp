// Fuzz target: any bytes read as RTF give a document, never a crash or a
// hang; the document is written as 7-bit RTF, and reading and writing that
// again gives the same RTF and the same text.

#include "richtext/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what, const QByteArray &first, const QByteArray &second)
{
    if (ok)
        return;
    std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, first.constData(), second.constData());
    std::abort();
}

void roundTrip(QTextDocument &document)
{
    const QByteArray first = richtext::writeRtf(document);
    for (char c : first)
        check(uchar(c) < 0x80, "the RTF is not 7-bit", first, {});
    QTextDocument again;
    again.setDefaultFont(document.defaultFont());
    check(richtext::readRtf(again, first), "our RTF is not RTF", first, {});
    const QByteArray second = richtext::writeRtf(again);
    check(second == first, "writing what was read changes the RTF", first, second);
    check(again.toPlainText() == document.toPlainText(), "the text changes",
          document.toPlainText().toUtf8(), again.toPlainText().toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(app);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QFont font(QStringLiteral("Arial"), 10);

    // The bytes of a file; input that is not RTF is read as RTF too.
    QTextDocument document;
    document.setDefaultFont(font);
    if (!richtext::readRtf(document, bytes))
        richtext::readRtf(document, "{\\rtf1 " + bytes);
    roundTrip(document);

    // The text of a memo field.
    QTextDocument field;
    field.setDefaultFont(font);
    richtext::load(field, QString::fromUtf8(bytes));
    roundTrip(field);
    return 0;
}
