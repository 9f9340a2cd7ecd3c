// What the runtime under the tools says about their streams. One source file
// per platform: capture_streams.cpp (POSIX), capture_streams_win.cpp (Windows,
// the terminal check alone: its files are capture_os_win.cpp's handles) and
// capture_streams_web.cpp (Node.js, whose files Emscripten wraps: it takes
// every standard stream for a terminal, with no file behind it that it could
// duplicate, and every file it opens for one that can seek).
#pragma once

#include <sys/stat.h>

#include <cstdio>

// Whether the stream reaches a terminal, where the progress line belongs.
bool captureStreamIsTerminal(std::FILE* stream);

// Called on a descriptor opened in place on a device or a pipe: its writes go
// wherever the stream stands, never to an offset, which a pipe refuses.
void captureStreamOpenedInPlace(int descriptor);

// Whether the descriptor writes into the file info describes (the same device
// and inode): the tools' own standard output named by a path, for one.
bool captureStreamIsFile(int descriptor, const struct stat& info);

// A second descriptor writing where this one does, closed on its own without
// closing the first (-1 with errno set when none can be had).
int captureStreamDuplicate(int descriptor);
