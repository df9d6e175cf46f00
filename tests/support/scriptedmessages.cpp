#include "scriptedmessages.h"

#include <QFile>
#include <QTest>

namespace platform {

namespace {

const char *answerName(Answer answer)
{
    switch (answer) {
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    case Answer::Ok: return "Ok";
    case Answer::Cancel: return "Cancel";
    case Answer::YesToAll: return "YesToAll";
    }
    return "?";
}

// Every text shown goes also into the run's message log when there is one
// (LERNORA_MESSAGE_LOG), so that the texts of all tests can be checked
// together: a line per text, its kind first, line breaks as "\n".
void logShown(const char *kind, const QString &text)
{
    const QString path = qEnvironmentVariable("LERNORA_MESSAGE_LOG");
    if (path.isEmpty())
        return;
    QString line = QString::fromLatin1(kind) + QLatin1Char('\t') + text;
    line.replace(QLatin1String("\r\n"), QLatin1String("\\n")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    line.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    QFile log(path);
    // One write per line: tests running side by side append whole lines.
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        log.write((line + QLatin1Char('\n')).toUtf8());
}

} // namespace

ScriptedMessages::ScriptedMessages()
{
    setMessages(this);
}

ScriptedMessages::~ScriptedMessages()
{
    if (&messages() == this)
        setMessages(nullptr);
    if (!m_answers.isEmpty())
        qWarning("ScriptedMessages: %d queued answer(s) never asked for", int(m_answers.size()));
}

void ScriptedMessages::answer(Answer answer)
{
    m_answers.append(answer);
}

void ScriptedMessages::clear()
{
    m_answers.clear();
    m_shown.clear();
    m_questions.clear();
    m_notices.clear();
    m_errors.clear();
    m_details.clear();
    m_beeps = 0;
}

Answer ScriptedMessages::takeAnswer(const QString &text, Answer positive, Answer negative, bool replace,
                                    std::optional<Answer> third)
{
    m_shown.append(text);
    m_questions.append(text);
    logShown("question", text);
    if (m_whileAsking)
        m_whileAsking(text);
    if (m_answers.isEmpty()) {
        const QByteArray message = "Unanswered question: \"" + text.toUtf8() + '"';
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        return negative;
    }
    const Answer given = m_answers.takeFirst();
    const bool fits =
        replace ? given != Answer::Ok : (given == positive || given == negative || (third && given == *third));
    if (!fits) {
        const QByteArray message = QByteArray("Answer ") + answerName(given)
            + " does not fit the question \"" + text.toUtf8() + "\" (expects "
            + answerName(positive) + '/' + answerName(negative) + ')';
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        return negative;
    }
    return given;
}

Answer ScriptedMessages::confirmYesNo(const QString &text)
{
    return takeAnswer(text, Answer::Yes, Answer::No);
}

Answer ScriptedMessages::confirmOkCancel(const QString &text)
{
    return takeAnswer(text, Answer::Ok, Answer::Cancel);
}

Answer ScriptedMessages::confirmYesCancel(const QString &text)
{
    return takeAnswer(text, Answer::Yes, Answer::Cancel);
}

Answer ScriptedMessages::confirmYesNoCancel(const QString &text)
{
    return takeAnswer(text, Answer::Yes, Answer::Cancel, false, Answer::No);
}

Answer ScriptedMessages::confirmReplace(const QString &text)
{
    return takeAnswer(text, Answer::Yes, Answer::Cancel, true);
}

void ScriptedMessages::information(const QString &text)
{
    m_shown.append(text);
    m_notices.append(text);
    logShown("notice", text);
}

void ScriptedMessages::confirmation(const QString &text)
{
    information(text);
}

void ScriptedMessages::error(const QString &text)
{
    error(text, QString());
}

void ScriptedMessages::error(const QString &text, const QString &detail)
{
    m_shown.append(text);
    m_errors.append(text);
    logShown("error", text);
    m_details.append(detail);
}

void ScriptedMessages::beep()
{
    ++m_beeps;
}

} // namespace platform
