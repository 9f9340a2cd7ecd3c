// cmake --install of this build into a fresh prefix: every file in its place
// (the package is made from the same install), the icons at their sizes, and
// the installation still working once moved as a whole, the texture found
// relative to the programs.
#include "process.h"
#include "version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRunTimeoutMs = 120000;

const std::vector<std::string> kProgramFiles = {
    "bin/helixsoft", "bin/helixsoft-capture", "bin/vesselgl", "bin/vesselgl-capture"};

std::vector<std::string> expectedFiles()
{
    std::vector<std::string> files = kProgramFiles;
    for (const char* demo : {"helixsoft", "vesselgl"}) {
        files.push_back(std::string("share/applications/") + demo + ".desktop");
        for (const char* size : {"48x48", "128x128", "256x256"}) {
            files.push_back(std::string("share/icons/hicolor/") + size + "/apps/" + demo + ".png");
        }
        files.push_back(std::string("share/doc/tubedemos/docs/") + demo + ".png");
    }
    for (const char* page : {"helixsoft", "helixsoft-capture", "vesselgl", "vesselgl-capture"}) {
        files.push_back(std::string("share/man/man1/") + page + ".1.gz");
    }
    for (const char* doc : {"LICENSE", "README.md", "changelog.gz", "copyright"}) {
        files.push_back(std::string("share/doc/tubedemos/") + doc);
    }
    files.push_back("share/metainfo/" TUBE_APPSTREAM_ID ".metainfo.xml");
    files.push_back("share/tubedemos/artery.tga");
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> filesUnder(const fs::path& prefix)
{
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(prefix)) {
        if (!entry.is_directory()) {
            files.push_back(entry.path().lexically_relative(prefix).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A PNG's width and height, from its IHDR chunk (big-endian at bytes 16 and 20).
std::pair<uint32_t, uint32_t> pngSize(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const auto word = [&](int at) {
        return uint32_t(header[at]) << 24 | uint32_t(header[at + 1]) << 16 |
               uint32_t(header[at + 2]) << 8 | header[at + 3];
    };
    return {word(16), word(20)};
}

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun runTool(const std::vector<std::string>& argv, const std::string& workDir)
{
    ChildProcess child;
    ChildOptions options;
    options.workDir = workDir;
    ToolRun result;
    if (childStart(child, argv, options) && childWait(child, kRunTimeoutMs, result.status)) {
        result.out = child.out;
    }
    childKill(child);
    return result;
}

TEST(Install, LaysEveryFileInPlaceUnderAnyPrefixAndWorksMovedAsAWhole)
{
    const fs::path root =
        fs::temp_directory_path() / ("tube_install_" + std::to_string(std::random_device{}()));
    const fs::path prefix = root / "first";
    fs::create_directories(root / "work");
    ASSERT_EQ(runTool({CMAKE_COMMAND, "--install", TUBE_BUILD_DIR, "--prefix", prefix.string()},
                  root.string())
                  .status,
              0);
    EXPECT_EQ(filesUnder(prefix), expectedFiles());
    for (const char* size : {"48", "128", "256"}) {
        const uint32_t side = uint32_t(std::stoul(size));
        const std::string dir = std::string(size) + "x" + size;
        for (const char* demo : {"helixsoft", "vesselgl"}) {
            EXPECT_EQ(pngSize(prefix / "share/icons/hicolor" / dir / "apps" / (std::string(demo) + ".png")),
                      std::make_pair(side, side))
                << demo << " " << size;
        }
    }

    const fs::path moved = root / "moved";
    fs::rename(prefix, moved);
    const ToolRun frame = runTool({(moved / "bin/vesselgl-capture").string(), "--frames", "1", "--out", "out"},
                          (root / "work").string());
    EXPECT_EQ(frame.status, 0) << frame.out;
    EXPECT_TRUE(fs::is_regular_file(root / "work" / "out" / "frame_000001.png"));
    const ToolRun version = runTool({(moved / "bin/helixsoft-capture").string(), "--version"}, "/");
    EXPECT_EQ(version.out, std::string("helixsoft-capture ") + kTubeVersion + "\n");
    fs::remove_all(root);
}

}  // namespace
