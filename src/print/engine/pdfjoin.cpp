#include "pdfjoin.h"

#include "pdfobjects.h"

#include <QRegularExpression>
#include <map>
#include <set>

namespace engine::pdfobjects {

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
        if (!objects[f].read(files[f]) || !pageTree(objects[f], pagesNode[f], pages))
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
    // The first file's objects keep their numbers.
    const int root = objects[0].trailerReference("/Root");
    const int info = objects[0].trailerReference("/Info");

    // The objects the joined file needs: those its catalog, its information
    // and its pages reach, each file's numbers moved past the files before.
    std::map<int, QByteArray> kept;
    QVector<int> pending{root};
    if (info > 0)
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
        // A page's parent is the new node, which is written below.
        kept[number] = withReferences(body, [&](int n) {
            const int moved = n == oldTree ? tree : n + shift;
            if (moved != tree && !pageSet.count(moved))
                pending << moved;
            return moved;
        });
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
        joined += objectText(number, body);
    }
    // The first file's trailer (its /ID, if any, stays).
    joined += ending(placeOf, tree + 1, objects[0].trailer(), joined.size());
    out = joined;
    return true;
}

} // namespace engine::pdfobjects
