#pragma once

// Sockets as POSIX has them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QString>

namespace Sockets {
using Handle = int;
inline bool start()
{
    return true;
}
inline void close(qintptr socket)
{
    ::close(int(socket));
}
inline bool valid(qintptr socket)
{
    return socket >= 0;
}
inline QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace Sockets
