#include "app/command/CAInstanceCommands.h"

#include "app/command/CACommandLine.h"
#include "app/command/CAInstanceDoor.h"
#include "app/shell/CADocumentServices.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QTimer>

namespace {

// The request read again with every option, the text services' among them, as they are given to
// the services.
bool parseWithServices(QCommandLineParser &parser, const QStringList &arguments)
{
    parser.addOptions(CACommandLine::options());
    parser.addPositionalArgument(QStringLiteral("files"), QString());
    return parser.parse(arguments);
}

QStringList serviceTexts(const QCommandLineParser &parser)
{
    QStringList texts;
    for (const QCommandLineOption &option : CADocumentServices::commandLineOptions())
        texts += parser.values(option.names().constFirst());
    return texts;
}

} // namespace

CAInstanceCommands::CAInstanceCommands(Actions actions)
    : m_actions(std::move(actions))
{
}

QJsonObject CAInstanceCommands::perform(const QStringList &handed, const QString &workingDirectory) const
{
    // The reading takes the program's name first, as on a command line of its own.
    const QStringList arguments = QStringList{QStringLiteral("parcelwick")} + handed;
    QString reason;
    const std::optional<CACommandRequest> request = CACommandLine::parse(arguments, workingDirectory, &reason);
    if (!request)
        return CAInstanceServer::refusedAnswer(reason);
    if (request->mode != CACommandRequest::Mode::Interactive)
        return CAInstanceServer::refusedAnswer(QStringLiteral("batch jobs run in the process started for them"));

    QStringList failures;
    int opened = 0;
    if (m_actions.open) {
        for (const QString &path : request->files) {
            QString failure;
            if (m_actions.open(path, &failure))
                ++opened;
            else
                failures.append(failure.isEmpty() ? QStringLiteral("%1 cannot be opened").arg(path) : failure);
        }
    }
    int commands = 0;
    QJsonArray notes;
    if (m_actions.command) {
        for (const QJsonObject &command : request->commands) {
            const QJsonObject answer = m_actions.command(command);
            for (const QJsonValue &note : answer.value(QStringLiteral("notes")).toArray())
                notes.append(note);
            if (answer.value(QStringLiteral("status")).toString() == u"ok")
                ++commands;
            else
                failures.append(answer.value(QStringLiteral("message")).toString());
        }
    }

    QStringList said;
    if (opened > 0)
        said.append(opened == 1 ? QStringLiteral("1 design opened") : QStringLiteral("%1 designs opened").arg(opened));
    if (commands > 0)
        said.append(commands == 1 ? QStringLiteral("1 command carried out")
                                  : QStringLiteral("%1 commands carried out").arg(commands));
    QCommandLineParser parser;
    const int texts = parseWithServices(parser, arguments) ? int(serviceTexts(parser).size()) : 0;
    if (texts > 0 && m_actions.services) {
        said.append(texts == 1 ? QStringLiteral("the address sheet opens for 1 text")
                               : QStringLiteral("the address sheet opens for %1 texts").arg(texts));
        // The sheet waits on the user: it opens once the later start has its answer.
        QTimer::singleShot(0, QCoreApplication::instance(), [services = m_actions.services, arguments] {
            QCommandLineParser later;
            if (parseWithServices(later, arguments))
                services(later);
        });
    }
    if (!failures.isEmpty()) {
        QJsonObject answer = CAInstanceServer::errorAnswer(failures.join(QStringLiteral("; ")));
        if (!said.isEmpty())
            answer.insert(QStringLiteral("done"), said.join(QStringLiteral(", ")));
        if (!notes.isEmpty())
            answer.insert(QStringLiteral("notes"), notes);
        return answer;
    }
    QJsonObject answer = CAInstanceServer::okAnswer();
    if (!said.isEmpty())
        answer.insert(QStringLiteral("message"), said.join(QStringLiteral(", ")));
    if (!notes.isEmpty())
        answer.insert(QStringLiteral("notes"), notes);
    return answer;
}
