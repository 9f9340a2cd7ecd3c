// The capture tools' output files: written whole through an exclusive
// temporary file, or in place for a device or pipe; never anything the user
// did not name. Reasons are one line naming the path and the system's error.
#pragma once

#include "capture_os.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Creates dir if missing and proves that a file can be written there.
bool capturePrepareDir(const std::string& dir, std::string& reason);

// An output file being written. A missing name or a regular file gets a
// temporary file, created exclusively under an unpredictable name in its
// folder and renamed onto it once all of it is written and closed, so a file
// with the final name is always complete and a failed write leaves nothing
// behind. A device or pipe (/dev/null, NUL, a FIFO) is written in place, never
// replaced; a link is followed to what it points to, and one that points to
// nothing, or a socket, is refused. Reasons name the path and the system's error.
struct CaptureFile {
    CaptureOsFile os;
    std::string path;       // as the user gave it, for messages
    std::string target;     // the name renamed onto; empty when written in place
    std::string temporary;  // empty when written in place
};

bool captureFileOpen(const std::string& path, CaptureFile& file, std::string& reason);
bool captureFileWrite(CaptureFile& file, const void* data, size_t size, std::string& reason);
// Closes the file and renames it into place; on failure nothing is left.
bool captureFileCommit(CaptureFile& file, std::string& reason);
// Closes the file and removes the temporary one, after a failure elsewhere.
void captureFileAbandon(CaptureFile& file);

// Writes bytes to path whole, as a CaptureFile.
bool captureWriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& reason);

// True when the two names would be one file: after links, "." and "..", and
// letter case where the system ignores it.
bool captureSameFile(const std::string& a, const std::string& b);
