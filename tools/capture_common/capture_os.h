// The capture tools' few operating-system services, one source file per
// platform (capture_os.cpp for POSIX systems, capture_os_win.cpp for Windows).
// Failures return false with errno saying why.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Called first: past a file-size limit a write then fails with EFBIG and is
// reported, instead of a signal ending the tool with a partial file behind.
void captureOsPrepare();

// False when standard output is not an open file at all.
bool captureOsStdoutOpen();

// Proves that a file can be created in dir: makes one of a fresh name and
// removes it again.
bool captureOsProbeDir(const std::string& dir);

// Writes bytes, exactly, to the file partial and renames it to path, replacing
// a file already there. On failure partial may be left for the caller to remove.
bool captureOsWriteAndRename(const std::string& partial, const std::string& path,
                             const std::vector<uint8_t>& bytes);
