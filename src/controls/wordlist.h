#pragma once

// The apprentice's own words for the spelling check: a file in the data
// directory, one word a line, UTF-8, so that a backup, an export and an
// import carry it with the tables. Nothing here shows anything.

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace controls {

inline constexpr QLatin1String personalWordsFile{"woerterbuch.txt"};

// The words of a list file, each once, in the order first found; blank
// lines and spaces around a word are left out. Empty when there is none.
QStringList readWordList(const QString &path);

// Writes the words, sorted, one a line, replacing the file as a whole.
bool writeWordList(const QString &path, const QStringList &words);

// Adds the words of `other` that `path` lacks to `path`, which is created
// when missing. True when `path` holds both afterwards.
bool mergeWordList(const QString &path, const QString &other);

} // namespace controls
