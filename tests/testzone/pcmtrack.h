#pragma once
// One PCM track of known samples in a written zone, converted through the dump driver,
// and FFmpeg's reading of what was written (not this program's), sample for sample.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "1-base/result.h"
#include "4-output/outputsink.h"
#include "5-extraction/extractoptions.h"
#include "pcmpacking.h"
#include "testzone.h"

class AOBObject;
class DVDAZone;

namespace testzone {

// A zone with one PCM track holding the packed samples of both groups.
struct PcmTrack {
    PcmTrack(int assignment, const PcmGroup &group1, const PcmGroup &group2, int group1Frames);
    ~PcmTrack();

    AOBObject *track() const;
    ResultCode convert(const QString &basePath, const ExtractOptions &options,
                       std::vector<WrittenFile> *files = nullptr);
    // Stream channel n's samples as 32-bit left-justified values.
    std::vector<qint32> channel(int n) const;
    // The stream channels listed, interleaved frame by frame, as s32le.
    QByteArray interleaved(const QList<int> &channels) const;

    PcmGroup g1, g2;
    PcmSamples s1, s2;
    int packCount = 0;
    std::unique_ptr<ZoneFolder> folder;
    std::unique_ptr<DVDAZone> zone;
};

// A file as FFmpeg reads it, written out again as a wave file of plain 32-bit samples.
struct Decoded {
    QString error;
    QByteArray samples; // s32le, interleaved as in the file
    int channels = 0;
    int sampleRate = 0;
    quint32 channelMask = 0; // the speakers FFmpeg took the channels for
};
Decoded decode(const QString &path);

// Runs a tool to its end: an empty string and its standard output in *out, or what went
// wrong (it did not start or finish, failed, or wrote to standard error).
QString runTool(const QString &tool, const QStringList &arguments, QByteArray *out);
bool haveTool(const QString &name);

} // namespace testzone
