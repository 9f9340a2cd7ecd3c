// The capture tool's logic, kept out of main so the tests can drive it. Options
// are strict: whole decimal numbers only, each option at most once.
#include "capture.h"

#include "scene.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

const char* const kCaptureUsage =
    "usage: helixsoft-capture --start-spin S --frames N [--save LIST] [--out DIR]"
    " [--checksums FILE]\n"
    "  S: start spin angle 0..359; N: frames to render, at least 1;\n"
    "  LIST: comma-separated frame numbers 1..N to save as DIR/frame_NNNNNN.png (default none);\n"
    "  DIR: output directory, created if missing (default .);\n"
    "  FILE: write a line 'frame_NNNNNN XXXXXXXXXXXXXXXX' for every frame 1..N, the\n"
    "    64-bit FNV-1a of its pixel words as little-endian bytes in hex (default none)\n";

namespace {

constexpr int32_t kLastSpin = 359;
constexpr int kRgbChannels = 3;
constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325u;
constexpr uint64_t kFnvPrime = 0x100000001b3u;
// Hashing a zero byte only multiplies by the prime, so a zero word (the black
// background) is one multiplication by the prime's fourth power, modulo 2^64.
constexpr uint64_t kFnvPrimeToTheFourth = kFnvPrime * kFnvPrime * kFnvPrime * kFnvPrime;

bool parseInt(const std::string& text, int32_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc{} && end == last;
}

bool parseFrameList(const std::string& text, std::vector<int32_t>& frames, std::string& reason)
{
    size_t begin = 0;
    while (true) {
        const size_t comma = text.find(',', begin);
        const std::string item = text.substr(begin, comma == std::string::npos ? comma : comma - begin);
        int32_t frame = 0;
        if (!parseInt(item, frame)) {
            reason = "--save: '" + item + "' is not a frame number";
            return false;
        }
        frames.push_back(frame);
        if (comma == std::string::npos) {
            break;
        }
        begin = comma + 1;
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return true;
}

bool applyOption(const std::string& name, const std::string& value, CaptureOptions& options,
                 std::string& reason)
{
    if (name == "--start-spin") {
        if (!parseInt(value, options.startSpin) || options.startSpin < 0 ||
            options.startSpin > kLastSpin) {
            reason = "--start-spin: '" + value + "' is not a whole number from 0 to 359";
            return false;
        }
    } else if (name == "--frames") {
        if (!parseInt(value, options.frames) || options.frames < 1) {
            reason = "--frames: '" + value + "' is not a whole number of at least 1";
            return false;
        }
    } else if (name == "--save") {
        return parseFrameList(value, options.saveFrames, reason);
    } else if (name == "--checksums") {
        if (value.empty()) {
            reason = "--checksums: empty file name";
            return false;
        }
        options.checksumsPath = value;
    } else {
        if (value.empty()) {
            reason = "--out: empty directory name";
            return false;
        }
        options.outDir = value;
    }
    return true;
}

bool checkComplete(const std::vector<std::string>& seen, const CaptureOptions& options,
                   std::string& reason)
{
    for (const char* required : {"--start-spin", "--frames"}) {
        if (std::find(seen.begin(), seen.end(), required) == seen.end()) {
            reason = std::string("missing option ") + required;
            return false;
        }
    }
    for (const int32_t frame : options.saveFrames) {
        if (frame < 1 || frame > options.frames) {
            reason = "--save: frame " + std::to_string(frame) + " is outside 1.." +
                     std::to_string(options.frames);
            return false;
        }
    }
    return true;
}

// The checksum lines of a run, written under a temporary name and renamed into
// place by checksumFileClose, so a file with the final name is always complete.
struct ChecksumFile {
    std::FILE* file;  // null when no checksums were asked for
    std::string path;
};

bool checksumFileOpen(const std::string& path, ChecksumFile& checksums, std::string& reason)
{
    checksums = ChecksumFile{nullptr, path};
    if (path.empty()) {
        return true;
    }
    // Binary: the lines end in a bare line feed on every platform, Windows too.
    checksums.file = std::fopen((path + ".partial").c_str(), "wb");
    if (checksums.file == nullptr) {
        reason = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

void checksumFileDiscard(ChecksumFile& checksums)
{
    if (checksums.file != nullptr) {
        std::fclose(checksums.file);
        std::remove((checksums.path + ".partial").c_str());
        checksums.file = nullptr;
    }
}

bool checksumFileAdd(ChecksumFile& checksums, int32_t frame, const uint32_t* pixels,
                     std::string& reason)
{
    if (checksums.file == nullptr) {
        return true;
    }
    const std::string line = captureChecksumLine(frame, captureChecksum(pixels)) + "\n";
    if (std::fputs(line.c_str(), checksums.file) < 0) {
        checksumFileDiscard(checksums);
        reason = "cannot write '" + checksums.path + "'";
        return false;
    }
    return true;
}

bool checksumFileClose(ChecksumFile& checksums, std::string& reason)
{
    if (checksums.file == nullptr) {
        return true;
    }
    const std::string partial = checksums.path + ".partial";
    const bool written = std::fclose(checksums.file) == 0;
    checksums.file = nullptr;
    if (!written || std::rename(partial.c_str(), checksums.path.c_str()) != 0) {
        std::remove(partial.c_str());
        reason = "cannot write '" + checksums.path + "'";
        return false;
    }
    return true;
}

} // namespace

bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason)
{
    static const std::vector<std::string> kOptions = {"--start-spin", "--frames", "--save",
                                                      "--out", "--checksums"};
    options = CaptureOptions{};
    std::vector<std::string> seen;
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (std::find(kOptions.begin(), kOptions.end(), name) == kOptions.end()) {
            reason = "unknown option '" + name + "'";
            return false;
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            reason = "option " + name + " given twice";
            return false;
        }
        if (i + 1 >= args.size()) {
            reason = "option " + name + " needs a value";
            return false;
        }
        seen.push_back(name);
        if (!applyOption(name, args[i + 1], options, reason)) {
            return false;
        }
    }
    return checkComplete(seen, options, reason);
}

std::string captureFileName(int32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return name;
}

bool capturePrepareDir(const std::string& dir, std::string& reason)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir, error)) {
        reason = "cannot create directory '" + dir + "'";
        return false;
    }
    std::string probe = dir + "/.helixsoft-capture-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        reason = "cannot write into directory '" + dir + "': " + std::strerror(errno);
        return false;
    }
    close(fd);
    std::remove(probe.c_str());
    return true;
}

