#pragma once

#include <QByteArray>
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
// show anything: reads give the default, writes return false.
class Settings
{
public:
    // "Ruririd.ini" in the current working directory.
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

private:
    QString m_path;
};

// Text to and from the Windows-1252 bytes of the settings file. Characters
// Windows-1252 cannot hold are written as a substitute byte.
QString fromWindows1252(const QByteArray &bytes);
QByteArray toWindows1252(const QString &text);

namespace detail {
// The conversion by our own table, used where Qt has no Windows-1252 codec.
QString fromWindows1252Table(const QByteArray &bytes);
QByteArray toWindows1252Table(const QString &text);
} // namespace detail

} // namespace store
