#pragma once

// kestra-cfg as a user runs it: the built program in a process, in a folder of the test's.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct Run
{
    int exitCode = -1; // -1: it did not end by itself within the time
    QByteArray out;
    QByteArray err;
};

inline Run
runKestraCfg(const QStringList &arguments, const QString &folder,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KESTRA_CFG), arguments);
    Run result;
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = tool.exitCode();
    result.out = tool.readAllStandardOutput();
    result.err = tool.readAllStandardError();
    return result;
}

// kestra-cfg at work in the background while the test changes the machine around it, read
// line by line (deploy --each-inserted).
class RunningKestraCfg
{
public:
    RunningKestraCfg(const QStringList &arguments, const QString &folder,
                     const QProcessEnvironment &environment)
    {
        tool.setWorkingDirectory(folder);
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(KESTRA_CFG), arguments);
    }
    ~RunningKestraCfg()
    {
        if (tool.state() != QProcess::NotRunning) {
            tool.kill();
            tool.waitForFinished();
        }
    }
    RunningKestraCfg(const RunningKestraCfg &) = delete;
    RunningKestraCfg &operator=(const RunningKestraCfg &) = delete;

    // Its next line, without the line end; empty when none came within 10 seconds.
    QByteArray nextLine()
    {
        QDeadlineTimer deadline(10000);
        while (!tool.canReadLine() && tool.state() != QProcess::NotRunning &&
               tool.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        return tool.canReadLine() ? tool.readLine().chopped(1) : QByteArray();
    }

    // Its exit code once it has ended by itself; -1 when it did not within 10 seconds.
    int exitCode()
    {
        if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit)
            return -1;
        return tool.exitCode();
    }
    QByteArray rest() { return tool.readAllStandardOutput(); }
    QByteArray errors() { return tool.readAllStandardError(); }

private:
    QProcess tool;
};
