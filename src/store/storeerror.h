#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

namespace store {

// An error of the table store. Its message is German text for the user and
// names the table file concerned; SQLite's own words, when it refused, are
// its detail, for whoever helps the user. The window that caught it shows
// both through the message service.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message, const QString &detail = {})
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

// The detail of an error when it is the store's, else empty; what the
// program hands to platform::setErrorDetail.
inline QString errorDetail(const std::exception &error)
{
    const auto *storeError = dynamic_cast<const StoreError *>(&error);
    return storeError ? storeError->detail() : QString();
}

} // namespace store
