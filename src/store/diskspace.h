#pragma once

// How a full disk is told to the user: which disk, how much a step needs
// and how much is free, in German.

#include <QString>

namespace store {

// The disk that holds `path` as the user knows it: its drive ("C:\") or the
// place it is mounted ("/media/anna/STICK"), with its label when it has one.
QString diskName(const QString &path);

// A size for the user to read, "1,5 MB".
QString sizeText(qint64 bytes);

// A disk too full for a step: which disk (the one holding `path`), how much
// the step needs and, when known (`free` >= 0), how much is free.
QString diskFullText(const QString &path, qint64 needed, qint64 free);

// A change that did not reach the disk holding `path` because it is full;
// it needs up to `needed` bytes there.
QString diskFullRefusal(const QString &path, qint64 needed);

// What the user can do about a full disk.
QString makeRoomAdvice();

} // namespace store
