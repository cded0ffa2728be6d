#include "zone/zonewalk.h"

#include "zone/dvdazone.h"

bool ZoneNode::within(const DVDAObject *ancestor) const
{
    if (!ancestor)
        return false;
    switch (ancestor->kind()) {
    case KindZone: return true;
    case KindTitleset: return path.titleset == ancestor;
    case KindTitle: return path.title == ancestor;
    case KindTrack: return path.track == ancestor;
    default: return object == ancestor;
    }
}

void walkZone(DVDAZone *zone, const std::function<void(const ZoneNode &)> &visit, bool allNodes)
{
    if (!zone || (zone->titlesets.empty() && !allNodes))
        return;
    ZoneNode node;
    // Visits one node when it is listed or all nodes are wanted; false when neither.
    const auto at = [&](DVDAObject *object, int depth, bool listed) {
        if (!listed && !allNodes)
            return false;
        node.object = object;
        node.depth = depth;
        node.listed = listed;
        visit(node);
        return true;
    };
    at(zone, 0, true);
    for (DVDATitleset *titleset : zone->titlesets) {
        node.path = ObjectPath{titleset, nullptr, nullptr, nullptr};
        const bool listed = titleset->listed();
        if (!at(titleset, 1, listed))
            continue;
        const bool childrenListed = listed && titleset->contentKind == TitlesetAudio;
        for (DVDATitle *title : titleset->titles) {
            node.path = ObjectPath{titleset, title, nullptr, nullptr};
            if (!at(title, 2, childrenListed))
                continue;
            for (DVDATrack *track : title->tracks) {
                node.path = ObjectPath{titleset, title, track, nullptr};
                if (!at(track, 3, childrenListed))
                    continue;
                for (DVDASectorPointer *index : track->indexes) {
                    node.path.index = index;
                    at(index, 4, childrenListed);
                }
            }
        }
    }
}
