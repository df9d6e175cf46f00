#pragma once

// The back sheet of a weekly report: the description of special training
// contents with a page header on every page, and up to two pictures sized
// as the report editor displays them. It prints the current row of the
// reports table.

#include "print/engine/report.h"
#include "print/formparts.h"
#include "print/tablesource.h"

#include <QObject>
#include <QSize>

namespace store {
class TableSet;
struct Session;
} // namespace store

class Tqrruecksform : public QObject
{
    Q_OBJECT
public:
    Tqrruecksform(store::TableSet &tables, store::Session &session, QObject *parent = nullptr);
    ~Tqrruecksform() override;

    engine::Report &QuickRep() { return m_report; }

    // The size in screen pixels at which the editor shows picture 0 or 1;
    // each pixel prints 0.18 mm. Until the editor says otherwise, its
    // initial picture boxes of 145 × 145 pixels.
    void setPictureDisplaySize(int picture, const QSize &pixels);
    // The size at which the editor shows a picture of `picture` pixels at
    // `zoom` per cent: 9 pixels per per cent wide, the height in proportion,
    // halves to the even neighbour. Invalid for a picture without width.
    static QSize displaySize(const QSize &picture, int zoom);
    // The size at which the editor shows a stored picture (its file's bytes)
    // at its stored zoom, which the editor's slider keeps within 5 to 100
    // per cent; 1 x 1 for an empty or unreadable picture.
    static QSize storedDisplaySize(const QByteArray &picture, int zoom);
    QSize pictureDisplaySize(int picture) const { return m_display[picture]; }
    // The size in mm at which a picture shown at `display` pixels prints.
    static QSizeF printedSizeMm(const QSize &display);

    // How the description `text` (stored form: RTF or plain) would fit the
    // back sheet of the current row, with the pictures at their display
    // size: measured by a run of the sheet.
    forms::TextFit descriptionFit(const QString &text);

    // Report event
    void QuickRepBeforePrint();

private:
    void build();

    store::Session &m_session;
    forms::TableSource m_reportRow; // the current row of the reports table
    engine::Report m_report;
    QSize m_display[2] = {QSize(145, 145), QSize(145, 145)};
    double m_textTop = 0; // where the description's band started, and on which page
    int m_textPage = 0;
};
