#include "job/extractionjob.h"

#include "job/jobreplaygain.h"

ExtractionJob::ExtractionJob(QObject *parent) : QObject(parent)
{
    connect(&extraction, &Extraction::objectStarted, this, &ExtractionJob::objectStarted);
    connect(&extraction, &Extraction::objectRenamed, this, &ExtractionJob::objectRenamed);
    connect(&extraction, &Extraction::objectFinished, this,
            [this](DVDAObject *object, const Result &result, const ObjectCheck &check) {
                if (!result.ok())
                    failures.append({object, result});
                emit objectFinished(object, result, check);
            });
    connect(&extraction, &Extraction::progress, this, &ExtractionJob::progress);
    connect(&extraction, &Extraction::commandOutput, this, &ExtractionJob::commandOutput);
    connect(&extraction, &Extraction::finished, this,
            [this] { emit ended(endJob(extraction, leftOut, failures)); });
}

ExtractionJob::Start ExtractionJob::start(const QList<DVDAObject *> &selection, const ExtractOptions &options,
                                          const ReplaceExisting &replaceExisting, bool objectsLeftOut)
{
    if (extraction.isRunning())
        return Start::Busy;
    const JobPlan plan = planJob(selection, options);
    refused = plan.refusal;
    if (!refused.isEmpty())
        return Start::Refused;
    if (!plan.existing.isEmpty() && !replaceExisting(plan.existing))
        return Start::Declined;
    leftOut = objectsLeftOut;
    failures.clear();
    // The albums are known once every object is done: the command sees tagged files.
    extraction.setFilesDone(options.replayGain ? Extraction::FilesDone(applyReplayGain) : nullptr);
    return extraction.start(plan.objects, options) ? Start::Started : Start::Busy;
}
