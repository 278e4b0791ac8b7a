#include "SilentServer.h"

#include "Sockets.h"

#include <QDeadlineTimer>

SilentServer::SilentServer()
{
    if (!Sockets::start()) {
        m_error = Sockets::lastError();
        return;
    }
    m_listener = qintptr(socket(AF_INET, SOCK_STREAM, 0));
    if (!Sockets::valid(m_listener)) {
        m_error = Sockets::lastError();
        return;
    }
    const int yes = 1;
    setsockopt(Sockets::Handle(m_listener), SOL_SOCKET, SO_REUSEADDR,
        reinterpret_cast<const char *>(&yes), sizeof yes);
    const int port = qEnvironmentVariableIntValue("WELCORA_TEST_SILENT_PORT");
    if (port <= 0 || port > 65535) {
        m_error = QStringLiteral("WELCORA_TEST_SILENT_PORT names no port (run through ctest)");
        return;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl((127u << 24) | 57u);
    if (bind(Sockets::Handle(m_listener), reinterpret_cast<const sockaddr *>(&address),
            sizeof address)
            != 0
        || listen(Sockets::Handle(m_listener), 8) != 0)
        m_error = QStringLiteral("cannot listen on 127.0.0.57:%1: %2")
                      .arg(port)
                      .arg(Sockets::lastError());
}

SilentServer::~SilentServer()
{
    if (m_taken)
        Sockets::close(m_client);
    if (Sockets::valid(m_listener))
        Sockets::close(m_listener);
}

bool SilentServer::readable(qintptr socket, int ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Sockets::Handle(socket), &set);
    timeval wait {ms / 1000, (ms % 1000) * 1000};
    return select(int(socket + 1), &set, nullptr, nullptr, &wait) > 0;
}

bool SilentServer::waitForClient(int ms)
{
    if (!listening() || !readable(m_listener, ms))
        return false;
    if (ms == 0)
        return true; // only looked
    if (m_taken)
        Sockets::close(m_client);
    m_client = qintptr(accept(Sockets::Handle(m_listener), nullptr, nullptr));
    m_taken = Sockets::valid(m_client);
    return m_taken;
}

bool SilentServer::waitForHangUp(int ms)
{
    if (!m_taken)
        return true;
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (!readable(m_client, int(qMin<qint64>(deadline.remainingTime(), 200))))
            continue;
        char dropped[512];
        if (recv(Sockets::Handle(m_client), dropped, sizeof dropped, 0) <= 0)
            return true;
    }
    return false;
}
