#pragma once

#include "platform/messages.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {

// A message service for tests: answers questions from a queue and records
// every text shown. Installs itself while it exists.
class ScriptedMessages final : public MessageService
{
public:
    ScriptedMessages();
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    // Queues the answer to the next question. Yes/No answer confirmYesNo,
    // Ok/Cancel answer confirmOkCancel, Yes/Cancel confirmYesCancel,
    // Yes/No/Cancel confirmYesNoCancel, any of Yes/YesToAll/No/Cancel
    // confirmReplace; any other pairing fails the test.
    void answer(Answer answer);
    int pendingAnswers() const { return int(m_answers.size()); }

    // Every text shown, in order: questions, notices and errors.
    QStringList shown() const { return m_shown; }
    QStringList questions() const { return m_questions; }
    QStringList notices() const { return m_notices; }
    QStringList errors() const { return m_errors; }
    // The detail of each error, in the order of errors(); empty for an
    // error shown without one.
    QStringList details() const { return m_details; }
    int beeps() const { return m_beeps; }

    // Runs while each question is on screen, before it is answered (the
    // time the user takes to read it); empty for none.
    void whileAsking(std::function<void(const QString &question)> f) { m_whileAsking = std::move(f); }

    // Forgets the queued answers and everything recorded.
    void clear();

    Answer confirmYesNo(const QString &text) override;
    Answer confirmOkCancel(const QString &text) override;
    Answer confirmYesCancel(const QString &text) override;
    Answer confirmYesNoCancel(const QString &text) override;
    Answer confirmReplace(const QString &text) override;
    void information(const QString &text) override;
    void confirmation(const QString &text) override; // recorded as a notice
    void error(const QString &text) override;
    void error(const QString &text, const QString &detail) override;
    void beep() override;

private:
    Answer takeAnswer(const QString &text, Answer positive, Answer negative, bool replace = false,
                      std::optional<Answer> third = std::nullopt);

    QList<Answer> m_answers;
    QStringList m_shown;
    QStringList m_questions;
    QStringList m_notices;
    QStringList m_errors;
    QStringList m_details;
    int m_beeps = 0;
    std::function<void(const QString &)> m_whileAsking;
};

} // namespace platform
