#include "Clients.h"

#include "tests/support/TftpPeer.h"

namespace {

const QString kServer = TestLoopback();

QStringList CurlGet(const QStringList& options, const QString& remote, const QString& local)
{
    return QStringList{"-sS"} + options + QStringList{"-o", local, ServerUrl(kServer) + remote};
}

QStringList CurlPut(const QStringList& options, const QString& local, const QString& remote)
{
    return QStringList{"-sS"} + options + QStringList{"-T", local, ServerUrl(kServer) + remote};
}

QStringList BusyboxGet(const QStringList& options, const QString& remote, const QString& local)
{
    return QStringList{"tftp"} + options + QStringList{"-g", "-r", remote, "-l", local, kServer};
}

QStringList BusyboxPut(const QStringList& options, const QString& local, const QString& remote)
{
    return QStringList{"tftp"} + options + QStringList{"-p", "-l", local, "-r", remote, kServer};
}

// Block size, window and transfer size, as a UEFI firmware asks for them.
const QStringList kAtftpOptions{"--option", "blksize 1468", "--option", "windowsize 16", "--option", "tsize"};

} // namespace

QString ServerUrl(const QString& host)
{
    QString inUrl = host;
    inUrl.replace("%", "%25"); // a scope's
    return "tftp://" + (host.contains(':') ? "[" + inUrl + "]" : inUrl) + "/";
}

QString ServerHost()
{
    return kServer;
}

const std::vector<TftpClient>& TftpClients()
{
    static const std::vector<TftpClient> clients = {
        {"tftp-hpa", "tftp",
         [](const QString& remote, const QString& local) {
             return QStringList{"-m", "binary", kServer, "-c", "get", remote, local};
         },
         [](const QString& local, const QString& remote) {
             return QStringList{"-m", "binary", kServer, "-c", "put", local, remote};
         }},
        {"curl", "curl",
         [](const QString& remote, const QString& local) { return CurlGet({"--tftp-no-options"}, remote, local); },
         [](const QString& local, const QString& remote) { return CurlPut({"--tftp-no-options"}, local, remote); }},
        // Asks for the transfer size only.
        {"busybox", "busybox",
         [](const QString& remote, const QString& local) { return BusyboxGet({}, remote, local); },
         [](const QString& local, const QString& remote) { return BusyboxPut({}, local, remote); }},
        // curl's own options (transfer size, a resend interval) and a block
        // size. curl fails a download whose announced size is 0, from any
        // server ("getpeername() failed"), so it is given no empty file.
        {"curl-blksize", "curl",
         [](const QString& remote, const QString& local) {
             return CurlGet({"--tftp-blksize", "1468"}, remote, local);
         },
         [](const QString& local, const QString& remote) {
             return CurlPut({"--tftp-blksize", "1468"}, local, remote);
         },
         false},
        {"busybox-blksize", "busybox",
         [](const QString& remote, const QString& local) {
             return BusyboxGet({"-b", "1468"}, remote, local);
         },
         [](const QString& local, const QString& remote) {
             return BusyboxPut({"-b", "1468"}, local, remote);
         }},
        {"atftp-window", "atftp",
         [](const QString& remote, const QString& local) {
             return kAtftpOptions + QStringList{"-g", "-r", remote, "-l", local, kServer};
         },
         [](const QString& local, const QString& remote) {
             return kAtftpOptions + QStringList{"-p", "-l", local, "-r", remote, kServer};
         }},
    };
    return clients;
}
