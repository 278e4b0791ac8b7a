// Times ReadIniValue and WriteIniValue on generated INI files of 10 KB, 1 MB
// and 10 MB (many sections, the key in the last one) against the floor (just
// reading the file; copying it with fsync) and against crudini, and measures
// the peak memory of welcora-ini doing the same.
//
//   ini_bench [--quick]        (bench/run-ini builds and runs it)

#include "INI_Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray generate(qint64 size)
{
    QByteArray text;
    text.reserve(size + 4096);
    text += "; generated for the benchmark\r\n";
    for (int section = 0; text.size() < size; ++section) {
        text += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 10; ++key)
            text += "Key" + QByteArray::number(key) + " = value of some length "
                + QByteArray::number(section * 10 + key) + "\r\n";
        text += "\r\n";
    }
    text += "[Options]\r\nAccountingScript=/opt/welcora/kovrapost  $type $user $nas\r\n";
    return text;
}

double medianMs(int runs, const std::function<void(int)> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs welcora-ini and returns its peak resident memory in KiB, as it
// reports it itself (a child's rusage would include this process's memory).
long peakKiB(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WELCORA_INI_REPORT_PEAK", "1");
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(tool, arguments);
    process.waitForFinished(-1);
    const QByteArray err = process.readAllStandardError();
    const qsizetype at = err.indexOf("VmHWM:");
    if (at < 0)
        return -1;
    return err.mid(at + 6).trimmed().split(' ').first().toLong();
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains("--quick");
    const QString tool = QCoreApplication::applicationDirPath() + "/welcora-ini";
    const bool haveCrudini = QFile::exists("/usr/bin/crudini");
    QTemporaryDir dir;

    std::printf("| size | plain read | ReadIniValue | ratio | crudini --get | plain copy+fsync | "
                "WriteIniValue | ratio | crudini --set | peak get | peak set | file |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    const long baseline = peakKiB(tool, {"get", dir.filePath("none.ini"), "Options", "x"});

    struct Size
    {
        const char *name;
        qint64 bytes;
        int runs;
        int crudiniRuns;
    };
    for (const Size &size : {Size {"10 KB", 10 << 10, 200, 10}, Size {"1 MB", 1 << 20, 40, 5},
             Size {"10 MB", 10 << 20, 10, 3}}) {
        const int runs = quick ? 3 : size.runs;
        const int crudiniRuns = quick ? 1 : size.crudiniRuns;
        const QString path = dir.filePath(QString("Zentaro-%1.ini").arg(size.bytes));
        const QByteArray contents = generate(size.bytes);
        {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(contents);
        }

        const double plainRead = medianMs(runs, [&](int) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            volatile qsizetype n = file.readAll().size();
            (void)n;
        });
        const double read = medianMs(runs, [&](int) {
            if (INI_Files::ReadIniValue(path, "Options", "AccountingScript").isEmpty())
                std::abort();
        });
        const double plainCopy = medianMs(runs, [&](int) {
            QFile source(path);
            source.open(QIODevice::ReadOnly);
            QSaveFile copy(path + ".copy"); // temporary, write, fsync, rename
            copy.open(QIODevice::WriteOnly);
            copy.write(source.readAll());
            copy.commit();
        });
        const double write = medianMs(runs, [&](int i) {
            const QByteArray value = i % 2 ? "/opt/a/kovrapost  $type $user $nas"
                                           : "/opt/b/kovrapost  $type $user $nas";
            if (!INI_Files::WriteIniValue(path, "Options", "AccountingScript", value).ok())
                std::abort();
        });
        double crudiniGet = -1;
        double crudiniSet = -1;
        if (haveCrudini) {
            const QString copy = path + ".crudini";
            QFile::remove(copy);
            QFile::copy(path, copy);
            crudiniGet = medianMs(crudiniRuns, [&](int) {
                run("crudini", {"--get", copy, "Options", "AccountingScript"});
            });
            crudiniSet = medianMs(crudiniRuns, [&](int i) {
                run("crudini", {"--set", copy, "Options", "AccountingScript", QString::number(i)});
            });
        }
        const long peakGet = peakKiB(tool, {"get", path, "Options", "AccountingScript"});
        const long peakSet = peakKiB(tool, {"set", path, "Options", "AccountingScript", "peak"});

        auto ms
            = [](double v) { return v < 0 ? QString("n/a") : QString::number(v, 'f', 3) + " ms"; };
        std::printf("| %s | %s | %s | %.1fx | %s | %s | %s | %.1fx | %s | %+ld KiB | %+ld KiB | "
                    "%lld KiB |\n",
            size.name, qPrintable(ms(plainRead)), qPrintable(ms(read)), read / plainRead,
            qPrintable(ms(crudiniGet)), qPrintable(ms(plainCopy)), qPrintable(ms(write)),
            write / plainCopy, qPrintable(ms(crudiniSet)), peakGet - baseline, peakSet - baseline,
            static_cast<long long>(contents.size() / 1024));
        std::fflush(stdout);
    }
    std::printf("\nPeak memory is welcora-ini's maximum resident set less that of a run on a "
                "missing file (%ld KiB).\n",
        baseline);
    return 0;
}
