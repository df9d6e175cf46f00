#include "pdfobjects.h"

#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>

namespace engine::pdfobjects {

namespace {

bool regular(char c)
{
    return !(std::isspace(uchar(c)) || c == '\0' || std::strchr("()<>[]{}/%", c) != nullptr);
}

// Past the string that starts at `i` (a literal one in brackets, with
// nesting and escapes, or a hex one in angle brackets), no further than
// `end`; `i` itself when no string starts there.
qsizetype pastString(const QByteArray &body, qsizetype i, qsizetype end)
{
    if (i >= end)
        return i;
    if (body.at(i) == '(') {
        qsizetype j = i + 1;
        for (int depth = 1; j < end && depth > 0; ++j) {
            if (body.at(j) == '\\')
                ++j;
            else if (body.at(j) == '(')
                ++depth;
            else if (body.at(j) == ')')
                --depth;
        }
        return std::min(j, end);
    }
    if (body.at(i) == '<' && (i + 1 >= end || body.at(i + 1) != '<')) {
        const qsizetype close = body.indexOf('>', i);
        return close < 0 || close >= end ? end : close + 1;
    }
    return i;
}

// Where the part of an object's body before its stream data ends: after the
// leading dictionary when "stream" follows it, else the whole body.
qsizetype dictionaryEnd(const QByteArray &body)
{
    if (!body.startsWith("<<"))
        return body.size();
    int depth = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (const qsizetype past = pastString(body, i, body.size()); past > i) {
            i = past - 1;
            continue;
        }
        const char c = body.at(i);
        if (c == '<' && i + 1 < body.size() && body.at(i + 1) == '<') {
            ++depth;
            ++i;
        } else if (c == '>' && i + 1 < body.size() && body.at(i + 1) == '>') {
            ++i;
            if (--depth == 0) {
                qsizetype after = i + 1;
                while (after < body.size() && std::isspace(uchar(body.at(after))))
                    ++after;
                return body.mid(after, 6) == "stream" ? after : body.size();
            }
        }
    }
    return body.size();
}

} // namespace

QByteArray withReferences(const QByteArray &body, const std::function<int(int)> &renumbered)
{
    const qsizetype end = dictionaryEnd(body);
    QByteArray out;
    out.reserve(body.size() + 16);
    qsizetype i = 0;
    while (i < end) {
        const char c = body.at(i);
        if (const qsizetype past = pastString(body, i, end); past > i) {
            out.append(body.constData() + i, past - i);
            i = past;
            continue;
        }
        if (c == '<') { // "<<"
            out += "<<";
            i += 2;
            continue;
        }
        if (std::isdigit(uchar(c)) && (i == 0 || !regular(body.at(i - 1)))) {
            qsizetype j = i;
            while (j < end && std::isdigit(uchar(body.at(j))))
                ++j;
            qsizetype k = j;
            while (k < end && std::isspace(uchar(body.at(k))))
                ++k;
            if (k > j && k + 1 < end && body.at(k) == '0' && std::isspace(uchar(body.at(k + 1)))) {
                qsizetype r = k + 1;
                while (r < end && std::isspace(uchar(body.at(r))))
                    ++r;
                if (r < end && body.at(r) == 'R' && (r + 1 >= end || !regular(body.at(r + 1)))) {
                    out += QByteArray::number(renumbered(body.mid(i, j - i).toInt())) + " 0 R";
                    i = r + 1;
                    continue;
                }
            }
            out.append(body.constData() + i, j - i);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    out.append(body.constData() + end, body.size() - end);
    return out;
}

QVector<int> references(const QByteArray &body)
{
    QVector<int> found;
    withReferences(body, [&found](int n) {
        found << n;
        return n;
    });
    return found;
}

bool pageTree(const Objects &objects, int &pagesNode, QVector<int> &pages)
{
    const int root = objects.trailerReference("/Root");
    if (root <= 0 || !objects.has(root))
        return false;
    bool indirect = false;
    pagesNode = int(numberAfter(objects.body(root), "/Pages", &indirect));
    if (pagesNode <= 0 || !indirect || !objects.has(pagesNode))
        return false;
    const QByteArray node = objects.body(pagesNode);
    const qsizetype kidsAt = node.indexOf("/Kids");
    const qsizetype open = node.indexOf('[', kidsAt);
    const qsizetype close = node.indexOf(']', open);
    if (kidsAt < 0 || open < 0 || close < 0)
        return false;
    pages = references(node.mid(open, close - open));
    if (pages.isEmpty())
        return false;
    for (int page : pages)
        if (!objects.has(page) || !objects.body(page).contains("/Type /Page"))
            return false;
    return true;
}


qint64 numberAfter(const QByteArray &text, const QByteArray &key, bool *indirect)
{
    static const QRegularExpression number(QStringLiteral("^\\s+(\\d+)(\\s+0\\s+R)?"));
    for (qsizetype at = text.indexOf(key); at >= 0; at = text.indexOf(key, at + 1)) {
        // The key whole, not the start of a longer name.
        const qsizetype end = at + key.size();
        if (end < text.size() && (std::isalnum(uchar(text.at(end)))))
            continue;
        const auto m = number.match(QString::fromLatin1(text.mid(end, 32)));
        if (!m.hasMatch())
            return -1;
        if (indirect)
            *indirect = m.capturedLength(2) > 0;
        return m.captured(1).toLongLong();
    }
    return -1;
}

QByteArray textString(const QString &text)
{
    QByteArray out("<FEFF");
    for (const QChar c : text) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "%04X", unsigned(c.unicode()));
        out.append(hex, 4);
    }
    return out + '>';
}

