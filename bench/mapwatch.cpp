// mapwatch: starts a program under an X server and measures the time from
// the process start until its first window is mapped (the X MapNotify event,
// not a poll), and its peak resident memory at that point.
//
//   mapwatch PROGRAM [ARGS...]      prints: <milliseconds> <peak KiB>

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

static double now()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static long peakKiB(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", int(pid));
    FILE *status = std::fopen(path, "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return kib;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mapwatch PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "mapwatch: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = -1;
    struct pollfd fd = {xcb_get_file_descriptor(connection), POLLIN, 0};
    while (mapped < 0 && now() - start < 30000) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && mapped < 0)
                mapped = now();
            free(event);
        }
        if (mapped < 0)
            poll(&fd, 1, 100);
    }
    // Let it settle, as an operator would see it, then read its peak memory.
    usleep(300 * 1000);
    const long peak = peakKiB(child);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    xcb_disconnect(connection);
    if (mapped < 0) {
        std::fprintf(stderr, "mapwatch: no window was mapped\n");
        return 1;
    }
    std::printf("%.1f %ld\n", mapped - start, peak);
    return 0;
}
