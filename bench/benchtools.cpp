#include "benchtools.h"

#include <QCoreApplication>
#include <QDir>
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

RunReport runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QCoreApplication::applicationDirPath() + QLatin1String("/benchspawn"),
                  QStringList{program} + arguments);
    process.waitForFinished(-1);
    // benchspawn's last line of standard error: "<seconds> <peak KiB> <exit status> <CPU seconds>".
    const QByteArray errors = process.readAllStandardError().trimmed();
    const QList<QByteArray> report = errors.mid(errors.lastIndexOf('\n') + 1).split(' ');
    RunReport run;
    if (report.size() == 4) {
        run.seconds = report[0].toDouble();
        run.peakKilobytes = report[1].toLongLong();
        run.cpuSeconds = report[3].toDouble();
    }
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
             && report.size() == 4 && report[2] == "0";
    if (!run.ok)
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program),
                     qPrintable(arguments.join(QLatin1Char(' '))),
                     errors.isEmpty() ? qPrintable(process.errorString()) : errors.constData());
    return run;
}

namespace {
// The runs of one side: their times, the highest peak, whether all went well.
struct Runs {
    QList<double> times, cpuTimes;
    qint64 peakKilobytes = -1;
    bool ok = true;
    void add(const RunReport &one)
    {
        times << one.seconds;
        cpuTimes << one.cpuSeconds;
        peakKilobytes = qMax(peakKilobytes, one.peakKilobytes);
        ok = ok && one.ok;
    }
    RunReport summary() const { return RunReport{median(times), peakKilobytes, ok, median(cpuTimes)}; }
};

// Whether another round is wanted: RUNS of them at least, and more while the rounds so
// far took under MORE_SECONDS, as short runs scatter most with the host's load.
bool wantsMore(const Runs &runs, double seconds)
{
    const int done = int(runs.times.size());
    return runs.ok && (done < RUNS || (done < MAX_RUNS && seconds < MORE_SECONDS));
}
} // namespace

std::function<RunReport()> extractInto(const QString &cli, const QString &zone,
                                       const QString &folder, const QStringList &flags)
{
    const QStringList args = QStringList{QStringLiteral("extract"), zone, QStringLiteral("-o"), folder}
                             + flags;
    return [cli, args, folder] {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return runProgram(cli, args);
    };
}

RunReport medianOf(const std::function<RunReport()> &run)
{
    Runs runs;
    for (double seconds = 0; wantsMore(runs, seconds);) {
        runs.add(run());
        seconds += runs.times.last();
    }
    return runs.summary();
}

RunPair mediansInTurn(const std::function<RunReport()> &ours,
                      const std::function<RunReport()> &theirs)
{
    Runs a, b;
    for (double seconds = 0; wantsMore(a, seconds) && b.ok;) {
        a.add(ours());
        b.add(theirs());
        seconds += a.times.last() + b.times.last();
    }
    return RunPair{a.summary(), b.summary()};
}

bool printCase(const char *name, const RunReport &ours, const char *reference,
               const RunReport &theirs, double target)
{
    std::printf("  %-32s ours %7.3f s, %s %7.3f s, ratio %5.2f (target <= %g), peak %.1f MB "
                "(%s %.1f MB)%s\n",
                name, ours.seconds, reference, theirs.seconds,
                theirs.seconds > 0 ? ours.seconds / theirs.seconds : 0.0, target,
                ours.peakKilobytes / 1024.0, reference, theirs.peakKilobytes / 1024.0,
                ours.ok && theirs.ok ? "" : " FAILED");
    std::fflush(stdout);
    return ours.ok && theirs.ok;
}

} // namespace benchtools
