#include "Clients.h"

const std::vector<TftpClient>& TftpClients()
{
    static const std::vector<TftpClient> clients = {
        {"tftp-hpa", "tftp",
         [](const QString& remote, const QString& local) {
             return QStringList{"-m", "binary", "127.0.0.1", "-c", "get", remote, local};
         },
         [](const QString& local, const QString& remote) {
             return QStringList{"-m", "binary", "127.0.0.1", "-c", "put", local, remote};
         }},
        {"curl", "curl",
         [](const QString& remote, const QString& local) {
             return QStringList{"-sS", "-o", local, "tftp://127.0.0.1/" + remote};
         },
         [](const QString& local, const QString& remote) {
             return QStringList{"-sS", "-T", local, "tftp://127.0.0.1/" + remote};
         }},
        {"busybox", "busybox",
         [](const QString& remote, const QString& local) {
             return QStringList{"tftp", "-g", "-r", remote, "-l", local, "127.0.0.1"};
         },
         [](const QString& local, const QString& remote) {
             return QStringList{"tftp", "-p", "-l", local, "-r", remote, "127.0.0.1"};
         }},
    };
    return clients;
}
