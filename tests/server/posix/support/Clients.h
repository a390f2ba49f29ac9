#pragma once
// The real TFTP clients the service is tried with, each run as a child
// process against 127.0.0.1 port 69 while the event loop serves: without
// options first, then asking for options.
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
