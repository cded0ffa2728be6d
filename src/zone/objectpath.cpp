#include "zone/objectpath.h"

#include "zone/dvdazone.h"

ObjectPath objectPath(const DVDAObject *object)
{
    ObjectPath path;
    if (!object)
        return path;
    path.titleset = object->titleset();
    path.title = static_cast<DVDATitle *>(object->ancestor(KindTitle));
    path.track = static_cast<DVDATrack *>(object->ancestor(KindTrack));
    path.index = static_cast<DVDASectorPointer *>(object->ancestor(KindIndex));
    return path;
}
