#pragma once
// One extraction or verification as both front ends run it: it plans (whole titles, the
// names, the command), asks its driver the one question it has (replace files that exist
// already?), runs the extraction, and ends it (damaged files, rip log, summary, the last
// line). The driver shows what it reports.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "extraction/extraction.h"
#include "job/jobending.h"
#include "job/jobplan.h"

class ExtractionJob : public QObject {
    Q_OBJECT
public:
    enum class Start {
        Started,
        Refused,  // the plan refused it: refusal() says why; nothing was written
        Declined, // files exist already and the driver did not replace them
        Busy,     // a run of this job has not ended yet
    };
    // Asked when planned files exist already (their paths): true replaces them.
    using ReplaceExisting = std::function<bool(const QStringList &existing)>;

    explicit ExtractionJob(QObject *parent = nullptr);

    // Plans and starts a run of the selection. objectsLeftOut: the zone's damage may have
    // kept objects out of the selection, which the ending then says.
    [[nodiscard]] Start start(const QList<DVDAObject *> &selection, const ExtractOptions &options,
                              const ReplaceExisting &replaceExisting, bool objectsLeftOut = false);
    // Why the last start was refused.
    [[nodiscard]] const QString &refusal() const { return refused; }
    // Tags filled in while the run goes: they take effect for the objects not yet begun.
    void setTagging(const ExtractOptions &tagging) { extraction.setTagging(tagging.metadata, tagging.cover); }
    // Asks the run to end; ended follows with Cancelled.
    void stop() { extraction.stop(); }
    [[nodiscard]] bool isRunning() const { return extraction.isRunning(); }
    [[nodiscard]] bool isStopping() const { return extraction.isStopping(); }
    [[nodiscard]] const Extraction &run() const { return extraction; }
    void setProgressInterval(int ms) { extraction.setProgressInterval(ms); }

signals:
    // As the extraction reports them.
    void objectStarted(DVDAObject *object, const QString &baseName);
    void objectRenamed(DVDAObject *object, const QString &baseName);
    void objectFinished(DVDAObject *object, const Result &result, const ObjectCheck &check);
    void progress(const ExtractionStatus &status);
    void commandOutput(const QByteArray &error, const QByteArray &output);
    // Once the run has ended and its log is written.
    void ended(const JobEnding &ending);

private:
    Extraction extraction;
    QString refused;
    bool leftOut = false;
    QList<ObjectFailure> failures; // of the run under way, as they finished
};
