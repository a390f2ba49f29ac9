#pragma once
// The real TFTP clients the service is tried with, each run as a child
// process against port 69 of the loopback address of the family the tests
// run over (127.0.0.1 or ::1) while the event loop serves: without options
// first, then asking for options.
#include <QString>
#include <QStringList>
#include <vector>

struct TftpClient {
    QString name;
    QString program;
    QStringList (*get)(const QString& remote, const QString& local);
    QStringList (*put)(const QString& local, const QString& remote);
    bool downloadsEmptyFiles = true;
};

const std::vector<TftpClient>& TftpClients();
// The address the clients ask, and a URL of a server at host ("tftp://[::1]/").
QString ServerHost();
QString ServerUrl(const QString& host);
