#pragma once
// The labels of the zone tree, computed as data so the window and the command line
// show the same text.
#include <QString>

class DVDAObject;

// The label of a zone, titleset, title, track or index as the tree shows it.
QString treeLabel(const DVDAObject *object);
