#include "refusal.h"

#include "diskspace.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>

namespace store {

namespace {

// The kinds of refusal the user can do something different about.
enum class Kind { Full, Damaged, Moved, Missing, NotAllowed, Drive, InUse, Other };

Kind kindOf(const SqliteRefusal &r, const RefusalPlace &place)
{
    if (r.osError == EACCES)
        return Kind::NotAllowed;
    switch (r.code & 0xff) {
    case SQLITE_FULL:
        return Kind::Full;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Kind::Damaged;
    case SQLITE_READONLY:
        // SQLite refuses to write a file that was deleted or replaced
        // while it was open, so as not to write into nothing.
        return r.code == SQLITE_READONLY_DBMOVED ? Kind::Moved : Kind::NotAllowed;
    case SQLITE_CANTOPEN:
        return place.making || QFileInfo::exists(place.path) ? Kind::NotAllowed : Kind::Missing;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Kind::NotAllowed;
    case SQLITE_IOERR:
        return Kind::Drive;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Kind::InUse;
    default:
        return Kind::Other;
    }
}

// Where the program puts the latest backup back.
QString restoreSteps()
{
    return QStringLiteral("Menü „Datei“ › „Import/Export“, Registerkarte „Lokale Festplatte“, Schaltfläche "
                          "„Wiederherst.“");
}

} // namespace

SqliteRefusal SqliteRefusal::of(sqlite3 *db, const QString &statement, const char *message)
{
    SqliteRefusal r;
    r.code = db ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
    r.osError = db ? sqlite3_system_errno(db) : 0;
    r.message = QString::fromUtf8(message ? message : db ? sqlite3_errmsg(db) : sqlite3_errstr(r.code));
    r.statement = statement;
    return r;
}

SqliteRefusal SqliteRefusal::ofCode(int code)
{
    SqliteRefusal r;
    r.code = code;
    r.message = QString::fromUtf8(sqlite3_errstr(code));
    return r;
}

namespace {

// How the latest backup is put back from where the user is.
QString restoreSteps(const RefusalPlace &place)
{
    if (place.backups.isEmpty())
        return restoreSteps();
    return QStringLiteral("Kopieren Sie die Dateien aus dem neuesten Ordner in „%1“ in den Datenordner „%2“ und "
                          "starten Sie Lernora dann noch einmal")
        .arg(place.backups, place.folder);
}

QString restoreAdvice(const RefusalPlace &place)
{
    return QStringLiteral("Bitte spielen Sie die letzte Sicherung zurück: %1.").arg(restoreSteps(place));
}

} // namespace

QString restoreAdvice()
{
    return restoreAdvice(RefusalPlace{});
}

QString refusalDetail(const SqliteRefusal &r)
{
    QString detail = QStringLiteral("SQLite: %1 (Code %2)").arg(r.message).arg(r.code);
    if (r.osError != 0)
        detail += QStringLiteral("\nSystem: %1 (errno %2)").arg(QString::fromLocal8Bit(std::strerror(r.osError))).arg(r.osError);
    if (!r.statement.isEmpty())
        detail += QStringLiteral("\nAnweisung: %1").arg(r.statement);
    return detail;
}

StoreError refusalError(const RefusalPlace &place, const QString &action, const SqliteRefusal &r)
{
    QString what, advice;
    switch (kindOf(r, place)) {
    case Kind::Full:
        if (place.needed > 0)
            return StoreError(place.heading + QStringLiteral(":\n") + diskFullRefusal(place.path, place.needed),
                              refusalDetail(r));
        // A file being made: how much it needs is not known.
        what = QStringLiteral("Der Datenträger „%1“ ist voll.").arg(diskName(place.path));
        advice = makeRoomAdvice();
        break;
    case Kind::Damaged:
        what = QStringLiteral("Die Datei ist beschädigt oder keine Tabellendatei von Lernora.");
        advice = restoreAdvice(place);
        break;
    case Kind::Moved:
        what = QStringLiteral("Die Tabellendatei wurde gelöscht, umbenannt oder ersetzt, während Lernora sie "
                              "benutzte.");
        advice = QStringLiteral("Bitte beenden Sie Lernora und starten Sie es neu. Fehlt die Datei dann, spielen Sie "
                                "die letzte Sicherung zurück: %1.")
                     .arg(restoreSteps());
        break;
    case Kind::Missing:
        what = QStringLiteral("Die Tabellendatei wurde nicht gefunden.");
        advice = restoreAdvice(place);
        break;
    case Kind::NotAllowed:
        what = QStringLiteral("Lernora darf die Tabellendatei nicht ändern.");
        advice = QStringLiteral("Bitte prüfen Sie, ob die Datei schreibgeschützt ist und ob Sie im Datenordner „%1“ "
                                "schreiben dürfen. Versuchen Sie es danach noch einmal.")
                     .arg(place.folder);
        break;
    case Kind::Drive:
        what = QStringLiteral("Der Datenträger konnte die Tabellendatei nicht lesen oder schreiben.");
        advice = QStringLiteral("Bitte prüfen Sie den Datenträger, etwa ob der USB-Stick noch eingesteckt ist, und "
                                "starten Sie Lernora dann neu.");
        break;
    case Kind::InUse:
        what = QStringLiteral("Ein anderes Programm benutzt die Tabellendatei gerade, etwa ein zweites Lernora, eine "
                              "Datensicherung oder ein Virenscanner.");
        advice = QStringLiteral("Bitte schließen Sie dieses Programm oder warten Sie, bis es fertig ist, und "
                                "versuchen Sie es dann noch einmal.");
        break;
    case Kind::Other:
        what = QStringLiteral("Beim Zugriff auf die Tabellendatei ist ein unerwarteter Fehler aufgetreten.");
        advice = QStringLiteral("Bitte versuchen Sie es noch einmal. Tritt der Fehler wieder auf, bitten Sie jemanden "
                                "um Hilfe und zeigen Sie ihm die Details dieser Meldung, oder spielen Sie die letzte "
                                "Sicherung zurück: %1.")
                     .arg(restoreSteps(place));
        break;
    }
    QString text = place.heading + QStringLiteral(":\n");
    if (!action.isEmpty())
        text += action + QLatin1Char(' ');
    return StoreError(text + what + QLatin1Char('\n') + advice, refusalDetail(r));
}

} // namespace store
