#pragma once
// The labels of the zone tree, computed as data so the window and the command line
// show the same text.
#include <QString>

class DVDAObject;
class DVDATitleset;

// The label of a zone, titleset, title, track or index as the tree shows it.
QString treeLabel(const DVDAObject *object);
// Whether the tree lists a titleset at all (audio and video do, unknown kind does not).
bool listedInTree(const DVDATitleset *titleset);
