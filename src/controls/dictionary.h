#pragma once

// The German spelling check, without widgets: the dictionary (Hunspell's
// de_DE files, read by Nuspell), the trade's words delivered with the
// program, the apprentice's own words (wordlist.h) and the words ignored
// for this run. One checker serves every text of the program.

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <utility>

namespace nuspell {
inline namespace v5 {
class Dictionary;
}
} // namespace nuspell

namespace controls {

class Speller : public QObject
{
    Q_OBJECT
public:
    static Speller &instance();
    ~Speller() override;

    // Where the dictionary de_DE.aff/.dic is looked for, first found wins:
    // beside the program (how the Windows installer delivers it), then
    // where Linux distributions put Hunspell dictionaries.
    static QStringList defaultPlaces();
    // Tests: other places (a directory without the files turns the check
    // off); an empty list restores the default ones. Starts over as a new
    // run would: the ignored words and the notice given are forgotten.
    void setPlaces(const QStringList &dirs);

    // Whether a dictionary was found; without one nothing is underlined.
    bool available();
    // The apprentice's list in the data directory `dataDir`; read again
    // when it changed on the disk since (an import brings a new one).
    void usePersonalList(const QString &dataDir);
    void reloadPersonalIfChanged();

    bool isCorrect(const QString &word);
    QStringList suggestions(const QString &word, int max = 7);

    // For this run of the program only.
    void ignore(const QString &word);
    // Into the apprentice's list; false when the file cannot be written.
    bool addToPersonal(const QString &word);
    QString personalPath() const { return m_personalPath; }

    // True the first time it is asked in a run (since setPlaces): whether
    // the check being off is still to be said.
    bool firstTellingOff() { return !std::exchange(m_toldOff, true); }

signals:
    // Words became correct (ignored, added, a list read again).
    void wordsChanged(const QStringList &words);

private:
    Speller();
    void load();
    bool listed(const QString &word) const;

    bool m_loaded = false;
    bool m_toldOff = false;
    QStringList m_places;
    std::unique_ptr<nuspell::Dictionary> m_dictionary;
    QSet<QString> m_trade;
    QSet<QString> m_personal;
    QSet<QString> m_ignored;
    QHash<QString, bool> m_cache; // the dictionary's answers
    QString m_personalPath;
    QDateTime m_personalTime;
    qint64 m_personalSize = -1;
};

// Whether a run of letters is to be checked at all: not an abbreviation in
// capitals (TRGI, DIN), no single letter.
bool worthChecking(const QString &word);

} // namespace controls
