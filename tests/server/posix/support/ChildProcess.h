#pragma once
// Programs run from a test as child processes while the event loop serves.
#include <QString>
#include <QStringList>

// Runs a program to its end while the event loop goes on; its exit code, or
// -1 when it had to be killed after timeoutMs. Output goes to *output.
int RunProgram(const QString& program, const QStringList& arguments, int timeoutMs, QString* output = nullptr);

// Runs a command that sets up a test (ip, nft, mount) and fails the test
// when it does not succeed.
void RunSetup(const QString& program, const QStringList& arguments);
