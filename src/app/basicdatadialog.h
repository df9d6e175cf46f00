#pragma once

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
    explicit Tgrunddatendlg(store::Session &session, QWidget *parent = nullptr);

    // Fills the edits from the settings file and shows the dialog modally.
    // OK writes every key, the two first names empty, and takes the two
    // names into the session; Cancel writes nothing. True on OK. A settings
    // file that cannot be written is named in an error message; the
    // session's names then stay as they were.
    bool execute();

    QLineEdit *edit(const char *name) const;

private:
    void load();
    bool save();

    store::Session &m_session;
};
