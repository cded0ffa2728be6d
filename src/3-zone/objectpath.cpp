#include "3-zone/objectpath.h"

#include "3-zone/dvdazone.h"

namespace {
template <typename T>
T *at(const std::vector<T *> &list, int position)
{
    if (position < 0 || size_t(position) >= list.size())
        return nullptr;
    return list[size_t(position)];
}
} // namespace

bool resolveObjectPath(const DVDAZone *zone, const DVDAObject *object, ObjectPath *path)
{
    *path = ObjectPath();
    if (!zone || !object)
        return false;
    const int kind = object->kind();
    if (kind == KindZone)
        return true;
    path->titleset = at(zone->titlesets, object->titlesetPos);
    if (!path->titleset)
        return false;
    if (kind == KindTitleset)
        return true;
    path->title = at(path->titleset->titles, object->titlePos);
    if (!path->title)
        return false;
    if (kind == KindTitle)
        return true;
    path->track = at(path->title->tracks, object->trackPos);
    if (!path->track)
        return false;
    if (kind == KindTrack)
        return true;
    path->index = at(path->track->indexes, object->indexPos);
    return path->index != nullptr;
}
