#pragma once

// Sockets as Windows has them (Winsock 2).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <QString>

namespace Sockets {
using Handle = SOCKET;
inline bool start()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
inline void close(qintptr socket)
{
    closesocket(SOCKET(socket));
}
inline bool valid(qintptr socket)
{
    return SOCKET(socket) != INVALID_SOCKET;
}
inline QString lastError()
{
    return QStringLiteral("Winsock error %1").arg(WSAGetLastError());
}
} // namespace Sockets
