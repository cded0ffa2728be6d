#pragma once
// The titleset, title, track and index a node belongs to, found by going up from it.
class DVDAObject;
class DVDATitleset;
class DVDATitle;
class DVDATrack;
class DVDASectorPointer;

struct ObjectPath {
    DVDATitleset *titleset = nullptr;
    DVDATitle *title = nullptr;
    DVDATrack *track = nullptr;
    DVDASectorPointer *index = nullptr;
};

// The node and the nodes above it; null at the levels below the node's own (and all
// null for the zone or no node).
[[nodiscard]] ObjectPath objectPath(const DVDAObject *object);
