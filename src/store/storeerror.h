#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// An error of the table store. Its message is German text for the user and
// names the table file concerned; the window that caught it shows it through
// the message service.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace store
