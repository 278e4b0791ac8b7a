// SilentServer as a program, for the end-to-end runs: listens until a client
// comes and hangs up (or a minute passes), saying so on its output.
#include "SilentServer.h"

#include <cstdio>

int main()
{
    SilentServer server;
    if (!server.listening()) {
        std::fprintf(stderr, "silent-server: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    if (!server.waitForClient(60000))
        return 2;
    std::printf("a client came\n");
    std::fflush(stdout);
    if (!server.waitForHangUp(60000))
        return 3;
    std::printf("the client hung up\n");
    return 0;
}
