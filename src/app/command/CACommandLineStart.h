#pragma once

#include "app/command/CACommandLine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CADocumentController;
class CAInstanceCommands;
class CAInstanceServer;
class CAScriptCommands;

// A start with windows, as main() makes it for every request that is no batch job: the request
// goes to the running instance when there is one; else this process becomes the instance (its
// windows and panels, its door) and opens what the start asked for, exactly that, whether or not
// it is the user's first start. Kept while the application runs; its end closes the door before
// the windows go.
class CACommandLineStart
{
public:
    // The arguments as the system gave them: names that are no UTF-8 travel as bytes.
    struct Arguments
    {
        // The program's name first, as the application object read them.
        QStringList texts;
        // Without the program's name.
        QList<QByteArray> raw;
        bool anyByteName = false;
    };
    static Arguments arguments(const QStringList &texts, int argc, char *argv[]);
    // From text alone, every argument UTF-8 (the program's name first).
    static Arguments arguments(const QStringList &texts);

    // An empty door name keeps later starts out (there is no folder only this user can enter).
    CACommandLineStart(CACommandRequest request, Arguments arguments, QString doorName);
    ~CACommandLineStart();
    CACommandLineStart(const CACommandLineStart &) = delete;
    CACommandLineStart &operator=(const CACommandLineStart &) = delete;

    // Hands the request over to the running instance, or makes this process the instance: its
    // windows and panels are installed and its door listens. The status to leave with when the
    // request was handed over.
    std::optional<int> handOverOrBecomeInstance();
    // Opens what the start asked for: the designs named, the text handed over, the commands; the
    // start-up's untitled document (which may be the assistant) only when none of them left a
    // document or a window to come.
    void openRequested();
    // The floating panels, from the event loop once the first window is up.
    void finishLaunching();

    // Null until this process became the instance.
    CADocumentController *controller() const { return m_controller.get(); }

private:
    std::optional<int> handOver(int timeoutMs) const;
    std::optional<int> openDoor();
    void serveDoor();

    CACommandRequest m_request;
    Arguments m_arguments;
    QString m_doorName;
    // In the order they are made; the door goes first, before what its handler calls.
    std::unique_ptr<CADocumentController> m_controller;
    std::unique_ptr<CAScriptCommands> m_scriptCommands;
    std::unique_ptr<CAInstanceCommands> m_commands;
    std::unique_ptr<CAInstanceServer> m_door;
};
