#include "dictionary.h"

#include "wordlist.h"

#include <nuspell/dictionary.hxx>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sstream>

namespace controls {

namespace {

const QString dictionaryName = QStringLiteral("de_DE");

std::string fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace

bool worthChecking(const QString &word)
{
    if (word.size() < 2)
        return false;
    return word != word.toUpper();
}

Speller &Speller::instance()
{
    static Speller *speller = new Speller;
    return *speller;
}

Speller::Speller() : m_places(defaultPlaces()) {}

Speller::~Speller() = default;

QStringList Speller::defaultPlaces()
{
    // On Windows the installer puts de_DE.aff and de_DE.dic beside
    // lernora.exe (or in its "dictionaries" folder); on Linux they come
    // with the distribution's German Hunspell dictionary.
    const QString program = QCoreApplication::applicationDirPath();
    return {program, program + QStringLiteral("/dictionaries"), QStringLiteral("/usr/share/hunspell"),
            QStringLiteral("/usr/share/myspell/dicts"), QStringLiteral("/usr/share/myspell")};
}

void Speller::setPlaces(const QStringList &dirs)
{
    m_places = dirs.isEmpty() ? defaultPlaces() : dirs;
    m_loaded = false;
    m_toldOff = false;
    m_ignored.clear();
    m_dictionary.reset();
    m_cache.clear();
}

void Speller::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    for (const QString &dir : std::as_const(m_places)) {
        const QString aff = QDir(dir).filePath(dictionaryName + QStringLiteral(".aff"));
        const QString dic = QDir(dir).filePath(dictionaryName + QStringLiteral(".dic"));
        if (!QFileInfo::exists(aff) || !QFileInfo::exists(dic))
            continue;
        std::istringstream affStream(fileBytes(aff)), dicStream(fileBytes(dic));
        auto dictionary = std::make_unique<nuspell::Dictionary>();
        try {
            dictionary->load_aff_dic(affStream, dicStream);
        } catch (const std::exception &) {
            continue; // a broken copy: the next place may hold a good one
        }
        m_dictionary = std::move(dictionary);
        break;
    }
    if (m_trade.isEmpty())
        for (const QString &word : readWordList(QStringLiteral(":/data/fachwoerter.txt")))
            m_trade.insert(word);
}

bool Speller::available()
{
    load();
    return m_dictionary != nullptr;
}

void Speller::usePersonalList(const QString &dataDir)
{
    const QString path = QDir(dataDir).filePath(personalWordsFile);
    if (path == m_personalPath)
        return reloadPersonalIfChanged();
    m_personalPath = path;
    m_personalSize = -1;
    m_personal.clear();
    reloadPersonalIfChanged();
}

void Speller::reloadPersonalIfChanged()
{
    const QFileInfo info(m_personalPath);
    const qint64 size = info.exists() ? info.size() : -1;
    if (size == m_personalSize && info.lastModified() == m_personalTime)
        return;
    m_personalSize = size;
    m_personalTime = info.lastModified();
    const QStringList words = readWordList(m_personalPath);
    m_personal = QSet<QString>(words.cbegin(), words.cend());
    emit wordsChanged(words);
}

bool Speller::listed(const QString &word) const
{
    for (const QSet<QString> *set : {&m_ignored, &m_personal, &m_trade})
        if (set->contains(word))
            return true;
    return false;
}

bool Speller::isCorrect(const QString &word)
{
    if (!available() || !worthChecking(word) || listed(word))
        return true;
    // A listed word written small keeps its capital at the start of a sentence.
    if (word.at(0).isUpper()) {
        const QString small = word.left(1).toLower() + word.mid(1);
        if (listed(small))
            return true;
    }
    const auto known = m_cache.constFind(word);
    if (known != m_cache.cend())
        return *known;
    const bool correct = m_dictionary->spell(word.toStdString());
    m_cache.insert(word, correct);
    return correct;
}

QStringList Speller::suggestions(const QString &word, int max)
{
    if (!available())
        return {};
    std::vector<std::string> found;
    m_dictionary->suggest(word.toStdString(), found);
    QStringList out;
    // The trade's and the apprentice's own words that differ in one letter's case.
    for (const QSet<QString> *set : {&m_personal, &m_trade})
        for (const QString &own : *set)
            if (own.compare(word, Qt::CaseInsensitive) == 0 && own != word && !out.contains(own))
                out << own;
    for (const std::string &s : found) {
        const QString text = QString::fromStdString(s);
        if (out.size() >= max)
            break;
        if (!out.contains(text))
            out << text;
    }
    return out;
}

void Speller::ignore(const QString &word)
{
    m_ignored.insert(word);
    emit wordsChanged({word});
}

bool Speller::addToPersonal(const QString &word)
{
    if (m_personalPath.isEmpty())
        return false;
    QStringList words = readWordList(m_personalPath);
    if (!words.contains(word))
        words << word;
    if (!writeWordList(m_personalPath, words))
        return false;
    m_personal.insert(word);
    const QFileInfo info(m_personalPath);
    m_personalSize = info.size();
    m_personalTime = info.lastModified();
    emit wordsChanged({word});
    return true;
}

} // namespace controls
