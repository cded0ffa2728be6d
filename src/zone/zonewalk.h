#pragma once
// The one walk over the zone as its tree lists it: the window's tree, the command line's
// printers and its selectors all go through here, so they show the same nodes.
#include <functional>

#include "zone/objectpath.h"

class DVDAObject;
class DVDAZone;

struct ZoneNode {
    DVDAObject *object = nullptr;
    int depth = 0;    // 0 zone, 1 titleset, 2 title, 3 track, 4 index
    ObjectPath path;  // the node and its parents; null below the node's depth
    bool listed = false;

    // Whether the node is that object or lies below it.
    [[nodiscard]] bool within(const DVDAObject *ancestor) const;
};

// The zone and its nodes, parents before children, in tree order. With allNodes false
// only what the tree lists is visited (nothing for a zone without titlesets), else also
// the rest, with listed false.
void walkZone(DVDAZone *zone, const std::function<void(const ZoneNode &)> &visit,
              bool allNodes = false);