bool captureWritePng(const std::string& path, const uint32_t* pixels, std::string& reason)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(kFramePixels) * kRgbChannels);
    for (int32_t i = 0; i < kFramePixels; ++i) {
        rgb[i * kRgbChannels + 0] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[i * kRgbChannels + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[i * kRgbChannels + 2] = static_cast<unsigned char>(pixels[i]);
    }
    // Written under a temporary name and renamed, so a file with the final
    // name is always complete.
    const std::string partial = path + ".partial";
    if (stbi_write_png(partial.c_str(), kFrameWidth, kFrameHeight, kRgbChannels, rgb.data(),
                       kFrameWidth * kRgbChannels) == 0 ||
        std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        reason = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

uint64_t captureChecksum(const uint32_t* pixels)
{
    uint64_t hash = kFnvOffsetBasis;
    for (int32_t i = 0; i < kFramePixels; ++i) {
        if (pixels[i] == 0) {
            hash *= kFnvPrimeToTheFourth;
            continue;
        }
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((pixels[i] >> shift) & 0xFFu)) * kFnvPrime;
        }
    }
    return hash;
}

std::string captureChecksumLine(int32_t frame, uint64_t checksum)
{
    char line[48];
    std::snprintf(line, sizeof line, "frame_%06d %016" PRIx64, frame, checksum);
    return line;
}

bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    ChecksumFile checksums{};
    if (!checksumFileOpen(options.checksumsPath, checksums, reason)) {
        return false;
    }
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    Clock::duration pipeline{};
    auto nextSave = options.saveFrames.begin();
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        sceneRenderFrame(scene);
        pipeline += Clock::now() - start;
        if (!checksumFileAdd(checksums, frame, scene.pixels.data(), reason)) {
            return false;
        }
        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            const std::string path = options.outDir + "/" + captureFileName(frame);
            if (!captureWritePng(path, scene.pixels.data(), reason)) {
                checksumFileDiscard(checksums);
                return false;
            }
            ++nextSave;
        }
    }
    result.pipelineMs = std::chrono::duration<double, std::milli>(pipeline).count();
    return checksumFileClose(checksums, reason);
}

std::string captureSummary(int32_t frames, double pipelineMs)
{
    const double perSecond = pipelineMs > 0.0 ? frames * 1000.0 / pipelineMs : 0.0;
    char line[128];
    std::snprintf(line, sizeof line, "rendered %d frames in %.3f ms (%.1f frames/s)", frames,
                  pipelineMs, perSecond);
    return line;
}
