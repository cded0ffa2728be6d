#include "job/jobtagging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "extraction/discmetadata.h"
#include "output/coverimage.h"
#include "zone/dvdazone.h"

bool loadTagging(ExtractOptions *options, const DVDAZone *zone, QString metadataPath, QString coverPath, QString *error)
{
    if (metadataPath.isEmpty() && zone && QFileInfo::exists(storedMetadataPath(zone->discId)))
        metadataPath = storedMetadataPath(zone->discId);
    if (!metadataPath.isEmpty()) {
        auto metadata = std::make_shared<DiscMetadata>();
        if (!readDiscMetadata(metadataPath, metadata.get(), error))
            return false;
        if (coverPath.isEmpty())
            coverPath = coverPathOf(*metadata);
        options->metadata = metadata;
    }
    if (!coverPath.isEmpty()) {
        auto cover = std::make_shared<CoverImage>();
        QString reason;
        if (!readCoverImage(coverPath, cover.get(), &reason)) {
            *error = QCoreApplication::translate("JobTagging", "the cover %1").arg(reason);
            return false;
        }
        options->cover = cover;
    }
    return true;
}
