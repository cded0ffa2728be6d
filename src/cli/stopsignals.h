#pragma once
// SIGINT, SIGTERM and SIGHUP as a stop request. The handler only sets a flag and writes a byte
// into a pipe, whose read end the extraction driver watches, so a stop is seen at once;
// no Qt call is made inside the handler. A second signal after the request ends the
// program at once with the signal's default action.

// Installs the handlers for SIGINT, SIGTERM and SIGHUP (and makes a broken standard output a
// write error rather than the end of the program). Returns the read end of the pipe, or -1
// when no pipe could be made (then only the flag tells).
[[nodiscard]] int installStopSignals();
// Whether a stop signal has arrived since installStopSignals.
[[nodiscard]] bool stopSignalled();
// Empties the pipe after its read end became readable.
void drainStopSignals(int readEnd);
