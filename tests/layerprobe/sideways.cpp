// Built against the command line's layer alone: the window's header must not be found.
#include "window/mainwindow.h"
