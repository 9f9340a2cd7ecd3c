// Checksum lines, PNG files, standard output and the summary line of the
// capture tools, and the start and end that all three share.
#include "captureoutput.h"

#include "capture_os.h"
#include "captureargs.h"
#include "version.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRgbChannels = 3;
constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325u;
constexpr uint64_t kFnvPrime = 0x100000001b3u;
// Hashing a zero byte only multiplies by the prime, so a zero word (a black
// pixel, a coordinate of 0.0f) is one multiplication by the prime's fourth
// power, modulo 2^64.
constexpr uint64_t kFnvPrimeToTheFourth = kFnvPrime * kFnvPrime * kFnvPrime * kFnvPrime;

}  // namespace

uint64_t captureChecksum(const uint32_t* words, size_t count)
{
    uint64_t hash = kFnvOffsetBasis;
    for (size_t i = 0; i < count; ++i) {
        if (words[i] == 0) {
            hash *= kFnvPrimeToTheFourth;
            continue;
        }
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((words[i] >> shift) & 0xFFu)) * kFnvPrime;
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

bool captureFileWriteChecksum(CaptureFile& file, int32_t frame, uint64_t checksum,
                              std::string& reason)
{
    const std::string line = captureChecksumLine(frame, checksum) + "\n";
    return captureFileWrite(file, line.data(), line.size(), reason);
}

std::string captureFileName(int32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return name;
}

bool captureWritePng(const std::string& path, const uint32_t* pixels, int width, int height,
                     std::string& reason)
{
    const size_t count = size_t(width) * size_t(height);
    std::vector<unsigned char> rgb(count * kRgbChannels);
    for (size_t i = 0; i < count; ++i) {
        rgb[i * kRgbChannels + 0] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[i * kRgbChannels + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[i * kRgbChannels + 2] = static_cast<unsigned char>(pixels[i]);
    }
    std::vector<uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        auto* out = static_cast<std::vector<uint8_t>*>(context);
        out->insert(out->end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, width, height, kRgbChannels, rgb.data(),
                               width * kRgbChannels) == 0) {
        reason = "cannot encode " + captureShown(path);
        return false;
    }
    return captureWriteFile(path, png, reason);
}

namespace {

bool capturePrint(std::FILE* stream, const std::string& text, std::string& reason)
{
    errno = 0;
    const bool written = std::fputs(text.c_str(), stream) >= 0;
    if (std::fflush(stream) != 0 || !written || std::ferror(stream) != 0) {
        reason = std::string("cannot write to standard output: ") +
                 (errno != 0 ? std::strerror(errno) : "write error");
        return false;
    }
    return true;
}

bool captureStdoutOpen(std::string& reason)
{
    if (!captureOsStdoutOpen()) {
        reason = std::string("cannot write to standard output: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::string captureSummary(int32_t frames, double renderMs)
{
    const double perSecond = renderMs > 0.0 ? frames * 1000.0 / renderMs : 0.0;
    char line[128];
    std::snprintf(line, sizeof line, "rendered %d frames in %.3f ms (%.1f frames/s)", frames,
                  renderMs, perSecond);
    return line;
}

// "TOOL: REASON" on standard error, followed by usage unless it is nullptr;
// the status is kCaptureExitBadArguments with the usage, else kCaptureExitFailed.
int captureFailed(const char* tool, const std::string& reason, const char* usage)
{
    std::fprintf(stderr, "%s: %s\n%s", tool, reason.c_str(), usage != nullptr ? usage : "");
    return usage != nullptr ? kCaptureExitBadArguments : kCaptureExitFailed;
}

// False when the tool is to end at once with status: standard output is
// closed, or --help was asked for.
bool captureStart(const char* tool, const char* usage, const std::vector<std::string>& args,
                  int& status)
{
    captureOsPrepare();
    std::string reason;
    if (!captureStdoutOpen(reason)) {
        status = captureFailed(tool, reason, nullptr);
        return false;
    }
    if (captureWantsHelp(args)) {
        status = capturePrint(stdout, usage, reason) ? 0 : captureFailed(tool, reason, nullptr);
        return false;
    }
    if (captureWantsVersion(args)) {
        const std::string line = std::string(tool) + " " + kTubeVersion + "\n";
        status = capturePrint(stdout, line, reason) ? 0 : captureFailed(tool, reason, nullptr);
        return false;
    }
    return true;
}

}  // namespace

int captureMain(int argc, char** argv, const char* tool, const char* usage,
                CaptureRunFunction run)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    if (!captureStart(tool, usage, args, status)) {
        return status;
    }
    CaptureSummary summary;
    std::string reason;
    switch (run(args, summary, reason)) {
    case CaptureStatus::badInput:
        return captureFailed(tool, reason, usage);
    case CaptureStatus::failed:
        return captureFailed(tool, reason, nullptr);
    case CaptureStatus::done:
        break;
    }
    return capturePrint(stdout, captureSummary(summary.frames, summary.renderMs) + "\n", reason)
               ? 0
               : captureFailed(tool, reason, nullptr);
}
