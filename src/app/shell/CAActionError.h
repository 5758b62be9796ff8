#pragma once

#include <QString>

#include <stdexcept>

// A command that cannot go on: the action boundary shows its text to the user and the
// application carries on. Thrown where an inconsistency would otherwise end the process.
class CAActionError : public std::runtime_error
{
public:
    explicit CAActionError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromUtf8(what()); }
};
