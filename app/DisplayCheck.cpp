#include "DisplayCheck.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

const char *const VirtualDisplay
    = "Start it from a desktop session, or in a virtual display: xvfb-run welcora "
      "(Debian package xvfb).";

QtMessageHandler previousHandler = nullptr;

void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        std::fprintf(stderr,
            "welcora: cannot open its window on the display \"%s\": the display is not running "
            "or may not be used by this user. %s\n",
            qgetenv("DISPLAY").constData(), VirtualDisplay);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

namespace DisplayCheck {

bool displayUsable()
{
    // Only a desktop without X11 or Wayland lacks both; Qt picks its own
    // platform when one is named.
    const bool unixDesktop =
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        true;
#else
        false;
#endif
    if (unixDesktop && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
            "welcora: needs a graphical display to open its window, and none is set (DISPLAY "
            "is empty). %s\n",
            VirtualDisplay);
        return false;
    }
    previousHandler = qInstallMessageHandler(onMessage);
    return true;
}

} // namespace DisplayCheck
