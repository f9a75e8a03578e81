#pragma once

// kestra-cfg as a user runs it: the built program in a process, in a folder of the test's.

#include <QByteArray>
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
