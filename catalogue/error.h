#pragma once

#include <QString>

#include <exception>

namespace kavinto {

// Every failure of the catalogue and search layers is an Error carrying the
// exact text the user is shown. It is caught in one place only: where the
// event loop dispatches the handler that raised it.
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace kavinto
