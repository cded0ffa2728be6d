#pragma once
// What every benchmark needs: a median of a few runs, the wall time and peak memory of a
// program run to its end, and the lines that print a case against its reference.
#include <QString>
#include <QStringList>
#include <functional>

namespace benchtools {

// Each case runs RUNS times, and short ones more (up to MAX_RUNS) until their runs took
// MORE_SECONDS; the median is reported.
enum { RUNS = 5, MAX_RUNS = 41 };
constexpr double MORE_SECONDS = 1.0;

// The middle value (the upper one of the two middles); 0 for none.
double median(QList<double> values);

// How a program run through benchspawn went: the wall time of the child from fork to
// wait, its own peak resident memory (ru_maxrss) and the CPU time of all its threads
// (user and system), as benchspawn saw them.
struct RunReport {
    double seconds = -1;
    qint64 peakKilobytes = -1;
    bool ok = false; // started and exited with status 0
    double cpuSeconds = -1;
};
// Runs the program to its end through benchspawn, which lies beside the benchmark. Its
// standard output is dropped; its standard error is printed when it fails.
RunReport runProgram(const QString &program, const QStringList &arguments);

// A run of `cli extract ZONE -o FOLDER FLAGS`, the folder emptied before each run.
std::function<RunReport()> extractInto(const QString &cli, const QString &zone,
                                       const QString &folder, const QStringList &flags);

// The runs of a case: the median time and CPU time, the highest peak, ok when every run was.
RunReport medianOf(const std::function<RunReport()> &run);
// Rounds of a case and its reference taken in turns, so that a change in the
// machine's load falls on both alike; each side summed up as by medianOf.
struct RunPair {
    RunReport ours, theirs;
};
RunPair mediansInTurn(const std::function<RunReport()> &ours,
                      const std::function<RunReport()> &theirs);

// "  name   ours 1.230 s, reference 1.000 s, ratio 1.23 (target <= 1.2), peak 10.5 MB
// (reference 1.1 MB)"; false, and FAILED in the line, when either failed.
bool printCase(const char *name, const RunReport &ours, const char *reference,
               const RunReport &theirs, double target);

} // namespace benchtools
