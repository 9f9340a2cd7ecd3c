// The tube checksum tool, kept out of main as the other capture tools are.
#include "tubesums.h"

#include "captureargs.h"
#include "captureoutput.h"
#include "tubeanimation.h"

#include <chrono>
#include <cstring>
#include <initializer_list>

const char* const kTubeSumsUsage =
    "usage: tube-checksums --frames N --checksums FILE\n"
    "  N: frames of the GL demo's tube to build, at least 1;\n"
    "  FILE: gets a line 'frame_NNNNNN XXXXXXXXXXXXXXXX' for every frame 1..N, the\n"
    "    64-bit FNV-1a of its vertices, normals and texture coordinates in hex;\n"
    "    a device or pipe (/dev/null, /dev/stdout) is written in place, a link followed\n";

namespace {

void appendBits(std::vector<uint32_t>& words, std::initializer_list<float> values)
{
    for (const float value : values) {
        uint32_t bits = 0;  // Emscripten's C++ library has no std::bit_cast
        std::memcpy(&bits, &value, sizeof bits);
        words.push_back(bits);
    }
}

}  // namespace

bool tubeSumsParseArgs(const std::vector<std::string>& args, TubeSumsOptions& options,
                       std::string& reason)
{
    options = TubeSumsOptions{};
    std::vector<CaptureArg> pairs;
    if (!captureSplitArgs(args, {"--frames", "--checksums"}, pairs, reason) ||
        !captureRequire(pairs, {"--frames", "--checksums"}, reason)) {
        return false;
    }
    for (const CaptureArg& arg : pairs) {
        if (arg.name == "--frames" && !captureParseFrameCount(arg, options.frames, reason)) {
            return false;
        }
        if (arg.name == "--checksums") {
            options.checksumsPath = arg.value;
        }
    }
    if (options.checksumsPath.empty()) {
        reason = "--checksums: empty file name";
        return false;
    }
    return true;
}

uint64_t tubeSumsChecksum(const TubeMesh& mesh)
{
    std::vector<uint32_t> words;
    words.reserve(3 * (mesh.vertices.size() + mesh.normals.size()) + 2 * mesh.texCoords.size());
    for (const Vec3& v : mesh.vertices) {
        appendBits(words, {v.x, v.y, v.z});
    }
    for (const Vec3& n : mesh.normals) {
        appendBits(words, {n.x, n.y, n.z});
    }
    for (const TexCoord& t : mesh.texCoords) {
        appendBits(words, {t.s, t.t});
    }
    return captureChecksum(words.data(), words.size());
}

namespace {

bool writeFrames(const TubeSumsOptions& options, CaptureFile& checksums, double& buildMs,
                 std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration building{};
    TubeAnimation tube;
    tubeAnimationStart(tube);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        tubeAnimationFrame(tube);
        building += Clock::now() - start;
        if (!captureFileWriteChecksum(checksums, frame, tubeSumsChecksum(tube.mesh), reason)) {
            return false;
        }
    }
    buildMs = std::chrono::duration<double, std::milli>(building).count();
    return true;
}

}  // namespace

bool tubeSumsRun(const TubeSumsOptions& options, double& buildMs, std::string& reason)
{
    CaptureFile checksums;
    if (!captureFileOpen(options.checksumsPath, checksums, reason)) {
        return false;
    }
    if (!writeFrames(options, checksums, buildMs, reason)) {
        captureFileAbandon(checksums);
        return false;
    }
    return captureFileCommit(checksums, reason);
}
