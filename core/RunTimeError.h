#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A statement failed. The description is what the error report shows on its first line.
class RunTimeError : public std::exception {
public:
    explicit RunTimeError(QString description, int number = 0)
        : m_description(std::move(description)), m_number(number), m_what(m_description.toUtf8()) {}

    const QString& description() const { return m_description; }
    // Error number, for the few errors a caller tests before reporting (0 when it has none).
    int number() const { return m_number; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    int m_number;
    QByteArray m_what;
};

// Raised at a yield once the window is closing. Deliberately not a std::exception: no error
// report catches it, so it unwinds every running command back to the event loop.
struct Cancelled {};

// Raised at a yield of a command that the user stopped (Escape, a pane's Stop): ends that command
// alone, which its frame catches. Not a std::exception either, so no error report catches it.
struct Stopped {};
