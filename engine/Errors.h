#pragma once

#include <QString>
#include <stdexcept>

// Every failure the engine reports carries the text the user or the journal
// should see (the server's, the driver's or the system's words).
class OrvellError : public std::runtime_error
{
public:
    explicit OrvellError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
