// Built against the zone layer alone, by the test that an upward include does not build:
// the text layer's header must not be found.
#include "text/treelabels.h"
