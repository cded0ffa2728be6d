#pragma once
// What every benchmark needs: a median of a few runs, the wall time of a program run to
// its end, a child's own report of its time and peak memory, and the lines that print a
// case against its reference.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace benchtools {

enum { RUNS = 3 }; // each case runs this often; the median is reported

// The middle value (the upper one of the two middles); 0 for none.
double median(QList<double> values);

// This process's peak resident memory in KiB (VmHWM), -1 when unknown. Not getrusage: a
// child's ru_maxrss keeps the parent's size from before exec.
qint64 peakKilobytes();

// Wall time in seconds of a program run to its end; negative when it could not start or
// exited with a failure. Its standard output goes to *output when given.
double timeRun(const QString &program, const QStringList &arguments,
               QByteArray *output = nullptr);

// What a child run of a benchmark prints as its last line: "<seconds> <peak KiB>".
void reportChild(double seconds);
struct ChildReport {
    double seconds = -1; // of the whole process, negative on failure
    double inside = -1;  // as the child timed its own work
    qint64 peakKilobytes = -1;
};
// Runs the child and reads its report.
ChildReport runChild(const QString &program, const QStringList &arguments);

// Median over RUNS of what each run returns (negative: that run failed, so the case).
double medianOf(const std::function<double()> &run);

// "  name: ours 1.23 s, reference 1.00 s, ratio 1.23 (target <= 1.2), peak 10.5 MB"
void printCase(const char *name, double ours, const char *reference, double theirs,
               double target, qint64 peakKilobytes = -1);

} // namespace benchtools
