// The GL demo's tube frame by frame as checksum lines, so that every
// platform's build of the mesh can be compared with the others to the bit:
// options, the checksum of one frame's mesh and the run.
#pragma once

#include "tube.h"

#include <cstdint>
#include <string>
#include <vector>

struct TubeSumsOptions {
    int32_t frames = 0;  // >= 1
    std::string checksumsPath;
};

extern const char* const kTubeSumsUsage;

// args excludes the program name. On failure returns false with a reason.
bool tubeSumsParseArgs(const std::vector<std::string>& args, TubeSumsOptions& options,
                       std::string& reason);

// captureChecksum of the bits of every float of vertices, normals and
// texCoords, in that order.
uint64_t tubeSumsChecksum(const TubeMesh& mesh);

// The demo's start-up build, then frames 1..frames as the demo steps them;
// their lines go to the checksums file as they are made (a file appears under
// its name only once all of it is written, as capturefile.h says). buildMs
// is the time the builds took.
bool tubeSumsRun(const TubeSumsOptions& options, double& buildMs, std::string& reason);
