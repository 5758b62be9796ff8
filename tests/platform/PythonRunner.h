#pragma once

#include <QProcess>
#include <QStandardPaths>

// Runs python3 from PATH for the tests that ask another reader about what we wrote.
namespace pwtest {

// python3 when it can import module, or nothing: the caller skips.
inline QString pythonWith(const QString &module)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QProcess probe;
    if (!program.isEmpty())
        probe.start(program, {QStringLiteral("-c"), QStringLiteral("import ") + module});
    return !program.isEmpty() && probe.waitForFinished(30000) && probe.exitCode() == 0 ? program : QString();
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
