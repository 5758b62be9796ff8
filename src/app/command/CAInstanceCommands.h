#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;

// What the running instance does with the arguments a later start handed over: the same request
// as on its own command line, carried out in the running instance.
class CAInstanceCommands
{
public:
    struct Actions
    {
        // Opens (or brings forward) the design at an absolute path.
        std::function<void(const QString &path)> open;
        // The text services' options of the request.
        std::function<void(const QCommandLineParser &parser)> services;
        // Carries out one command of the request and answers it as the door would.
        std::function<QJsonObject(const QJsonObject &command)> command;
    };

    explicit CAInstanceCommands(Actions actions);

    // Carries out the request, arguments as handed over (without the program's name); false, with
    // the reason, for one that cannot be understood, is a batch job (those run in the process that
    // was started for them) or holds a command that failed (the later ones still run).
    bool perform(const QStringList &handed, const QString &workingDirectory, QString *error = nullptr) const;

private:
    Actions m_actions;
};
