#include "app/cli/textcliformatter.h"

#include <QString>

#include "zone/dvdazone.h"
#include "zone/objectproperties.h"
#include "zone/treelabels.h"

namespace {
void addLine(QString &text, int depth, const DVDAObject *object)
{
    text += QString(depth * 2, QLatin1Char(' ')) + treeLabel(object) + QLatin1Char('\n');
}
} // namespace

// The same items as the window's tree: nothing for a zone without titlesets, titlesets of
// unknown kind left out, a video titleset without children.
QByteArray TextCliFormatter::zoneTree(DVDAZone *zone)
{
    QString text;
    if (zone->titlesets.empty())
        return QByteArray();
    addLine(text, 0, zone);
    for (const DVDATitleset *titleset : zone->titlesets) {
        if (!listedInTree(titleset))
            continue;
        addLine(text, 1, titleset);
        if (titleset->contentKind != TitlesetAudio)
            continue;
        for (const DVDATitle *title : titleset->titles) {
            addLine(text, 2, title);
            for (const DVDATrack *track : title->tracks) {
                addLine(text, 3, track);
                for (const DVDASectorPointer *index : track->indexes)
                    addLine(text, 4, index);
            }
        }
    }
    return text.toUtf8();
}

QByteArray TextCliFormatter::propertyRows(DVDAZone *zone, DVDAObject *object)
{
    QString text;
    for (const PropertyRow &row : objectProperties(zone, object))
        text += row.label + QLatin1String(": ") + row.value + QLatin1Char('\n');
    return text.toUtf8();
}
