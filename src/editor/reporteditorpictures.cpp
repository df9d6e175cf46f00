// The report editor's picture page: loading, deleting and sizing the two
// pictures of the back sheet.

#include "reporteditor.h"

#include "controls/dbcontrols.h"
#include "platform/filedialog.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/pictureloader.h"
#include "print/backsheet.h"
#include "store/fields.h"
#include "store/tableset.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>

namespace field = store::field;

namespace {

// A report's picture has at most this many pixels (about 3 megapixels).
constexpr qint64 maxPicturePixels = 3'100'000;

} // namespace

void Tberichtdlg::setSlider(int picture, int value)
{
    const QSignalBlocker block(m_trackBar[picture]);
    m_trackBar[picture]->setValue(value);
    TrackBarChange(picture); // also when the slider had the value already
}

void Tberichtdlg::TrackBarChange(int picture)
{
    const QSize size = m_image[picture]->pictureSize();
    if (size.isEmpty()) {
        showPrintedSize(picture);
        return;
    }
    const int value = m_trackBar[picture]->value();
    m_groesse[picture]->setText(QString::number(value));
    m_image[picture]->resize(Tqrruecksform::displaySize(size, value));
    fitPictureArea(picture);
    showPrintedSize(picture);
}

void Tberichtdlg::showPrintedSize(int picture)
{
    QString text;
    if (!m_image[picture]->pictureSize().isEmpty()) {
        const QSizeF mm = Tqrruecksform::printedSizeMm(m_image[picture]->size());
        const QLocale german(QLocale::German, QLocale::Germany);
        text = QStringLiteral("Druckgröße: %1 × %2 cm")
                   .arg(german.toString(mm.width() / 10, 'f', 1), german.toString(mm.height() / 10, 'f', 1));
    }
    m_druckgroesse[picture]->setText(text);
    m_druckgroesse[picture]->adjustSize();
}

void Tberichtdlg::fitPictureArea(int picture)
{
    // The area scrolls over the whole picture and a small margin below it.
    QWidget *content = m_image[picture]->parentWidget();
    const QRect shown = m_image[picture]->geometry();
    content->resize(std::max(content->minimumWidth(), shown.right() + 1),
                    std::max(content->minimumHeight(), shown.bottom() + 1 + 8));
}

void Tberichtdlg::showPictureSize(int picture, qint64 bytes)
{
    m_bildgroessenlabel[picture]->setText(QString::number(bytes));
    m_bildgroessenlabel[picture]->adjustSize();
}

void Tberichtdlg::showStoredPictureSize(int picture)
{
    showPictureSize(picture, report().byteSize(picture == 0 ? field::Bild1 : field::Bild2));
}

void Tberichtdlg::bildladenbtnClick(int picture)
{
    const QString file =
        platform::getOpenFileName(this, QStringLiteral("Bild laden"), platform::pictureFileFilter());
    if (!file.isEmpty() && mayChangeSheet()) {
        store::Table &rep = report();
        rep.edit();
        const platform::LoadedPicture loaded = platform::loadPicture(file, maxPicturePixels);
        switch (loaded.status) {
        case platform::LoadedPicture::Status::Failed:
            // The stored picture stays, and so do the slider and the figure.
            platform::messages().error(loaded.error);
            return;
        case platform::LoadedPicture::Status::TooLarge:
            platform::messages().information(QStringLiteral("Die Grafik ist mit 3 Megapixeln im Ausgangsformat zu "
                                                            "groß und kann nicht geladen werden."));
            loadScaledCopy(picture, file, loaded.size);
            break;
        case platform::LoadedPicture::Status::Ok:
            rep.setValue(picture == 0 ? field::Bild1 : field::Bild2, platform::toBitmap(loaded.image));
            break;
        }
        setSlider(picture, 50);
    }
    const QImage shown = m_image[picture]->picture();
    showPictureSize(picture, shown.isNull() ? 0 : qint64(shown.width()) * shown.height() * 3);
}

void Tberichtdlg::loadScaledCopy(int picture, const QString &file, const QSize &size)
{
    // A phone's photo is always above the limit: offered smaller, the file
    // itself untouched.
    const QSize fitted = platform::fitWithin(size, maxPicturePixels);
    const QLocale german(QLocale::German, QLocale::Germany);
    if (platform::messages().confirmYesNo(
            QStringLiteral("Das Bild hat %1 × %2 Bildpunkte. Möchten Sie stattdessen eine verkleinerte Kopie mit "
                           "%3 × %4 Bildpunkten laden? Ihre Bilddatei selbst bleibt unverändert.")
                .arg(german.toString(size.width()), german.toString(size.height()), german.toString(fitted.width()),
                     german.toString(fitted.height())))
        != platform::Answer::Yes)
        return;
    const platform::LoadedPicture scaled = platform::loadPicture(file, maxPicturePixels, platform::Fit::ScaleDown);
    if (scaled.status != platform::LoadedPicture::Status::Ok) {
        platform::messages().error(scaled.status == platform::LoadedPicture::Status::Failed
                                       ? scaled.error
                                       : QStringLiteral("Das Bild ist auch für eine verkleinerte Kopie zu groß. "
                                                        "Bitte verkleinern Sie es vorher mit einem Bildprogramm."));
        return;
    }
    report().setValue(picture == 0 ? field::Bild1 : field::Bild2, platform::toBitmap(scaled.image));
}

void Tberichtdlg::bildloeschenbtnClick(int picture)
{
    store::Table &rep = report();
    // Deleting no picture changes nothing.
    if (rep.byteSize(picture == 0 ? field::Bild1 : field::Bild2) > 0 && !mayChangeSheet())
        return;
    rep.edit();
    rep.clearValue(picture == 0 ? field::Bild1 : field::Bild2);
    showStoredPictureSize(picture);
    m_image[picture]->resize(1, 1);
    fitPictureArea(picture);
    showPrintedSize(picture);
}

void Tberichtdlg::SpeedButton1Click()
{
    platform::messages().information(QStringLiteral("Bitte bedenken Sie, daß Bilder und Grafiken sehr schnell "
                                                    "viel Speicherplatz belegen können und "
                                                    "nicht deutlich größer als 2.000.000 Bytes bzw. max. 2 "
                                                    "Megapixel sein sollten!"));
}
