#pragma once

// How a refusal of SQLite reaches the user: German words for what happened
// to which table file and what the user can do about it. SQLite's own
// words stay in the error's detail.

#include "storeerror.h"

#include <QString>

struct sqlite3;

namespace store {

// SQLite's refusal, as it happened.
struct SqliteRefusal
{
    int code = 0;      // the extended result code
    int osError = 0;   // errno of the system call that failed, 0 when none
    QString message;   // SQLite's own words
    QString statement; // what was run, when known

    // The last refusal on the connection; `message` replaces SQLite's last
    // message when given (sqlite3_exec hands out its own copy).
    static SqliteRefusal of(sqlite3 *db, const QString &statement = {}, const char *message = nullptr);
    // A refusal without a connection (an open that gave none).
    static SqliteRefusal ofCode(int code);
};

// Where a refusal happened.
struct RefusalPlace
{
    QString heading; // what the message is about, "Tabelle daten/bericht.db"
    QString path;    // the table file (or folder) on disk
    QString folder;  // the data folder as the user reads it
    qint64 needed;   // what a change needs on the disk at most (see diskFullRefusal)
    // At the start, which a damaged file stops: the folder of the backups,
    // which the user then copies back by hand. Empty while the program runs
    // and puts a backup back itself.
    QString backups = {};
    // The file is being made: that it is not there yet is no fault.
    bool making = false;
};

// The message for SQLite's refusal: the heading, then what did not happen
// (`action`, one German sentence, may be empty), why in plain words and
// what the user can do; SQLite's words, its code and the statement as the
// detail. A full disk is told with diskFullRefusal as it is.
StoreError refusalError(const RefusalPlace &place, const QString &action, const SqliteRefusal &refusal);

// The technical words of a refusal, for the detail of a message.
QString refusalDetail(const SqliteRefusal &refusal);

// How to put the latest backup back, as the user reads it in the program.
QString restoreAdvice();

} // namespace store
