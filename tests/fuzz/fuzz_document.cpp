// Fuzz target: loading a saved report file from arbitrary bytes must end in a
// document or a FileError, never in a crash; a loaded document must draw.

#include "print/engine/document.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_document";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(app);
    try {
        const engine::Document doc =
            engine::Document::fromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
        QImage img(105, 148, QImage::Format_RGB32);
        for (int n = 1; n <= doc.pageCount() && n <= 4; ++n) {
            img.fill(Qt::white);
            QPainter p(&img);
            doc.paint(p, n, img.rect());
        }
        for (int i = 0; i < doc.imageCount() && i < 4; ++i)
            doc.image(i);
    } catch (const engine::FileError &) {
    }
    return 0;
}
