// Requests from outside to end a demo: SIGINT (Ctrl+C), SIGTERM and SIGHUP (the
// terminal closed) on POSIX systems; Ctrl+C, Ctrl+Break and the console window
// closing on Windows. They only set a flag: the frame loop sees it and ends as
// on a close request, so the display mode, the cursor and the screen saver are
// given back by the usual shutdown. Later signals, a second Ctrl+C included,
// change nothing, so they cannot cut that shutdown short.
#pragma once

// Installs the handlers; before this call a signal ends the process the
// system's way.
void endSignalsWatch();

// The number of the first such signal (2 for Ctrl+C, 15 for SIGTERM, 1 for
// SIGHUP and for a closing console), 0 while none has come.
int endSignalNumber();

// What the program ends with: 128 + the signal's number once one came, as a
// shell reports a process the signal ended; otherwise status.
int endSignalExitStatus(int status);
