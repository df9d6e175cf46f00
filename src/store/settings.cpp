#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>

#include <limits>
#include <optional>

namespace store {

namespace {

const char windows1252Name[] = "windows-1252";

// Unicode of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves
// undefined stand for the control character of the same number.
constexpr char16_t highControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The lines of the file, without line ends; nullopt when it cannot be read.
// A missing file has no lines.
std::optional<QStringList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QStringList();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString text = fromWindows1252(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast(); // the line end of the last line
    return lines;
}

// Where the text of a line starts; its length for a blank line. The parsing
// below looks at a line without copying it, so that a line of megabytes
// costs a scan, not copies, on every access.
qsizetype textStart(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && line.at(i).isSpace())
        ++i;
    return i;
}

// The name of a "[Section]" line.
std::optional<QString> sectionOf(QStringView line)
{
    const qsizetype start = textStart(line);
    if (start >= line.size() || line.at(start) != QLatin1Char('['))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char(']'), start);
    if (close < 0)
        return std::nullopt;
    return line.mid(start + 1, close - start - 1).trimmed().toString();
}

struct Entry
{
    QString key;
    QString value;
};

// The key of a "Key=Value" line, and its value when asked for; comments
// (";") have none.
std::optional<Entry> entryOf(QStringView line, bool withValue = true)
{
    const qsizetype start = textStart(line);
    if (start >= line.size() || line.at(start) == QLatin1Char(';') || line.at(start) == QLatin1Char('['))
        return std::nullopt;
    const qsizetype eq = line.indexOf(QLatin1Char('='), start);
    if (eq <= start)
        return std::nullopt;
    Entry entry{line.mid(start, eq - start).trimmed().toString(), {}};
    if (entry.key.isEmpty())
        return std::nullopt;
    if (withValue)
        entry.value = line.mid(eq + 1).trimmed().toString();
    return entry;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key is, or would go, in the lines of the file. The first section
// of the name counts, and in it the first line of the key.
struct Location
{
    qsizetype sectionLine = -1; // the "[Section]" line
    qsizetype keyLine = -1;     // the "Key=Value" line
    qsizetype lastLine = -1;    // the section's last line that is not blank
    std::optional<Entry> entry;
};

Location locate(const QStringList &lines, const QString &section, const QString &key)
{
    Location at;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (const auto name = sectionOf(line)) {
            if (at.sectionLine >= 0)
                break; // past the end of the section
            if (sameName(*name, section))
                at.sectionLine = at.lastLine = i;
            continue;
        }
        if (at.sectionLine < 0)
            continue;
        if (textStart(line) < line.size())
            at.lastLine = i;
        if (at.keyLine < 0) {
            if (const auto entry = entryOf(line, false); entry && sameName(entry->key, key)) {
                at.keyLine = i;
                at.entry = entryOf(line);
            }
        }
    }
    return at;
}

// The entry of key in section for a read: the file's text is walked line by
// line as views, without splitting it into copies.
std::optional<Entry> readEntry(const QString &path, const QString &section, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = fromWindows1252(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    const QStringView all(text);
    bool inSection = false;
    for (qsizetype pos = 0; pos < all.size();) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != QLatin1Char('\n') && all[end] != QLatin1Char('\r'))
            ++end;
        const QStringView line = all.mid(pos, end - pos);
        pos = end + 1;
        if (const auto name = sectionOf(line)) {
            if (inSection)
                return std::nullopt; // past the end of the first section of the name
            inSection = sameName(*name, section);
            continue;
        }
        if (inSection) {
            if (const auto entry = entryOf(line, false); entry && sameName(entry->key, key))
                return entryOf(line);
        }
    }
    return std::nullopt;
}