bool Objects::read(const QByteArray &pdf)
{
    m_pdf = &pdf;
    m_byPlace.clear();
    m_objects.clear();
    m_changed.clear();
    // The cross-reference table: one section from object 0.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (startxref < 0)
        return false;
    const qint64 xrefAt = pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
    if (xrefAt <= 0 || xrefAt >= startxref || !pdf.mid(xrefAt).startsWith("xref"))
        return false;
    const qsizetype trailerAt = pdf.indexOf("trailer", xrefAt);
    if (trailerAt < 0 || trailerAt > startxref)
        return false;
    const QList<QByteArray> head = pdf.mid(xrefAt, 64).split('\n');
    const QList<QByteArray> range = head.value(1).trimmed().split(' ');
    if (range.size() != 2 || range.at(0) != "0")
        return false;
    m_count = range.at(1).toInt();
    const qsizetype entriesAt = xrefAt + head.at(0).size() + 1 + head.at(1).size() + 1;
    if (m_count <= 0 || entriesAt + qsizetype(m_count) * 20 > trailerAt)
        return false;
    for (int i = 1; i < m_count; ++i) {
        const QByteArray entry = pdf.mid(entriesAt + qsizetype(i) * 20, 20);
        if (entry.at(17) != 'n')
            continue;
        m_byPlace[entry.left(10).toLongLong()] = i;
    }
    if (m_byPlace.empty() || m_byPlace.begin()->first <= 0)
        return false;
    for (auto it = m_byPlace.begin(); it != m_byPlace.end(); ++it) {
        const auto next = std::next(it);
        const qint64 end = next == m_byPlace.end() ? xrefAt : next->first;
        if (end <= it->first)
            return false;
        const QByteArray head = QByteArray::number(it->second) + " 0 obj";
        if (pdf.mid(it->first, head.size()) != head)
            return false;
        m_objects[it->second] = {it->first, end - it->first};
    }
    const qsizetype open = pdf.indexOf("<<", trailerAt);
    const qsizetype close = pdf.lastIndexOf(">>", startxref);
    if (open < 0 || close < open)
        return false;
    m_trailer = pdf.mid(open, close + 2 - open);
    return true;
}

QByteArray Objects::body(int number) const
{
    if (const auto c = m_changed.find(number); c != m_changed.end())
        return c->second;
    const auto o = m_objects.find(number);
    if (o == m_objects.end())
        return {};
    const QByteArray text = m_pdf->mid(o->second.at, o->second.length);
    const qsizetype start = text.indexOf("obj") + 3;
    const qsizetype end = text.lastIndexOf("endobj");
    return end > start ? text.mid(start, end - start).trimmed() : QByteArray();
}

int Objects::add(const QByteArray &body)
{
    const int number = std::max(m_count, m_changed.empty() ? 0 : m_changed.rbegin()->first + 1);
    m_changed[number] = body;
    return number;
}

int Objects::trailerReference(const QByteArray &key) const
{
    bool indirect = false;
    const qint64 n = numberAfter(m_trailer, key, &indirect);
    return indirect && n > 0 ? int(n) : 0;
}

QByteArray objectText(int number, const QByteArray &body)
{
    return QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
}

QByteArray ending(const std::map<int, qint64> &placeOf, int size, const QByteArray &trailer, qint64 xref)
{
    QByteArray out = "xref\n0 " + QByteArray::number(size) + "\n";
    for (int i = 0; i < size; ++i) {
        const auto p = placeOf.find(i);
        char entry[21];
        if (p == placeOf.end())
            std::snprintf(entry, sizeof entry, "%010d %05d f \n", 0, i == 0 ? 65535 : 0);
        else
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(p->second));
        out.append(entry, 20);
    }
    static const QRegularExpression sizeEntry(QStringLiteral("/Size\\s+\\d+"));
    const QString sized = QString::fromLatin1(trailer).replace(sizeEntry, QStringLiteral("/Size %1").arg(size));
    return out + "trailer\n" + sized.toLatin1() + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

QByteArray Objects::written() const
{
    const QByteArray &pdf = *m_pdf;
    // What stands before the first object, the objects in their order, the
    // new ones, the table, the trailer.
    QByteArray out = pdf.left(m_byPlace.begin()->first);
    std::map<int, qint64> placeOf;
    for (const auto &[place, number] : m_byPlace) {
        placeOf[number] = out.size();
        const auto c = m_changed.find(number);
        if (c != m_changed.end())
            out += objectText(number, c->second);
        else
            out.append(pdf.constData() + place, m_objects.at(number).length);
    }
    int size = m_count;
    for (const auto &[number, body] : m_changed) {
        if (m_objects.count(number))
            continue;
        placeOf[number] = out.size();
        out += objectText(number, body);
        size = std::max(size, number + 1);
    }
    return out + ending(placeOf, size, m_trailer, out.size());
}

} // namespace engine::pdfobjects
