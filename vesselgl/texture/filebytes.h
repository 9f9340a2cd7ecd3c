// Whole-file reading for the GL demo's texture, the one place where the file
// system is the platform's. Only regular files are read, so nothing ever blocks
// on a FIFO, device or console, and bytes come back exactly as stored.
#pragma once

#include <cstdint>
#include <vector>

// false, with bytes empty, when path is null, missing, not a regular file,
// larger than maxBytes or cannot be read to its end.
bool fileReadRegular(const char* path, uint64_t maxBytes, std::vector<uint8_t>& bytes);
