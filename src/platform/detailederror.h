#pragma once

// An error whose message is German text for the user and that keeps the
// technical words behind it (a library's own message, the statement that
// failed) apart, for whoever helps the user. Header only: any library may
// throw it without linking the platform.

#include <QString>
#include <stdexcept>

namespace platform {

class DetailedError : public std::runtime_error
{
public:
    explicit DetailedError(const QString &message, const QString &detail = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail)
    {
    }
    const QString &message() const { return m_message; }
    // Empty when there is nothing more to tell.
    const QString &detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

} // namespace platform
