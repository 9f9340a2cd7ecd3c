// The console side of the GL demo's start-up failure: a bounded wait that a
// key press cuts short. A terminal is switched to single-key input for the wait
// and restored afterwards; any other input ends the wait on data or end of input.
#pragma once

// Waits up to timeoutMs for input on fd. On a terminal one key, without Enter,
// ends the wait and is consumed; a terminal this process does not own in the
// foreground is left alone and the wait runs its full length, as it does when
// fd is not open. Returns true when input or end of input ended the wait early.
bool consoleWaitKey(int fd, int timeoutMs);
