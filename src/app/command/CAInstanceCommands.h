#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;

// What the running instance does with the arguments a later start handed over: the same request
// as on its own command line, carried out in the running instance. The later start waits for the
// answer, so everything that waits on the user (the address sheet of text handed over) runs only
// after the answer, from the event loop.
class CAInstanceCommands
{
public:
    struct Actions
    {
        // Opens (or brings forward) the design at an absolute path; false, with the reason, when
        // it cannot be read. The user is told only after the answer.
        std::function<bool(const QString &path, QString *reason)> open;
        // The text services' options of the request; they run after the answer.
        std::function<void(const QCommandLineParser &parser)> services;
        // Carries out one command of the request and answers it as the door would.
        std::function<QJsonObject(const QJsonObject &command)> command;
    };

    explicit CAInstanceCommands(Actions actions);

    // Carries out the request, arguments as handed over (without the program's name), and answers
    // it as the door does: "ok" with a "message" saying what follows, "error" for a design that
    // could not be opened or a command that failed (the others are still carried out), "refused"
    // for a request that cannot be understood or is a batch job (those run in the process that
    // was started for them).
    QJsonObject perform(const QStringList &handed, const QString &workingDirectory) const;

private:
    Actions m_actions;
};
