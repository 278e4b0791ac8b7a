#pragma once

#include <QString>

// A database server that never answers: it takes connections on the
// loopback address the test data source ZentaroSilent points at
// (127.0.0.57, the port in WELCORA_TEST_SILENT_PORT, which CTest sets) and
// says nothing, so a driver waits there until its login timeout. The test
// sees when a client comes and when it gives up.
class SilentServer
{
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    bool listening() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // A client has connected and not been taken yet.
    bool clientWaiting() { return waitForClient(0); }
    // Waits up to ms for a client and takes it.
    bool waitForClient(int ms);
    // Waits up to ms for the client taken to hang up (what it sends is read
    // and dropped).
    bool waitForHangUp(int ms);

private:
    bool readable(qintptr socket, int ms);

    qintptr m_listener = -1;
    qintptr m_client = -1;
    bool m_taken = false;
    QString m_error;
};
