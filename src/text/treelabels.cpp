#include "text/treelabels.h"

#include <QCoreApplication>
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
QString blockRange(const AOBObject *object)
{
    return QString::asprintf("%s - (%08d-%08d)", qUtf8Printable(object->timeText()),
                             int(object->firstBlock()), int(object->lastBlock()));
}

} // namespace

QString treeLabel(const DVDAObject *object)
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
        return QString::asprintf("Track %02d - ", int(track->number)) + blockRange(track);
    }
    case KindIndex: {
        const auto *index = static_cast<const DVDASectorPointer *>(object);
        return QString::asprintf("%02d - ", int(index->number)) + blockRange(index);
    }
    default:
        return QString();
    }
}
