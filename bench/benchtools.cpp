#include "benchtools.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>

namespace benchtools {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double timeRun(const QString &program, const QStringList &arguments, QByteArray *output)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (output)
        *output = process.readAllStandardOutput();
    return seconds;
}

void reportChild(double seconds)
{
    std::printf("%.6f %lld\n", seconds, peakKilobytes());
}

ChildReport runChild(const QString &program, const QStringList &arguments)
{
    QByteArray output;
    ChildReport report;
    report.seconds = timeRun(program, arguments, &output);
    const QList<QByteArray> lines = output.trimmed().split('\n');
    report.inside = lines.last().split(' ').value(0).toDouble();
    report.peakKilobytes = lines.last().split(' ').value(1).toLongLong();
    return report;
}

double medianOf(const std::function<double()> &run)
{
    QList<double> times;
    for (int k = 0; k < RUNS; ++k) {
        const double seconds = run();
        if (seconds < 0)
            return -1;
        times << seconds;
    }
    return median(times);
}

void printCase(const char *name, double ours, const char *reference, double theirs,
               double target, qint64 peakKilobytes)
{
    std::printf("  %-28s ours %7.3f s, %s %7.3f s, ratio %5.2f (target <= %.1f)", name, ours,
                reference, theirs, theirs > 0 ? ours / theirs : 0.0, target);
    if (peakKilobytes >= 0)
        std::printf(", peak %.1f MB", peakKilobytes / 1024.0);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace benchtools
