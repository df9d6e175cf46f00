#include "pdfjoin.h"

#include "pdfobjects.h"

#include <QRegularExpression>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <set>

namespace engine::pdfobjects {

namespace {

bool regular(char c)
{
    return !(std::isspace(uchar(c)) || c == '\0' || std::strchr("()<>[]{}/%", c) != nullptr);
}

// Where the part of an object's body before its stream data ends: after the
// leading dictionary when "stream" follows it, else the whole body.
qsizetype dictionaryEnd(const QByteArray &body)
{
    if (!body.startsWith("<<"))
        return body.size();
    int depth = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        if (c == '(') {
            for (int inner = 1; ++i < body.size() && inner > 0;) {
                if (body.at(i) == '\\')
                    ++i;
                else if (body.at(i) == '(')
                    ++inner;
                else if (body.at(i) == ')')
                    --inner;
            }
            --i;
        } else if (c == '<' && i + 1 < body.size() && body.at(i + 1) == '<') {
            ++depth;
            ++i;
        } else if (c == '<') {
            const qsizetype close = body.indexOf('>', i);
            if (close < 0)
                return body.size();
            i = close;
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

// `body` with each reference "N 0 R" outside strings and stream data
// replaced by "renumbered(N) 0 R".
QByteArray withReferences(const QByteArray &body, const std::function<int(int)> &renumbered)
{
    const qsizetype end = dictionaryEnd(body);
    QByteArray out;
    out.reserve(body.size() + 16);
    qsizetype i = 0;
    while (i < end) {
        const char c = body.at(i);
        if (c == '(') {
            // A literal string, with nested brackets and escapes.
            qsizetype j = i + 1;
            for (int depth = 1; j < end && depth > 0; ++j) {
                if (body.at(j) == '\\')
                    ++j;
                else if (body.at(j) == '(')
                    ++depth;
                else if (body.at(j) == ')')
                    --depth;
            }
            j = std::min(j, end);
            out.append(body.constData() + i, j - i);
            i = j;
            continue;
        }
        if (c == '<' && i + 1 < end && body.at(i + 1) == '<') {
            out += "<<";
            i += 2;
            continue;
        }
        if (c == '<') {
            // A hex string.
            const qsizetype close = body.indexOf('>', i);
            const qsizetype j = close < 0 || close >= end ? end : close + 1;
            out.append(body.constData() + i, j - i);
            i = j;
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

// The pages of a file Qt wrote: the kids of its one page tree node.
bool pagesOf(const Objects &objects, int &pagesNode, QVector<int> &pages)
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
    for (int page : pages)
        if (!objects.has(page) || !objects.body(page).contains("/Type /Page"))
            return false;
    return true;
}

} // namespace

bool join(const std::vector<QByteArray> &files, QByteArray &out)
{
    if (files.empty())
        return false;
    std::vector<Objects> objects(files.size());
    std::vector<int> firstNumber(files.size()); // a file's object n becomes firstNumber + n
    std::vector<int> pagesNode(files.size());
    QVector<int> allPages; // as numbered in the joined file
    int next = 0;
    for (size_t f = 0; f < files.size(); ++f) {
        QVector<int> pages;
        if (!objects[f].read(files[f]) || !pagesOf(objects[f], pagesNode[f], pages))
            return false;
        firstNumber[f] = next;
        int highest = 0;
        for (const auto &[place, number] : objects[f].byPlace())
            highest = std::max(highest, number);
        for (int page : pages)
            allPages << next + page;
        next += highest;
    }
    // The new page tree node, after every file's objects.
    const int tree = next + 1;
    const auto bodyOf = [&](int number, size_t &file) {
        file = 0;
        while (file + 1 < files.size() && number > firstNumber[file + 1])
            ++file;
        return objects[file].body(number - firstNumber[file]);
    };
    const int root = firstNumber[0] + objects[0].trailerReference("/Root");
    const int info = firstNumber[0] + objects[0].trailerReference("/Info");

    // The objects the joined file needs: those its catalog, its information
    // and its pages reach, each file's numbers moved past the files before.
    std::map<int, QByteArray> kept;
    QVector<int> pending{root};
    if (info > firstNumber[0])
        pending << info;
    pending += allPages;
    std::set<int> pageSet(allPages.cbegin(), allPages.cend());
    while (!pending.isEmpty()) {
        const int number = pending.takeLast();
        if (number == tree || kept.count(number))
            continue;
        size_t file = 0;
        const QByteArray body = bodyOf(number, file);
        if (body.isEmpty() || !objects[file].has(number - firstNumber[file]))
            return false;
        const int shift = firstNumber[file];
        const int oldTree = pagesNode[file];
        QByteArray moved = withReferences(body, [&](int n) { return n == oldTree ? tree : n + shift; });
        kept[number] = moved;
        // A page's parent is the new node, which is written below.
        for (int reached : references(moved))
            if (reached != tree && !pageSet.count(reached))
                pending << reached;
    }
    // The page tree node of the first file, with every page as its kid.
    QByteArray node = objects[0].body(pagesNode[0]);
    const qsizetype kidsAt = node.indexOf("/Kids");
    const qsizetype open = node.indexOf('[', kidsAt);
    const qsizetype close = node.indexOf(']', open);
    QByteArray kids = "[\n";
    for (int page : allPages)
        kids += QByteArray::number(page) + " 0 R\n";
    node.replace(open, close - open, kids);
    static const QRegularExpression count(QStringLiteral("/Count\\s+\\d+"));
    node = QString::fromLatin1(node).replace(count, QStringLiteral("/Count %1").arg(allPages.size())).toLatin1();
    kept[tree] = node;

    // What stands before Qt's first object, the objects, the table.
    const QByteArray &first = files[0];
    QByteArray joined = first.left(objects[0].byPlace().begin()->first);
    std::map<int, qint64> placeOf;
    for (const auto &[number, body] : kept) {
        placeOf[number] = joined.size();
        joined += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    const int size = tree + 1;
    const qint64 xref = joined.size();
    joined += crossReference(placeOf, size);
    // The first file's trailer (its /ID, if any, stays), numbered anew.
    const qsizetype startxref = first.lastIndexOf("startxref");
    const qsizetype trailerAt = first.lastIndexOf("trailer", startxref);
    const qsizetype dictAt = first.indexOf("<<", trailerAt);
    const qsizetype dictEnd = first.lastIndexOf(">>", startxref);
    if (trailerAt < 0 || dictAt < 0 || dictEnd < dictAt)
        return false;
    static const QRegularExpression sizeEntry(QStringLiteral("/Size\\s+\\d+"));
    const QByteArray trailer =
        QString::fromLatin1(withReferences(first.mid(dictAt, dictEnd + 2 - dictAt), [&](int n) { return n + firstNumber[0]; }))
            .replace(sizeEntry, QStringLiteral("/Size %1").arg(size))
            .toLatin1();
    joined += "trailer\n" + trailer + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    out = joined;
    return true;
}

} // namespace engine::pdfobjects
