// The capture tool's logic, kept out of main so the tests can drive it. Options
// are strict: whole decimal numbers only, each option at most once.
#include "capture.h"

#include "capture_progress.h"
#include "scene.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <system_error>
#include <unistd.h>

const char* const kCaptureUsage =
    "usage: helixsoft-capture --start-spin S --frames N [--save LIST] [--out DIR]\n"
    "  S: start spin angle 0..359; N: frames to render, at least 1;\n"
    "  LIST: comma-separated frame numbers 1..N to save as DIR/frame_NNNNNN.png (default none);\n"
    "  DIR: output directory, created if missing (default .)\n";

namespace {

constexpr int32_t kLastSpin = 359;
constexpr int kRgbChannels = 3;
constexpr size_t kShownMax = 64;  // longer values are shown cut in the middle

bool parseInt(const std::string& text, int32_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc{} && end == last;
}

// A whole decimal number too large for the tool's 32-bit counts.
bool isTooLarge(const std::string& text)
{
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc::result_out_of_range && end == text.data() + text.size() &&
           text[0] != '-';
}

bool parseFrameList(const std::string& text, std::vector<int32_t>& frames, std::string& reason)
{
    size_t begin = 0;
    while (true) {
        const size_t comma = text.find(',', begin);
        const std::string item = text.substr(begin, comma == std::string::npos ? comma : comma - begin);
        int32_t frame = 0;
        if (!parseInt(item, frame)) {
            reason = "--save: " + captureShown(item) +
                     (isTooLarge(item) ? " is too large" : " is not a frame number");
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

std::string framesProblem(const std::string& value)
{
    if (isTooLarge(value)) {
        return " is too large: at most " + std::to_string(std::numeric_limits<int32_t>::max());
    }
    return " is not a whole number of at least 1";
}

bool applyOption(const std::string& name, const std::string& value, CaptureOptions& options,
                 std::string& reason)
{
    if (name == "--start-spin") {
        if (!parseInt(value, options.startSpin) || options.startSpin < 0 ||
            options.startSpin > kLastSpin) {
            reason = "--start-spin: " + captureShown(value) + " is not a whole number from 0 to 359";
            return false;
        }
    } else if (name == "--frames") {
        if (!parseInt(value, options.frames) || options.frames < 1) {
            reason = "--frames: " + captureShown(value) + framesProblem(value);
            return false;
        }
    } else if (name == "--save") {
        return parseFrameList(value, options.saveFrames, reason);
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

// True when every byte was written and the file closed without error; else
// false with errno saying why. The file is closed either way.
bool writeAndClose(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            const int writeError = wrote < 0 ? errno : ENOSPC;  // 0 bytes: no room left
            close(fd);
            errno = writeError;
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return close(fd) == 0;  // some file systems report a failed write only here
}

// Written under a temporary name and renamed, so a file with the final name
// is always complete; on any failure the temporary file is removed.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& reason)
{
    const std::string partial = path + ".partial";
    const int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || !writeAndClose(fd, bytes) || std::rename(partial.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(partial.c_str());
        reason = "cannot write " + captureShown(path) + ": " + std::strerror(error);
        return false;
    }
    return true;
}

} // namespace

std::string captureShown(const std::string& value)
{
    std::string shown = value;
    if (shown.size() > kShownMax) {
        // Cut at character starts, so a UTF-8 sequence is never split.
        size_t head = kShownMax / 2;
        while (head > 0 && (static_cast<unsigned char>(shown[head]) & 0xC0) == 0x80) {
            --head;
        }
        size_t tail = shown.size() - kShownMax / 2;
        while (tail < shown.size() && (static_cast<unsigned char>(shown[tail]) & 0xC0) == 0x80) {
            ++tail;
        }
        shown = shown.substr(0, head) + "..." + shown.substr(tail);
    }
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        c = byte < 0x20 || byte == 0x7F ? '?' : c;  // the message stays one line
    }
    return "'" + shown + "'";
}

bool captureWantsHelp(const std::vector<std::string>& args)
{
    // Every option takes a value, so names stand at even places.
    for (size_t i = 0; i < args.size(); i += 2) {
        if (args[i] == "--help") {
            return true;
        }
    }
    return false;
}

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
    if (fcntl(STDOUT_FILENO, F_GETFD) < 0) {
        reason = std::string("cannot write to standard output: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool captureParseArgs(const std::vector<std::string>& args, CaptureOptions& options,
                      std::string& reason)
{
    static const std::vector<std::string> kOptions = {"--start-spin", "--frames", "--save",
                                                      "--out"};
    options = CaptureOptions{};
    std::vector<std::string> seen;
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (std::find(kOptions.begin(), kOptions.end(), name) == kOptions.end()) {
            reason = "unknown option " + captureShown(name);
            return false;
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            reason = "option " + name + " given twice";  // a known name: short and plain
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
    if (!error && !std::filesystem::is_directory(dir, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error) {
        reason = "cannot create directory " + captureShown(dir) + ": " + error.message();
        return false;
    }
    std::string probe = dir + "/.helixsoft-capture-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        reason = "cannot write into directory " + captureShown(dir) + ": " + std::strerror(errno);
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
    std::vector<uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(context)->insert(
            static_cast<std::vector<uint8_t>*>(context)->end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, kFrameWidth, kFrameHeight, kRgbChannels, rgb.data(),
                               kFrameWidth * kRgbChannels) == 0) {
        reason = "cannot encode " + captureShown(path);
        return false;
    }
    return writeWholeFile(path, png, reason);
}

bool captureRun(const CaptureOptions& options, CaptureResult& result, std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, options.startSpin});
    Clock::duration pipeline{};
    auto nextSave = options.saveFrames.begin();
    ProgressMeter progress = progressStart(options.frames, stderr);
    for (int32_t frame = 1; frame <= options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        sceneRenderFrame(scene);
        pipeline += Clock::now() - start;
        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            const std::string path = options.outDir + "/" + captureFileName(frame);
            if (!captureWritePng(path, scene.pixels.data(), reason)) {
                progressFinish(progress);
                reason = "frame " + std::to_string(frame) + ": " + reason;
                return false;
            }
            ++nextSave;
        }
        progressFrameDone(progress, frame);
    }
    progressFinish(progress);
    result.pipelineMs = std::chrono::duration<double, std::milli>(pipeline).count();
    return true;
}

std::string captureSummary(int32_t frames, double pipelineMs)
{
    const double perSecond = pipelineMs > 0.0 ? frames * 1000.0 / pipelineMs : 0.0;
    char line[128];
    std::snprintf(line, sizeof line, "rendered %d frames in %.3f ms (%.1f frames/s)", frames,
                  pipelineMs, perSecond);
    return line;
}
