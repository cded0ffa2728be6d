#include "extraction/wholetitles.h"

#include "zone/dvdazone.h"

QList<DVDAObject *> wholeTitles(const QList<DVDAObject *> &objects)
{
    QList<DVDAObject *> titles;
    const auto add = [&titles](DVDAObject *object) {
        if (!titles.contains(object))
            titles.append(object);
    };
    for (DVDAObject *object : objects) {
        if (object && object->kind() == KindTitleset) {
            for (DVDATitle *title : static_cast<DVDATitleset *>(object)->titles)
                add(title);
            continue;
        }
        DVDAObject *title = object ? object->ancestor(KindTitle) : nullptr;
        add(title ? title : object);
    }
    return titles;
}
