#include "ChildProcess.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

int RunProgram(const QString& program, const QStringList& arguments, int timeoutMs, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    const bool finished = process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.error() != QProcess::FailedToStart ? process.exitCode() : -1;
}

void RunSetup(const QString& program, const QStringList& arguments)
{
    QString output;
    ASSERT_EQ(RunProgram(program, arguments, 10000, &output), 0)
        << program.toStdString() << " " << arguments.join(' ').toStdString() << ": " << output.toStdString();
}
