#pragma once

#include "store/places.h"

#include <QDialog>

class QLineEdit;

namespace store {
struct Session;
}

// "Grunddaten": the apprentice's and the trainer's basic data, the
// contractual training period and the days the training record was begun
// and completed, all kept in the settings file as typed.
class Tgrunddatendlg : public QDialog
{
    Q_OBJECT
public:
    Tgrunddatendlg(const store::Places &places, store::Session &session, QWidget *parent = nullptr);

    // Fills the edits from the settings file and shows the dialog modally.
    // OK writes every key, the two first names empty, with one write of the
    // file, and takes the two names into the session; Cancel writes
    // nothing. True on OK. OK is refused, with the dialog left open and
    // nothing written, when a field holds a character the settings file
    // cannot store (the message names it and its field), or when the file
    // cannot be written (the message says nothing was saved; the file stays
    // as it was).
    bool execute();

    QLineEdit *edit(const char *name) const;

    void accept() override;

private:
    void load();
    bool save();

    store::Places m_places;
    store::Session &m_session;
};
