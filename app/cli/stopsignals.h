#pragma once
// SIGINT and SIGTERM as a stop request. The handler only sets a flag, which the
// extraction driver polls from its timer; a second signal after the request ends the
// program at once with the signal's default action.

// Installs the handlers for SIGINT and SIGTERM.
void installStopSignals();
// Whether a stop signal has arrived since installStopSignals.
bool stopSignalled();
