#include "text/objectproperties.h"

#include <cmath>
#include <memory>

#include <QCoreApplication>

#include "stream/channeltable.h"
#include "stream/mlpstreamdumper.h"
#include "stream/payloadreader.h"
#include "stream/streamdumper.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "zone/zoneproblem.h"

namespace {
const char *const context = "ZoneInfo";

QString tr(const char *text)
{
    return QCoreApplication::translate(context, text);
}

// A percentage of a zero size has no value; the pane shows this instead.
const char *const noPercentage = "-";

// Everything the rows of a track or index show, computed once.
struct AudioFacts {
    const AOBObject *object = nullptr;
    const StreamInfo *info = nullptr;
    qint32 trackNumber = 0;
    qint32 indexNumber = 0;
    qint64 sizeOnDisc = 0;
    qint64 estimate = 0;
    qint64 plainSize = 0;
};

enum Shown {
    Always,
    IndexOnly,
    WithGroups,        // group 1 has channels
    WithGroup2,        // ... and group 2 too
    WithBitRate,       // ... and the bit rate is known
    WithSubstreams,    // ... and the substream count is known
    WithMajorSync,     // ... and the stream is the 0xA1 kind
};

struct AudioRow {
    const char *label;
    Shown shown;
    QString (*value)(const AudioFacts &);
};

QString percentage(qint64 part, qint64 whole, bool complement)
{
    if (whole == 0)
        return QString::fromLatin1(noPercentage);
    const double ratio = double(part) / double(whole);
    const double percent = (complement ? 1.0 - ratio : ratio) * 100.0;
    // A share that rounds to nothing is 0.00 %, never "-0.00 %".
    return QString::asprintf("%3.2f %%", std::abs(percent) < 0.005 ? 0.0 : percent);
}

QString groupNames(const StreamInfo &info, int group)
{
    QString group1, group2;
    describeChannels(info, nullptr, nullptr, &group1, &group2, nullptr);
    return group == 1 ? group1 : group2;
}

// A time of whole seconds as the tree gives it; any other to the millisecond, where a
// second is too coarse (a short index, two tracks that differ by less).
QString preciseTime(const AOBObject *object)
{
    const quint64 pts = quint64(quint32(object->timePts()));
    if (pts % 90000 == 0)
        return object->timeText();
    const quint64 ms = (pts * 1000 + 45) / 90000;
    return QString::asprintf("%02llu:%02llu:%02llu.%03llu", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

QString bytesText(qint64 bytes)
{
    return QString::asprintf("%lld bytes", static_cast<long long>(bytes));
}

const AudioRow audioRows[] = {
    {QT_TRANSLATE_NOOP("ZoneInfo", "Stream type"), Always,
     [](const AudioFacts &f) {
         if (f.info->subStreamId == SUBSTREAM_PCM)
             return tr(QT_TRANSLATE_NOOP("ZoneInfo", "PCM"));
         if (f.info->subStreamId == SUBSTREAM_MLP)
             return tr(QT_TRANSLATE_NOOP("ZoneInfo", "MLP"));
         return tr(QT_TRANSLATE_NOOP("ZoneInfo", "Unknown"));
     }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Track"), Always,
     [](const AudioFacts &f) { return QString::asprintf("%d", f.trackNumber); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Index"), IndexOnly,
     [](const AudioFacts &f) { return QString::asprintf("%d", f.indexNumber); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Time"), Always,
     [](const AudioFacts &f) { return preciseTime(f.object); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Time in PTS"), Always,
     [](const AudioFacts &f) { return QString::asprintf("%d", qint32(f.object->timePts())); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Channel assignment id"), WithGroups,
     [](const AudioFacts &f) { return QString::asprintf("%d", f.info->channelAssignment); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 1 channel assignment"), WithGroups,
     [](const AudioFacts &f) { return groupNames(*f.info, 1); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 1 sample rate"), WithGroups,
     [](const AudioFacts &f) { return QString::asprintf("%d Hz", f.info->group1SampleRate); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 1 bit resolution"), WithGroups,
     [](const AudioFacts &f) { return QString::asprintf("%d bit", f.info->group1Bits); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 2 channel assignment"), WithGroup2,
     [](const AudioFacts &f) { return groupNames(*f.info, 2); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 2 sample rate"), WithGroup2,
     [](const AudioFacts &f) { return QString::asprintf("%d Hz", f.info->group2SampleRate); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Group 2 bit resolution"), WithGroup2,
     [](const AudioFacts &f) { return QString::asprintf("%d bit", f.info->group2Bits); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Variable bit rate"), WithGroups,
     [](const AudioFacts &f) {
         return QString::fromLatin1(f.info->variableBitRate ? "Yes" : "No");
     }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Peak bit rate"), WithBitRate,
     [](const AudioFacts &f) { return QString::asprintf("%d bit/s", f.info->bitRate); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Substreams"), WithSubstreams,
     [](const AudioFacts &f) { return QString::asprintf("%d", f.info->substreams); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "First block"), Always,
     [](const AudioFacts &f) { return QString::asprintf("%d", qint32(f.object->firstBlock())); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Last block"), Always,
     [](const AudioFacts &f) { return QString::asprintf("%d", qint32(f.object->lastBlock())); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Size on disc"), Always,
     [](const AudioFacts &f) { return bytesText(f.sizeOnDisc); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Estimated stream size"), WithGroups,
     [](const AudioFacts &f) { return bytesText(f.estimate); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Original size"), WithGroups,
     [](const AudioFacts &f) { return bytesText(f.plainSize); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "PCM compression"), WithGroups,
     [](const AudioFacts &f) { return percentage(f.estimate, f.plainSize, true); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Disc space utilization"), WithGroups,
     [](const AudioFacts &f) { return percentage(f.estimate, f.sizeOnDisc, false); }},
    {QT_TRANSLATE_NOOP("ZoneInfo", "Major sync offset"), WithMajorSync,
     [](const AudioFacts &f) { return QString::asprintf("%d", f.info->majorSyncOffset); }},
};

[[nodiscard]] bool isShown(Shown shown, const AudioFacts &f)
{
    const StreamInfo &info = *f.info;
    const bool groups = info.group1Channels > 0;
    switch (shown) {
    case Always:
        return true;
    case IndexOnly:
        return f.object->kind() == KindIndex;
    case WithGroups:
        return groups;
    case WithGroup2:
        return groups && info.group2Channels > 0;
    case WithBitRate:
        return groups && info.bitRate != 0;
    case WithSubstreams:
        return groups && info.substreams > 0;
    case WithMajorSync:
        return groups && info.subStreamId == SUBSTREAM_MLP;
    }
    return false;
}

// Audio bytes one block carries; an unreadable block carries none.
qint64 blockPayload(DVDATitleset &titleset, quint32 block, quint8 *buffer)
{
    if (titleset.readBlock(block, buffer).failed())
        return 0;
    DVDANullStreamDumper counter;
    // The counting dumper takes every write, so reading the pack cannot fail.
    if (PayloadReader(counter).read(buffer).failed())
        return 0;
    return counter.bytes;
}

// The audio bytes of the first, second and last block, every inner block taken to carry
// as much as the second. Counted on a reader of its own: the object stays untouched while
// an extraction may be reading it on another thread.
qint64 estimateStreamSize(const AOBObject *object)
{
    DVDATitleset *titleset = object->titleset();
    if (!titleset)
        return 0;
    quint8 buffer[BLOCK_SIZE];
    const quint32 first = object->firstBlock();
    const quint32 last = object->lastBlock();
    qint64 estimate = blockPayload(*titleset, first, buffer);
    if (last > first)
        estimate += blockPayload(*titleset, last, buffer);
    if (last > first + 1)
        estimate += blockPayload(*titleset, first + 1, buffer) * qint64(last - first - 1);
    return estimate;
}

// What the same duration takes as plain PCM.
qint64 plainPcmSize(const AOBObject *object, const StreamInfo &info)
{
    const qint64 bitsPerSecond = qint64(info.group1Channels) * info.group1SampleRate * info.group1Bits
                                 + qint64(info.group2Channels) * info.group2SampleRate * info.group2Bits;
    const qint64 bytesPerSecond = bitsPerSecond / 8;
    return qint64(object->timePts()) * bytesPerSecond / PTS_PER_SECOND;
}

QList<PropertyRow> audioProperties(const AOBObject *object)
{
    AudioFacts facts;
    facts.object = object;
    // An MLP stream's group 2 as it decodes: a major sync may leave its rate and bits unset.
    const StreamInfo info = object->streamInfo.subStreamId == SUBSTREAM_MLP
                                ? DVDAMLPStreamDumper::outputFormat(object->streamInfo)
                                : object->streamInfo;
    facts.info = &info;
    const ObjectPath path = objectPath(object);
    if (path.track)
        facts.trackNumber = path.track->number;
    if (path.index)
        facts.indexNumber = path.index->number;
    facts.sizeOnDisc = qint64(quint32(object->lastBlock() - object->firstBlock() + 1)) * BLOCK_SIZE;
    if (object->streamInfo.group1Channels > 0) {
        facts.estimate = estimateStreamSize(object);
        facts.plainSize = plainPcmSize(object, info);
    }

    QList<PropertyRow> rows;
    for (const AudioRow &row : audioRows) {
        if (isShown(row.shown, facts))
            rows.append({tr(row.label), row.value(facts)});
    }
    return rows;
}
} // namespace

QList<PropertyRow> objectProperties(const DVDAObject *object)
{
    QList<PropertyRow> rows;
    if (!object)
        return rows;
    switch (object->kind()) {
    case KindIndex:
    case KindTrack:
        return audioProperties(static_cast<const AOBObject *>(object));
    case KindTitle: {
        const auto *title = static_cast<const DVDATitle *>(object);
        rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "Title id")), QString::number(title->number())});
        rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "Title tag")), QString::number(title->tag())});
        break;
    }
    case KindTitleset:
        if (static_cast<const DVDATitleset *>(object)->contentKind == TitlesetAudio)
            rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "AOBs location")),
                         tr(QT_TRANSLATE_NOOP("ZoneInfo", "AUDIO_TS folder"))});
        else
            rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "VOBs location")),
                         tr(QT_TRANSLATE_NOOP("ZoneInfo", "VIDEO_TS folder"))});
        break;
    case KindZone:
        if (!static_cast<const DVDAZone *>(object)->discId.isEmpty())
            rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "Disc ID")), static_cast<const DVDAZone *>(object)->discId});
        // What could not be read: the parts of the zone the tree lacks.
        for (const ZoneProblem &problem : zoneProblems(static_cast<const DVDAZone *>(object)))
            rows.append({tr(QT_TRANSLATE_NOOP("ZoneInfo", "Problem")), problemText(problem)});
        break;
    default:
        break;
    }
    return rows;
}
