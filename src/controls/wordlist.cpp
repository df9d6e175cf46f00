#include "wordlist.h"

#include <QCollator>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace controls {

QStringList readWordList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    QSet<QString> seen;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (!word.isEmpty() && !word.startsWith(QLatin1Char('#')) && !seen.contains(word)) {
            seen.insert(word);
            words << word;
        }
    }
    return words;
}

bool writeWordList(const QString &path, const QStringList &words)
{
    QStringList sorted = words;
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    std::sort(sorted.begin(), sorted.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    sorted.removeDuplicates();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString &word : std::as_const(sorted))
        file.write(word.toUtf8() + '\n');
    return file.commit();
}

bool mergeWordList(const QString &path, const QString &other)
{
    QStringList words = readWordList(path);
    const int before = int(words.size());
    for (const QString &word : readWordList(other))
        if (!words.contains(word))
            words << word;
    if (words.size() == before && QFile::exists(path))
        return true;
    return writeWordList(path, words);
}

} // namespace controls
