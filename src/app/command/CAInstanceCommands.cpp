#include "app/command/CAInstanceCommands.h"

#include "app/command/CACommandLine.h"

#include <QCommandLineParser>

CAInstanceCommands::CAInstanceCommands(Actions actions)
    : m_actions(std::move(actions))
{
}

bool CAInstanceCommands::perform(const QStringList &handed, const QString &workingDirectory, QString *error) const
{
    // The reading takes the program's name first, as on a command line of its own.
    const QStringList arguments = QStringList{QStringLiteral("parcelwick")} + handed;
    const std::optional<CACommandRequest> request = CACommandLine::parse(arguments, workingDirectory, error);
    if (!request)
        return false;
    if (request->mode != CACommandRequest::Mode::Interactive) {
        if (error)
            *error = QStringLiteral("batch jobs run in the process started for them");
        return false;
    }
    if (m_actions.open) {
        for (const QString &path : request->files)
            m_actions.open(path);
    }
    if (m_actions.services) {
        QCommandLineParser parser;
        parser.addOptions(CACommandLine::options());
        parser.addPositionalArgument(QStringLiteral("files"), QString());
        if (parser.parse(arguments))
            m_actions.services(parser);
    }
    bool done = true;
    if (m_actions.command) {
        for (const QJsonObject &command : request->commands) {
            const QJsonObject answer = m_actions.command(command);
            if (answer.value(QStringLiteral("status")).toString() != u"ok" && done) {
                done = false;
                if (error)
                    *error = answer.value(QStringLiteral("message")).toString();
            }
        }
    }
    return done;
}
