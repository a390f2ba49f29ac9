#pragma once
// The IPv4 socket types and byte-order helpers that the socket layer's
// interface is written in (sockaddr_in, in_addr, socklen_t, SOCK_DGRAM,
// htons, ntohs): Windows Sockets 2's on Windows, POSIX's elsewhere.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
