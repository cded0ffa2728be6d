#pragma once
// How the command line names an object, which the window copies for it.
#include <QString>

class DVDAObject;

// The selector that names this object ("" for the zone): "1/1/3", "1/1/3/5", with the
// title's tag only where another title of the same titleset has the same number ("1/2[1]").
[[nodiscard]] QString selectorOf(const DVDAObject *object);

// "Track 03 (1/1/3)", "Index 05 (1/1/3/5)", "Title 01[1] (1/1[1])": the tree's words for
// an object, with the selector a script takes.
[[nodiscard]] QString objectWindowName(const DVDAObject *object);

// "track 1/1/3", "index 1/1/3/5": how progress, messages and the rip log name an object.
[[nodiscard]] QString objectDisplayName(const DVDAObject *object);
