#pragma once

#include <QProcess>
#include <QStandardPaths>

// Runs python3 from PATH for the tests that ask another reader about what we wrote.
namespace pwtest {

// The first python3 that can import module, or nothing: the caller skips. The one on PATH may be
// a private installation without the system's packages (python3-vobject), so the system's own is
// asked as well.
inline QString pythonWith(const QString &module)
{
    for (const QString &program : {QStandardPaths::findExecutable(QStringLiteral("python3")),
                                   QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")})}) {
        if (program.isEmpty())
            continue;
        QProcess probe;
        probe.start(program, {QStringLiteral("-c"), QStringLiteral("import ") + module});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return program;
    }
    return QString();
}

// Runs program to its end; output holds what it printed, both streams.
inline bool run(const QString &program, const QStringList &arguments, QByteArray *output)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    *output = process.readAllStandardOutput() + process.readAllStandardError();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace pwtest
