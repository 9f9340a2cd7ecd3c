// Whether a standard stream reaches a terminal, where the progress line
// belongs. One source file per platform: capture_terminal.cpp asks the C
// library (POSIX and Windows), capture_terminal_web.cpp asks Node.js, since
// Emscripten's own files take every standard stream for a terminal.
#pragma once

#include <cstdio>

bool captureStreamIsTerminal(std::FILE* stream);
