#pragma once
// Nodes hold no parent pointers: the titleset, title, track and index of a node are
// found by going down from the zone with its position fields.
class DVDAObject;
class DVDAZone;
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

// Follows the object's positions as far as they apply and are in range. False when a
// position that applies to the object's kind names no node.
bool resolveObjectPath(const DVDAZone *zone, const DVDAObject *object, ObjectPath *path);
