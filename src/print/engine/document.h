#pragma once

// A rendered document: the pictures of its pages, the page size and a title.
// It can be saved to a saved report file and loaded from one:
//
//   header, 128 bytes (little-endian):
//     0  uint16  3      format
//     2  uint16  307    engine version
//     8  uint32         number of pages
//    16  double         creation time, days since 30 December 1899
//    25  uint8          1 when the pages are compressed
//    32  char[4] "LNRQ" our mark
//    36  uint32         page width, 0.1 mm
//    40  uint32         page height, 0.1 mm
//    44  uint16         length of the title in UTF-8 (at most 80 bytes)
//    48  char[80]       title
//   then per page: uint32 length, uint32 CRC-32 of the stored bytes, the
//   bytes of the page picture (zlib-compressed when flagged).
//   When byte 26 of the header is 1, the pictures placed on the pages follow
//   as one more record of the same form (length, CRC-32, bytes): "LNRI",
//   uint32 count of pictures, each as uint32 length and PNG bytes, then per
//   page uint32 count of placements, each as int32 picture and the target
//   and clip rectangles as 8 doubles (0.1 mm; an empty clip: none).
//
// A file that is truncated, damaged or not a saved report file is refused
// with an error; loading never trusts a length or count it has not checked.

#include "pagedevice.h"

#include <QHash>
#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <stdexcept>

class QPrinter;

namespace engine {

// An error reading or writing a saved report file; what() is German text for
// the user (UTF-8).
class FileError : public std::runtime_error
{
public:
    explicit FileError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A picture placed on a page: drawn over the page's recording, scaled to
// its target, inside its clip (0.1 mm). Pages hold pictures by reference,
// so a picture on many pages is stored and exported once.
struct Placement
{
    int image = 0; // index into the document's pictures
    QRectF target;
    QRectF clip; // empty: no clip
};

class Document
{
public:
    static constexpr int headerSize = 128;

    explicit Document(const QSizeF &pageSize = a4) : m_pageSize(pageSize) {}

    QSizeF pageSize() const { return m_pageSize; }
    void setPageSize(const QSizeF &size) { m_pageSize = size; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    int pageCount() const { return int(m_pages.size()); }
    // Pages are numbered from 1.
    const QPicture &page(int number) const { return m_pages.at(number - 1); }
    void addPage(const QPicture &page, const QVector<Placement> &placements = {});
    // Page `number` of another document, its pictures included.
    void addPage(const Document &from, int number);
    void clear();
    // The pictures placed on the pages; an image already held (the same
    // QImage, or one with the same pixels met through addImage before) is
    // held once.
    int addImage(const QImage &image);
    const QVector<QImage> &images() const { return m_images; }
    const QVector<Placement> &placements(int number) const { return m_placements.at(number - 1); }

    // Draws page `number` so that it fills target (painter coordinates).
    void paint(QPainter &painter, int number, const QRectF &target) const;

    // Saved report files; both throw FileError.
    void save(const QString &fileName) const;
    static Document load(const QString &fileName);
    // The same from and to bytes (the file's whole content).
    QByteArray toBytes() const;
    static Document fromBytes(const QByteArray &bytes, const QString &fileName = QString());

private:
    QSizeF m_pageSize;
    QString m_title;
    QVector<QPicture> m_pages;
    QVector<QVector<Placement>> m_placements; // per page
    QVector<QImage> m_images;
    QHash<qint64, int> m_imageByKey; // QImage::cacheKey -> index
};

// Writes the document as a PDF file, one A4 page (the document's page size)
// per page, text kept as text. Throws FileError.
void exportPdf(const Document &document, const QString &fileName);

// Prints pages first to last (first 0: every page) on the printer, as one
// job; returns false when the printer could not be started.
bool printPages(const Document &document, QPrinter &printer, int first = 0, int last = 0);

// Report file merge: the pages of the source files, in list order, into the
// target file. Returns 0 when done, -1 for an empty target name, -2 when no
// list is given, -3 for an empty list; nothing is written unless 0. A source
// that cannot be read throws FileError.
int mergeReportFiles(const QString &target, const QStringList *sources);

// Page-range copy: pages first to last of the source into the target; a
// first page of 0 copies every page, first > last copies none. Throws
// FileError when the source cannot be read or the target not written.
void copyPageRange(const QString &source, const QString &target, int first, int last);

} // namespace engine
