#include "text/treelabels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "zone/dvdatitleset.h"
#include "zone/dvdazone.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ZoneInfo", text);
}

QString titlesetKindWord(const DVDATitleset *titleset)
{
    switch (titleset->contentKind) {
    case TitlesetAudio:
        return tr("Audio");
    case TitlesetVideo:
        return tr("Video");
    default:
        return tr("Unknown");
    }
}

// Track and index labels share the time and block range tail.
QString timeAndBlocks(const AOBObject *object, BlockRange range)
{
    if (range == BlockRange::Left)
        return object->timeText();
    return QString::asprintf("%s - (%08d-%08d)", qUtf8Printable(object->timeText()),
                             int(object->firstBlock()), int(object->lastBlock()));
}

} // namespace

QString treeLabel(const DVDAObject *object, BlockRange range)
{
    if (!object)
        return QString();
    switch (object->kind()) {
    case KindZone: {
        // A zone read from a disc image is named by the image and its volume.
        const auto *zone = static_cast<const DVDAZone *>(object);
        if (zone->source && zone->source->image)
            return QStringLiteral("%1 - %2").arg(QFileInfo(zone->source->origin).fileName(),
                                                 zone->source->volumeName);
        return QStringLiteral("AUDIO_TS.IFO");
    }
    case KindTitleset: {
        const auto *titleset = static_cast<const DVDATitleset *>(object);
        return QString::asprintf("ATS_%02d_0.IFO - %s", int(titleset->number),
                                 qUtf8Printable(titlesetKindWord(titleset)));
    }
    case KindTitle: {
        const auto *title = static_cast<const DVDATitle *>(object);
        const int tracks = int(title->tracks.size());
        return QString::asprintf("Title %02d[%01d] - %s - %d track%s", title->number(),
                                 title->tag(),
                                 qUtf8Printable(formatPtsTime(title->lengthPts)), tracks,
                                 tracks == 1 ? "" : "s");
    }
    case KindTrack: {
        const auto *track = static_cast<const DVDATrack *>(object);
        return QString::asprintf("Track %02d - ", int(track->number)) + timeAndBlocks(track, range);
    }
    case KindIndex: {
        const auto *index = static_cast<const DVDASectorPointer *>(object);
        return QString::asprintf("%02d - ", int(index->number)) + timeAndBlocks(index, range);
    }
    default:
        return QString();
    }
}

TreeFacts treeFacts(const DVDAObject *object)
{
    if (!object || (object->kind() != KindTrack && object->kind() != KindIndex))
        return {};
    const StreamInfo &info = static_cast<const AOBObject *>(object)->streamInfo;
    TreeFacts facts;
    if (info.subStreamId == SUBSTREAM_PCM)
        facts.format = QStringLiteral("PCM");
    else if (info.subStreamId == SUBSTREAM_MLP)
        facts.format = QStringLiteral("MLP");
    if (info.group1Channels <= 0)
        return facts;
    const bool two = info.group2Channels > 0;
    facts.channels = two ? QStringLiteral("%1 + %2").arg(info.group1Channels).arg(info.group2Channels)
                         : QString::number(info.group1Channels);
    // A group 2 whose rate the header leaves unsaid (0) runs at group 1's.
    const bool differ = two && info.group2SampleRate > 0
                        && (info.group2SampleRate != info.group1SampleRate || info.group2Bits != info.group1Bits);
    facts.rate = differ ? QStringLiteral("%1/%2 + %3/%4")
                              .arg(info.group1SampleRate / 1000.0).arg(info.group1Bits)
                              .arg(info.group2SampleRate / 1000.0).arg(info.group2Bits)
                        : QStringLiteral("%1 kHz / %2 bit").arg(info.group1SampleRate / 1000.0).arg(info.group1Bits);
    return facts;
}

QString missingBlocksText(const DVDAObject *object)
{
    if (!object || (object->kind() != KindTrack && object->kind() != KindIndex))
        return QString();
    const auto *audio = static_cast<const AOBObject *>(object);
    const DVDATitleset *titleset = object->titleset();
    if (!titleset || audio->lastBlock() < audio->firstBlock())
        return QString();
    const quint64 all = quint64(audio->lastBlock()) - audio->firstBlock() + 1;
    const quint64 missing = all - titleset->heldBlocksIn(audio->firstBlock(), audio->lastBlock());
    if (missing == 0)
        return QString();
    return tr("%1 of %2 blocks are not in the AOB files (one is missing or was cut short)").arg(missing).arg(all);
}

QString zoneName(const DVDAZone *zone)
{
    if (!zone)
        return QString();
    if (zone->source && zone->source->image && !zone->source->volumeName.isEmpty())
        return zone->source->volumeName;
    const QDir folder(zone->dir.absolutePath());
    if (folder.dirName().compare(QLatin1String("AUDIO_TS"), Qt::CaseInsensitive) != 0)
        return folder.dirName();
    QDir disc = folder;
    // A disc mounted at the root has no folder name above AUDIO_TS.
    return disc.cdUp() && !disc.isRoot() ? disc.dirName() : folder.dirName();
}
