#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace store {

// Access to the settings file, a Windows-style ini file: "[Section]" lines
// and "Key=Value" lines, section and key names matched without regard to
// case, values kept as text, Windows-1252 on disk.
//
// Every call reads or writes the file itself; nothing is cached, so two
// Settings objects on the same file always agree. A write replaces the file
// through a temporary file in the same directory, so the file is either the
// old or the new one, never half written. Failures never throw and never
// show anything: reads give the default, writes return false and leave the
// file as it was. A value with a character Windows-1252 cannot hold is not
// written at all (see unstorableCharacter), never written as a substitute.
class Settings
{
public:
    // One key to set: section, key and its value.
    struct Value
    {
        QString section;
        QString key;
        QString value;
    };

    // "Ruririd.ini" in the current working directory. The program itself
    // names the file of its places (Places::settingsFile).
    static QString defaultPath();

    explicit Settings(const QString &filePath = defaultPath());

    QString filePath() const { return m_path; }

    // The value of key in section, with the spaces around it removed; the
    // default when the file, the section or the key is missing.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    // A decimal value ("-12") or a hexadecimal one ("0x1F"); anything else,
    // including an empty or too large value, gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Sets key in section, creating the file, section and key as needed. The
    // spelling of a section or key already in the file is kept, as are all
    // other lines, comments and their order. A line break in the value
    // becomes a space. False when the file could not be written.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    // Sets every key in order, as writeString does, with one write of the
    // file: afterwards either all of them are in the file or none.
    bool writeStrings(const QList<Value> &values);

private:
    QString m_path;
};

// Text to and from the Windows-1252 bytes of the settings file. Characters
// Windows-1252 cannot hold are written as a substitute byte: check text
// with unstorableCharacter first where that would lose something.
QString fromWindows1252(const QByteArray &bytes);
QByteArray toWindows1252(const QString &text);
// The first character of text that Windows-1252 cannot hold ("Ł", or both
// halves of "😀"); empty when every character can be stored.
QString unstorableCharacter(const QString &text);
// A character for a message: „Ł“ (U+0141).
QString describeCharacter(const QString &character);

namespace detail {
// The conversion by our own table, used where Qt has no Windows-1252 codec.
QString fromWindows1252Table(const QByteArray &bytes);
QByteArray toWindows1252Table(const QString &text);
} // namespace detail

} // namespace store
