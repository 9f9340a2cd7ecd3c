// The installed package as a user meets it: each demo started with its menu
// entry's command, from /, as the unprivileged user nobody with a login's
// fresh environment, and in a private mount namespace where the source and
// build folders are covered by empty ones, so nothing of the build can help.
// Skipped unless $TUBE_PACKAGE_TESTS names the installation's prefix, as
// scripts/test-package.sh does once it has installed the package.
#include "conventions.h"
#include "glscreen.h"
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWindowTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 20000;
constexpr const char* kPrefixVariable = "TUBE_PACKAGE_TESTS";

std::string installedPrefix()
{
    const char* prefix = std::getenv(kPrefixVariable);
    return prefix == nullptr ? std::string() : std::string(prefix);
}

// The command of a menu entry's Exec line, split at spaces (the entries
// have no quoting and no field codes); empty when there is none.
std::vector<std::string> menuCommand(const std::string& demo)
{
    std::ifstream entry(installedPrefix() + "/share/applications/" + demo + ".desktop");
    std::string line;
    while (std::getline(entry, line) && line.rfind("Exec=", 0) != 0) {
    }
    std::istringstream words(line.rfind("Exec=", 0) == 0 ? line.substr(5) : "");
    std::vector<std::string> command;
    for (std::string word; words >> word;) {
        command.push_back(word);
    }
    return command;
}

// unshare, then sh covers the build folder and the sources with empty tmpfs
// (the build folder first: inside the sources, it would be gone after them)
// and hands over to setpriv, which becomes nobody with a fresh login
// environment (PATH, HOME, SHELL), to which env adds the display.
std::vector<std::string> asAUserFromRoot(const std::vector<std::string>& command,
                                         const std::string& display)
{
    std::vector<std::string> argv = {
        "/usr/bin/unshare", "--mount", "--propagation", "private", "--", "/bin/sh", "-c",
        "mount -t tmpfs -o size=64k hidden \"$1\" && mount -t tmpfs -o size=64k hidden \"$2\" && "
        "shift 2 && exec setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env -- \"$@\"",
        "sh", TUBE_BUILD_DIR, TUBE_SOURCE_DIR, "/usr/bin/env", "DISPLAY=" + display};
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

class InstalledPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (installedPrefix().empty()) {
            GTEST_SKIP() << kPrefixVariable << " is not set (scripts/test-package.sh sets it)";
        }
    }
};

// One demo started from its menu entry in its own X server.
struct MenuRun {
    XServerProcess server;
    ChildProcess child;

    ~MenuRun()
    {
        childKill(child);
        xvfbStop(server);
    }
};

// Starts demo from its menu entry in /, waits for the tube, lets check judge
// the screen, then ends it with key: status 0 and not a word.
template <typename Check>
void useFromMenu(const std::string& demo, const char* key, Check check)
{
    const std::vector<std::string> command = menuCommand(demo);
    EXPECT_EQ(command, std::vector<std::string>{demo});
    MenuRun run;
    ChildOptions options;
    options.workDir = "/";
    ASSERT_TRUE(!command.empty() && xvfbStart(run.server, kScreenWidth, kScreenHeight, 24) &&
                childStart(run.child, asAUserFromRoot(command, run.server.display), options));
    Screenshot shot;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs, shot))
        << readFile(run.child.outPath) << readFile(run.child.errPath);
    check(shot);
    ASSERT_TRUE(xSendKey(run.server.display, key));
    int status = -1;
    ASSERT_TRUE(childWait(run.child, kExitTimeoutMs, status)) << "the demo did not end";
    EXPECT_EQ(status, 0) << run.child.err;
    EXPECT_EQ(run.child.out, "");
}

TEST_F(InstalledPackage, VesselglFromTheMenuShowsTheTexturedTubeAndEndsOnEscape)
{
    ASSERT_FALSE(fs::exists("/artery.tga")) << "the texture must come from the data folder";
    useFromMenu("vesselgl", "Escape", [](const Screenshot& shot) {
        PictureDiff best;
        EXPECT_GT(capturedFrameLike(pictureOf(shot), VESSELGL_ASSET, best), 0)
            << "not the textured tube; closest " << describeDiff(best);
    });
}

TEST_F(InstalledPackage, HelixsoftFromTheMenuShowsTheTubeAndEndsOnAKey)
{
    useFromMenu("helixsoft", "q", [](const Screenshot&) {});
}

}  // namespace
