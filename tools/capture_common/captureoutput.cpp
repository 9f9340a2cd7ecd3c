// PNG files and the summary line of the capture tools.
#include "captureoutput.h"

#include <stb_image_write.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr int kRgbChannels = 3;

}  // namespace

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
    std::string probe = dir + "/.capture-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        reason = "cannot write into directory '" + dir + "': " + std::strerror(errno);
        return false;
    }
    close(fd);
    std::remove(probe.c_str());
    return true;
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
    const std::string partial = path + ".partial";
    if (stbi_write_png(partial.c_str(), width, height, kRgbChannels, rgb.data(),
                       width * kRgbChannels) == 0 ||
        std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        reason = "cannot write '" + path + "'";
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