std::optional<int> parseInteger(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression hex(QStringLiteral("^0[xX]([0-9a-fA-F]{1,8})$"));
    bool ok = false;
    if (decimal.match(text).hasMatch()) {
        const qlonglong value = text.toLongLong(&ok);
        if (ok && value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
            return int(value);
        return std::nullopt;
    }
    if (const auto m = hex.match(text); m.hasMatch()) {
        const uint value = m.captured(1).toUInt(&ok, 16);
        if (ok)
            return int(value); // eight digits wrap around, as 32-bit values do
    }
    return std::nullopt;
}

} // namespace

QString Settings::defaultPath()
{
    return QDir::current().absoluteFilePath(QStringLiteral("Ruririd.ini"));
}

Settings::Settings(const QString &filePath) : m_path(filePath)
{
}

QString Settings::readString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    const auto entry = readEntry(m_path, section, key);
    return entry ? entry->value : defaultValue;
}

int Settings::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const auto entry = readEntry(m_path, section, key);
    if (!entry)
        return defaultValue;
    return parseInteger(entry->value).value_or(defaultValue);
}

bool Settings::writeString(const QString &section, const QString &key, const QString &value)
{
    return writeStrings({{section, key, value}});
}

bool Settings::writeStrings(const QList<Value> &values)
{
    for (const Value &v : values)
        if (v.section.trimmed().isEmpty() || v.key.trimmed().isEmpty() || !unstorableCharacter(v.value).isEmpty()
            || !unstorableCharacter(v.section).isEmpty() || !unstorableCharacter(v.key).isEmpty())
            return false;

    auto lines = readLines(m_path);
    if (!lines)
        return false;
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        return false;

    for (const Value &v : values) {
        QString flat = v.value;
        flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
        flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
        flat.replace(QLatin1Char('\n'), QLatin1Char(' '));

        const Location at = locate(*lines, v.section, v.key);
        if (at.entry) {
            (*lines)[at.keyLine] = at.entry->key + QLatin1Char('=') + flat;
        } else if (at.sectionLine >= 0) {
            lines->insert(at.lastLine + 1, v.key.trimmed() + QLatin1Char('=') + flat);
        } else {
            if (!lines->isEmpty() && !lines->constLast().trimmed().isEmpty())
                lines->append(QString());
            lines->append(QLatin1Char('[') + v.section.trimmed() + QLatin1Char(']'));
            lines->append(v.key.trimmed() + QLatin1Char('=') + flat);
        }
    }

    QByteArray bytes;
    for (const QString &line : std::as_const(*lines))
        bytes += toWindows1252(line) + "\r\n";

    // Unbuffered, so that a short write shows here: a failure that only
    // surfaces when a buffer is flushed at commit can go unnoticed and
    // leave a truncated file in place of the old one.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool Settings::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

QString fromWindows1252(const QByteArray &bytes)
{
    QStringDecoder decoder(windows1252Name);
    if (!decoder.isValid())
        return detail::fromWindows1252Table(bytes);
    return decoder.decode(bytes);
}

QByteArray toWindows1252(const QString &text)
{
    QStringEncoder encoder(windows1252Name);
    if (!encoder.isValid())
        return detail::toWindows1252Table(text);
    return encoder.encode(text);
}

QString unstorableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        // A character the code page holds comes back from its byte as itself.
        if (character.size() > 1 || fromWindows1252(toWindows1252(character)) != character)
            return character;
        i += length - 1;
    }
    return {};
}

QString describeCharacter(const QString &character)
{
    uint code = character.isEmpty() ? 0 : character.at(0).unicode();
    if (character.size() > 1 && character.at(0).isHighSurrogate() && character.at(1).isLowSurrogate())
        code = QChar::surrogateToUcs4(character.at(0), character.at(1));
    return QStringLiteral("„%1“ (U+%2)")
        .arg(character, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

namespace detail {

QString fromWindows1252Table(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(highControls[byte - 0x80]) : QChar(byte));
    }
    return text;
}

QByteArray toWindows1252Table(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k) {
            if (highControls[k] == u) {
                byte = char(0x80 + k);
                break;
            }
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one substitute for the whole character
        bytes.append(byte);
    }
    return bytes;
}

} // namespace detail

} // namespace store
