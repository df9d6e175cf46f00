#pragma once

// The objects of a PDF file as Qt's engine writes it: one after the other,
// with one cross-reference table of their places from object 0 and a
// trailer. Objects can be replaced and added; the file is then written
// anew with the untouched objects copied byte for byte, a new table and a
// trailer that keeps the old one's entries (its /Size made right).

#include <QByteArray>
#include <QVector>
#include <functional>
#include <map>

namespace engine::pdfobjects {

class Objects
{
public:
    // Reads the layout of `pdf`, which must live as long as this object.
    // False when the file is not laid out as expected.
    bool read(const QByteArray &pdf);

    // The numbers of the objects, in the order of the file.
    std::map<qint64, int> byPlace() const { return m_byPlace; }
    bool has(int number) const { return m_objects.count(number) > 0; }
    // What stands between "N 0 obj" and "endobj" (replaced ones as given).
    QByteArray body(int number) const;
    // Another body for an object, or a new object's; returns its number.
    void replace(int number, const QByteArray &body) { m_changed[number] = body; }
    int add(const QByteArray &body);
    // The object a trailer entry refers to ("/Root", "/Info"), or 0.
    int trailerReference(const QByteArray &key) const;
    // The trailer's dictionary, "<< ... >>".
    QByteArray trailer() const { return m_trailer; }
    // The file with the changes.
    QByteArray written() const;

private:
    struct Place
    {
        qint64 at = 0, length = 0; // the whole object, "N 0 obj" to the next
    };
    const QByteArray *m_pdf = nullptr;
    std::map<qint64, int> m_byPlace;
    std::map<int, Place> m_objects;
    std::map<int, QByteArray> m_changed; // number -> body
    int m_count = 0;                     // objects numbered below this
    QByteArray m_trailer;                // "<< ... >>"
};

// A number in `text` after `key` and a space, or -1; `indirect` tells
// whether it refers to an object ("12 0 R").
qint64 numberAfter(const QByteArray &text, const QByteArray &key, bool *indirect = nullptr);

// Object `number` as a file holds it.
QByteArray objectText(int number, const QByteArray &body);

// The end of a file whose objects 0 to size - 1 stand at their places (those
// without a place are free): the cross-reference table at `xref`, the
// trailer with its /Size made right, and where the table starts.
QByteArray ending(const std::map<int, qint64> &placeOf, int size, const QByteArray &trailer, qint64 xref);

// `body` with each reference "N 0 R" outside its strings and its stream
// data replaced by "renumbered(N) 0 R"; the numbers referred to, in order.
QByteArray withReferences(const QByteArray &body, const std::function<int(int)> &renumbered);
QVector<int> references(const QByteArray &body);

// The pages of a file Qt wrote, in their order: the kids of its one page
// tree node (`node`). False when the file has no such node or no pages.
bool pageTree(const Objects &objects, int &node, QVector<int> &pages);

// A text as a PDF string: UTF-16 with its byte-order mark, in hex.
QByteArray textString(const QString &text);

} // namespace engine::pdfobjects
