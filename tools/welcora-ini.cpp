// welcora-ini: reads and writes one entry of an INI file with the same code
// the program uses.
//   welcora-ini get PATH SECTION KEY
//   welcora-ini set PATH SECTION KEY VALUE

#include "INI_Files.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// For benchmarks: WELCORA_INI_REPORT_PEAK=1 prints the peak resident memory
// (VmHWM) to stderr on the way out.
void reportPeakMemory()
{
    if (!std::getenv("WELCORA_INI_REPORT_PEAK"))
        return;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            std::fprintf(stderr, "%s\n", line.constData());
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::atexit(reportPeakMemory);
    if (argc == 5 && std::strcmp(argv[1], "get") == 0) {
        const QByteArray value
            = INI_Files::ReadIniValue(FilePath::fromNative(argv[2]), argv[3], argv[4]);
        std::fwrite(value.constData(), 1, size_t(value.size()), stdout);
        std::fputc('\n', stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 6 && std::strcmp(argv[1], "set") == 0) {
        const WriteResult result
            = INI_Files::WriteIniValue(FilePath::fromNative(argv[2]), argv[3], argv[4], argv[5]);
        if (!result.ok()) {
            std::fprintf(stderr, "%s\n", result.error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr,
        "usage: welcora-ini get PATH SECTION KEY\n"
        "       welcora-ini set PATH SECTION KEY VALUE\n");
    return 2;
}
